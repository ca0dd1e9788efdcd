// Menu items with shortcuts and check marks, popup menus, and the service that shows a popup.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes.h"
#include "platform/graphics.h"
#include "platform/object.h"

// A shortcut: the virtual key in the low byte and modifier bits above it.
using TShortCut = uint16_t;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;
inline constexpr TShortCut scNone = 0;

// "Ctrl+Z", "Shift+Ctrl+3", "F5", "Del"...: modifiers "Shift+", "Ctrl+", "Alt+" in any order,
// then a key name; scNone for a text that names no key.
TShortCut TextToShortCut(const std::string& Text);
// The text of a shortcut ("Shift+Ctrl+3"); empty for scNone.
std::string ShortCutToText(TShortCut ShortCut);
// The shortcut of a key press: the virtual key and the Shift, Ctrl and Alt state.
TShortCut ShortCut(uint8_t VirtualKey, bool Shift, bool Ctrl, bool Alt);

// One item of a menu: a command, a submenu (it has items) or a separator (caption "-").
class TMenuItem : public TObject {
public:
    TMenuItem() = default;
    explicit TMenuItem(std::string ACaption, TShortCut AShortCut = scNone, int ATag = 0)
        : Caption(std::move(ACaption)), ShortCut(AShortCut), Tag(ATag) {}

    std::string Caption; // CP932; '&' marks the access key
    TShortCut ShortCut = scNone;
    int Tag = 0;
    bool Enabled = true;
    bool Checked = false;
    bool Visible = true;
    TNotifyEvent OnClick;

    // Takes Item as the last child; returns it.
    TMenuItem* Add(std::unique_ptr<TMenuItem> Item);
    int GetCount() const { return static_cast<int>(FItems.size()); }
    TMenuItem* GetItem(int Index) const; // EListError when out of range
    TMenuItem* GetParent() const { return FParent; }
    bool IsLine() const { return Caption == "-"; }
    // Fires OnClick with the item as the sender.
    virtual void Click();
    // The first item of this subtree (itself excluded) with ShortCut; null when none.
    TMenuItem* FindShortCut(TShortCut Key) const;

private:
    std::vector<std::unique_ptr<TMenuItem>> FItems;
    TMenuItem* FParent = nullptr;
};

class TPopupMenu;

// Shows a popup menu at a screen position and clicks the item chosen (the toolkit's menu);
// returns when the menu has closed.
class TPopupMenuPresenter {
public:
    virtual ~TPopupMenuPresenter() = default;
    virtual void Show(TPopupMenu& Menu, TPoint ScreenPos) = 0;
};
// The presenter of this process, installed by the program's main (or a test); nullptr until then.
TPopupMenuPresenter* PopupMenuPresenter();
void SetPopupMenuPresenter(TPopupMenuPresenter* Value);

// A context menu: its items, the handler run before it opens, and shortcut matching.
class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* AOwner) : TComponent(AOwner) {}

    TMenuItem* GetItems() { return &FItems; }
    const TMenuItem* GetItems() const { return &FItems; }
    // Run before the menu opens and before a shortcut is matched.
    TNotifyEvent OnPopup;
    // The control the menu was last opened for (not owned).
    TObject* PopupComponent = nullptr;

    // Opens the menu at a screen position: OnPopup, then the presenter (nothing without one).
    virtual void Popup(int X, int Y);
    // A key press as a shortcut of an item: runs OnPopup, then clicks the item when it and
    // all its parents are enabled. Returns whether an item was clicked.
    virtual bool IsShortCut(TShortCut Key);

protected:
    virtual void DoPopup();

private:
    TMenuItem FItems;
};
