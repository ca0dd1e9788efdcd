// Test support for the editor's input: a control with a window double driven by key,
// character and input-method messages, and the plain model of the text that the random
// input test compares the control with. Further input kinds (mouse, clipboard) add steps to
// TInputStep and cases to TPlainModel::Apply.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "editor/control/editor.h"
#include "editor/model/screen_strings.h"
#include "platform/cp932.h"
#include "support/editor_text.h"
#include "support/block_font_engine.h"
#include "support/fake_window_host.h"

namespace input_test {

// "あ" and "漢" are double-byte characters (two bytes, two columns).
inline const std::string A = cp932::Literal("あ");
inline const std::string Kan = cp932::Literal("漢");

// A focused control with a window double of Width x Height pixels (block font: cells of 6 x 13).
struct TInputEditor {
    TBlockFontEngine Engine;
    std::unique_ptr<TEditor> E{TEditor::Create(nullptr)};
    TFakeWindowHost* Host = nullptr;

    explicit TInputEditor(const std::string& Text = {}, int Width = 400, int Height = 300) {
        Open(Text, Width, Height);
    }
    // The same for a control made by the test (a derived class).
    TInputEditor(std::unique_ptr<TEditor> Editor, const std::string& Text, int Width = 400, int Height = 300)
        : E(std::move(Editor)) {
        Open(Text, Width, Height);
    }
    void Open(const std::string& Text, int Width, int Height) {
        if (!Text.empty()) E->GetLines()->SetTextStr(Text);
        E->SetBounds(Width, Height);
        auto H = std::make_unique<TFakeWindowHost>(*E, Width, Height, &Engine);
        Host = H.get();
        E->AttachHost(std::move(H));
        Host->SetFocus();
    }
    TEditor* operator->() const { return E.get(); }

    void Modifiers(TShiftState Shift) {
        Host->KeysDown[VK_SHIFT] = (Shift & ssShift) != 0;
        Host->KeysDown[VK_CONTROL] = (Shift & ssCtrl) != 0;
    }
    // A key press; with Repeat the press is an auto-repeat of a held key (no release).
    void KeyDown(uint8_t Vk, TShiftState Shift = 0, bool Repeat = false) {
        Modifiers(Shift);
        Host->SendMessage(WM_KEYDOWN, Vk, static_cast<intptr_t>(1u | (Repeat ? uint32_t(KF_REPEAT) : 0u)));
    }
    void KeyUp(uint8_t Vk) {
        Host->SendMessage(WM_KEYUP, Vk, static_cast<intptr_t>(1u | KF_REPEAT | KF_UP));
        Modifiers(0);
    }
    // A press and release.
    void Key(uint8_t Vk, TShiftState Shift = 0) {
        KeyDown(Vk, Shift);
        Host->DispatchPosted();
        KeyUp(Vk);
    }
    // The character messages of Bytes, queued together as typing makes them.
    void Type(std::string_view Bytes, TShiftState Shift = 0) {
        Modifiers(Shift);
        for (unsigned char B : Bytes) Host->PostMessage(WM_CHAR, B, 1);
        Host->DispatchPosted();
        Modifiers(0);
    }
    // An input-method result: the composition message, then its character echo.
    void Ime(const std::string& Result) {
        Host->ImeResult = Result;
        Host->SendMessage(WM_IME_COMPOSITION, 0, GCS_RESULTSTR);
        Host->ImeResult.clear();
        for (unsigned char B : Result) Host->PostMessage(WM_CHAR, B, 1);
        Host->DispatchPosted();
    }
    // The whole text, CR LF after every line that ends with a line break.
    std::string Text() const { return EditorText(*E); }
    std::pair<int, int> Caret() const { return {E->GetRow(), E->GetCol()}; }
};

// One step of the random input test.
enum TInputKind : uint8_t {
    ikChar,       // Bytes typed (one character, single- or double-byte)
    ikIme,        // Bytes as an input-method result
    ikTab,        // the Tab character
    ikEnter,      // Enter
    ikShiftEnter, // Shift+Enter
    ikBackSpace,  // Backspace
    ikDelete,     // the Delete key
    ikKey,        // a navigation key (Vk) with Shift and Ctrl
};

struct TInputStep {
    TInputKind Kind = ikChar;
    std::string Bytes;
    uint8_t Vk = 0;
    TShiftState Shift = 0;
};

// Where the caret and selection stand before a step, as plain text offsets.
struct TCaretPlace {
    int Offset = 0;        // byte offset of the caret (clamped to its row's end)
    int Pad = 0;           // columns beyond the row's end
    int LineStart = 0;     // offset of the start of the caret's line
    bool Selected = false; // a normal selection in state selSelected
    int SelStart = 0;
    int SelLength = 0;
    int TabInsert = 0; // spaces a soft tab inserts here (0: a hard tab)
};

inline TCaretPlace PlaceOf(const TEditor& E) {
    TCaretPlace P;
    const int Row = E.GetRow();
    const int Width = E.RowWidth(Row);
    P.Pad = std::max(0, E.GetCol() - Width);
    P.Offset = E.RowColToOffset(0, Row, std::min(E.GetCol(), Width));
    P.LineStart = E.RowColToOffset(0, E.LineStartRow(Row), 0);
    P.Selected = E.GetSelectionState() == selSelected && E.GetSelectionMode() == smNormal;
    if (P.Selected) {
        P.SelStart = E.GetSelStart();
        P.SelLength = E.GetSelLength();
    }
    if (E.GetCaret()->SoftTab) {
        const int Tab = E.GetTabSpaceCount();
        int N = Tab - E.GetCol() % Tab;
        if (E.GetWordWrap()) {
            const int Wrap = E.ColumnParams().WrapByte;
            N = std::min(N, Wrap - E.GetCol() % Wrap);
        }
        P.TabInsert = N;
    }
    return P;
}

// The text as a plain string, edited the way the steps edit it, without rows or columns.
// The model takes the caret's place from the control before each step and knows the rules
// with AutoIndent and BackSpaceUnIndent off.
class TPlainModel {
public:
    std::string Text;

