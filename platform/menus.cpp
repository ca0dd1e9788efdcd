// Menu items, shortcut texts and popup menus.
#include "platform/menus.h"

#include <cctype>

#include "platform/exceptions.h"
#include "platform/messages.h"

namespace {

TPopupMenuPresenter* GPresenter = nullptr;

struct TKeyName {
    uint8_t Vk;
    const char* Name;
};

const TKeyName GKeyNames[] = {
    {VK_BACK, "BkSp"},  {VK_TAB, "Tab"},     {VK_ESCAPE, "Esc"}, {VK_RETURN, "Enter"}, {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},   {VK_END, "End"},    {VK_HOME, "Home"},    {VK_LEFT, "Left"},
    {VK_UP, "Up"},      {VK_RIGHT, "Right"}, {VK_DOWN, "Down"},  {VK_INSERT, "Ins"},   {VK_DELETE, "Del"},
};

std::string KeyName(uint8_t Vk) {
    if ((Vk >= '0' && Vk <= '9') || (Vk >= 'A' && Vk <= 'Z')) return std::string(1, static_cast<char>(Vk));
    if (Vk >= VK_F1 && Vk <= VK_F24) return "F" + std::to_string(Vk - VK_F1 + 1);
    for (const TKeyName& K : GKeyNames)
        if (K.Vk == Vk) return K.Name;
    return {};
}

bool EqualNoCase(const std::string& A, const std::string& B) {
    if (A.size() != B.size()) return false;
    for (size_t I = 0; I < A.size(); ++I)
        if (std::toupper(static_cast<unsigned char>(A[I])) != std::toupper(static_cast<unsigned char>(B[I])))
            return false;
    return true;
}

bool StartsWithNoCase(const std::string& S, size_t At, const char* Prefix) {
    const std::string P(Prefix);
    return S.size() - At >= P.size() && EqualNoCase(S.substr(At, P.size()), P);
}

} // namespace

TShortCut ShortCut(uint8_t VirtualKey, bool Shift, bool Ctrl, bool Alt) {
    TShortCut S = VirtualKey;
    if (Shift) S |= scShift;
    if (Ctrl) S |= scCtrl;
    if (Alt) S |= scAlt;
    return S;
}

TShortCut TextToShortCut(const std::string& Text) {
    TShortCut Mods = 0;
    size_t At = 0;
    for (;;) {
        if (StartsWithNoCase(Text, At, "Shift+")) {
            Mods |= scShift;
            At += 6;
        } else if (StartsWithNoCase(Text, At, "Ctrl+")) {
            Mods |= scCtrl;
            At += 5;
        } else if (StartsWithNoCase(Text, At, "Alt+")) {
            Mods |= scAlt;
            At += 4;
        } else {
            break;
        }
    }
    const std::string Key = Text.substr(At);
    if (Key.empty()) return scNone;
    for (int Vk = 1; Vk < 256; ++Vk) {
        const std::string Name = KeyName(static_cast<uint8_t>(Vk));
        if (!Name.empty() && EqualNoCase(Name, Key)) return static_cast<TShortCut>(Mods | Vk);
    }
    return scNone;
}

std::string ShortCutToText(TShortCut S) {
    const std::string Key = KeyName(static_cast<uint8_t>(S & 0xFF));
    if (Key.empty()) return {};
    std::string Out;
    if (S & scShift) Out += "Shift+";
    if (S & scCtrl) Out += "Ctrl+";
    if (S & scAlt) Out += "Alt+";
    return Out + Key;
}

// ---- items ---------------------------------------------------------------------------------------

TMenuItem* TMenuItem::Add(std::unique_ptr<TMenuItem> Item) {
    Item->FParent = this;
    FItems.push_back(std::move(Item));
    return FItems.back().get();
}

TMenuItem* TMenuItem::GetItem(int Index) const {
    if (Index < 0 || Index >= GetCount())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return FItems[static_cast<size_t>(Index)].get();
}

void TMenuItem::Click() {
    if (OnClick) OnClick(this);
}

TMenuItem* TMenuItem::FindShortCut(TShortCut Key) const {
    if (Key == scNone) return nullptr;
    for (const auto& I : FItems) {
        if (I->ShortCut == Key) return I.get();
        if (TMenuItem* Found = I->FindShortCut(Key)) return Found;
    }
    return nullptr;
}

// ---- popup menus ---------------------------------------------------------------------------------

TPopupMenuPresenter* PopupMenuPresenter() {
    return GPresenter;
}
void SetPopupMenuPresenter(TPopupMenuPresenter* Value) {
    GPresenter = Value;
}

void TPopupMenu::DoPopup() {
    if (OnPopup) OnPopup(this);
}

void TPopupMenu::Popup(int X, int Y) {
    DoPopup();
    if (GPresenter) GPresenter->Show(*this, TPoint{X, Y});
}

bool TPopupMenu::IsShortCut(TShortCut Key) {
    if (!FItems.FindShortCut(Key)) return false;
    DoPopup();
    // The handler may have changed the items' states; look again.
    TMenuItem* Item = FItems.FindShortCut(Key);
    if (!Item) return false;
    for (TMenuItem* P = Item; P && P != &FItems; P = P->GetParent())
        if (!P->Enabled || !P->Visible) return false;
    Item->Click();
    return true;
}
