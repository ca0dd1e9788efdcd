// A windowed TEditor driven by mouse, key and clipboard messages as the backend sends them,
// for the mouse, editing and random input tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "editor/control/editor.h"
#include "platform/menus.h"
#include "support/block_font_engine.h"
#include "support/editor_text.h"
#include "support/fake_window_host.h"
#include "support/memory_clipboard.h"

namespace edit_test {

// Records where popup menus were opened and what they held then.
class TPresenterDouble : public TPopupMenuPresenter {
public:
    std::vector<TPoint> Shown;
    TMenuItem* Choose = nullptr; // clicked when the menu is shown
    void Show(TPopupMenu&, TPoint ScreenPos) override {
        Shown.push_back(ScreenPos);
        if (Choose) Choose->Click();
    }
};

struct TDriven {
    TBlockFontEngine Engine;
    TMemoryClipboard Clip;
    TPresenterDouble Presenter;
    TClipboard* OldClip = Clipboard();
    TPopupMenuPresenter* OldPresenter = PopupMenuPresenter();
    std::unique_ptr<TEditor> E{TEditor::Create(nullptr)};
    TFakeWindowHost* Host = nullptr;

    explicit TDriven(const std::string& Text = {}, int Width = 400, int Height = 200) {
        SetClipboard(&Clip);
        SetPopupMenuPresenter(&Presenter);
        E->SetBounds(Width, Height);
        auto H = std::make_unique<TFakeWindowHost>(*E, Width, Height, &Engine);
        Host = H.get();
        E->AttachHost(std::move(H));
        Host->SetFocus();
        if (!Text.empty()) E->GetLines()->SetTextStr(Text);
    }
    ~TDriven() {
        E.reset();
        SetClipboard(OldClip);
        SetPopupMenuPresenter(OldPresenter);
    }
    TEditor* operator->() const { return E.get(); }

    // The client point inside the left part of cell (Row, Col) of the view.
    TPoint At(int Row, int Col) const {
        return TPoint{E->TextLeft() + (Col - E->GetTopCol()) * E->GetColWidth() + 1,
                      E->TextTop() + (Row - E->GetTopRow()) * E->GetRowHeight() + 1};
    }
    uintptr_t Keys(uintptr_t Buttons) const {
        uintptr_t K = Buttons;
        if (Host->KeysDown[VK_SHIFT]) K |= MK_SHIFT;
        if (Host->KeysDown[VK_CONTROL]) K |= MK_CONTROL;
        return K;
    }
    intptr_t Send(uint32_t Msg, uintptr_t WParam = 0, intptr_t LParam = 0) {
        return Host->SendMessage(Msg, WParam, LParam);
    }
    void Down(TPoint P) {
        Host->Pointer = P;
        Host->KeysDown[VK_LBUTTON] = true;
        Send(WM_LBUTTONDOWN, Keys(MK_LBUTTON), MAKELPARAM(P.X, P.Y));
    }
    void Move(TPoint P) {
        Host->Pointer = P;
        Send(WM_MOUSEMOVE, Keys(Host->KeysDown[VK_LBUTTON] ? uintptr_t(MK_LBUTTON) : uintptr_t(0)),
             MAKELPARAM(P.X, P.Y));
    }
    void Up(TPoint P) {
        Host->Pointer = P;
        Host->KeysDown[VK_LBUTTON] = false;
        Send(WM_LBUTTONUP, Keys(0), MAKELPARAM(P.X, P.Y));
    }
    void Click(TPoint P) {
        Down(P);
        Up(P);
    }
    // Press, a move half-way, a move to the end point, release.
    void Drag(TPoint From, TPoint To) {
        Down(From);
        Move(TPoint{(From.X + To.X) / 2 + 3, (From.Y + To.Y) / 2});
        Move(To);
        Up(To);
    }
    void KeyDown(uint8_t Vk) {
        Host->KeysDown[Vk] = true;
        Send(WM_KEYDOWN, Vk, 1);
    }
    void KeyUp(uint8_t Vk) {
        Host->KeysDown[Vk] = false;
        Send(WM_KEYUP, Vk, static_cast<intptr_t>(1u | KF_REPEAT | KF_UP));
    }
    // A shortcut as the backend offers it before the key: true when the popup took it.
    bool ShortCutKey(uint8_t Vk, bool Shift, bool Ctrl) {
        Host->KeysDown[VK_SHIFT] = Shift;
        Host->KeysDown[VK_CONTROL] = Ctrl;
        const bool Taken = Send(CN_KEYDOWN, Vk, 1) != 0;
        Host->KeysDown[VK_SHIFT] = false;
        Host->KeysDown[VK_CONTROL] = false;
        return Taken;
    }
};

} // namespace edit_test