    // Whether a Backspace or Delete at P removes a character (or line break) of the text.
    void Apply(const TInputStep& Step, const TCaretPlace& P) {
        switch (Step.Kind) {
        case ikChar:
        case ikIme:
            Insert(P, Step.Bytes);
            break;
        case ikTab:
            Insert(P, P.TabInsert > 0 ? std::string(static_cast<size_t>(P.TabInsert), ' ') : "\t");
            break;
        case ikEnter:
            if (P.Selected) {
                Erase(P);
                Text.insert(static_cast<size_t>(P.SelStart), "\r\n");
            } else {
                Text.insert(static_cast<size_t>(P.Offset), "\r\n");
            }
            break;
        case ikShiftEnter:
            if (!P.Selected) Text.insert(static_cast<size_t>(P.LineStart), "\r\n");
            break;
        case ikBackSpace:
            if (P.Selected)
                Erase(P);
            else if (P.Pad == 0 && P.Offset > 0)
                Text.erase(static_cast<size_t>(P.Offset - CharBefore(P.Offset)), CharBefore(P.Offset));
            break;
        case ikDelete:
            if (P.Selected) {
                Erase(P);
            } else if (static_cast<size_t>(P.Offset) < Text.size()) {
                const bool AtBreak = Text.compare(static_cast<size_t>(P.Offset), 2, "\r\n") == 0;
                if (AtBreak) Text.insert(static_cast<size_t>(P.Offset), static_cast<size_t>(P.Pad), ' ');
                const size_t At = static_cast<size_t>(P.Offset) + (AtBreak ? static_cast<size_t>(P.Pad) : 0);
                Text.erase(At, AtBreak ? 2 : static_cast<size_t>(CharLengthAt(Text, At)));
            }
            break;
        case ikKey:
            break;
        }
    }

private:
    void Erase(const TCaretPlace& P) {
        Text.erase(static_cast<size_t>(P.SelStart), static_cast<size_t>(P.SelLength));
    }
    void Insert(const TCaretPlace& P, const std::string& S) {
        if (P.Selected) {
            Erase(P);
            Text.insert(static_cast<size_t>(P.SelStart), S);
        } else {
            Text.insert(static_cast<size_t>(P.Offset), std::string(static_cast<size_t>(P.Pad), ' ') + S);
        }
    }
    // Bytes of the character (or line break) that ends at Offset.
    size_t CharBefore(int Offset) const {
        if (Offset >= 2 && Text.compare(static_cast<size_t>(Offset - 2), 2, "\r\n") == 0) return 2;
        size_t I = 0, Last = 0;
        // Walk from the start of the line so that a trail byte is never taken for a lead byte.
        const size_t LineStart = Text.rfind("\r\n", static_cast<size_t>(Offset - 1));
        I = LineStart == std::string::npos ? 0 : LineStart + 2;
        while (I < static_cast<size_t>(Offset)) {
            Last = I;
            I += static_cast<size_t>(CharLengthAt(Text, I));
        }
        return static_cast<size_t>(Offset) - Last;
    }
};

// Sends one step to the control.
inline void Perform(TInputEditor& W, const TInputStep& Step) {
    switch (Step.Kind) {
    case ikChar:
        W.Type(Step.Bytes);
        break;
    case ikIme:
        W.Ime(Step.Bytes);
        break;
    case ikTab:
        W.Type("\t");
        break;
    case ikEnter:
        W.Type("\r");
        break;
    case ikShiftEnter:
        W.Type("\r", ssShift);
        break;
    case ikBackSpace:
        W.Type("\b");
        break;
    case ikDelete:
        W.Key(VK_DELETE);
        break;
    case ikKey:
        W.Key(Step.Vk, Step.Shift);
        break;
    }
}

} // namespace input_test
