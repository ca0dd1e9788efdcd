// The windows the application shows, behind interfaces of our own; platform/qt
// implements them. All text crossing these interfaces is CP932.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/exceptions.h"
#include "platform/graphics.h"
#include "platform/menus.h"
#include "platform/window.h"

enum TBorderStyle : uint8_t { bsSingle, bsDialog, bsSizeable };
enum TFormPosition : uint8_t { poDesktopCenter, poMainFormCenter, poDesigned };

// The font of a control: a Windows face name and a height in pixels; the backend maps
// the face to an installed font of the same metrics.
struct TUiFont {
    std::string Face;
    int Height = 0;
    TColor Color = clWindowText;
    bool Underline = false;
    bool operator==(const TUiFont&) const = default;
};

// What every control of a form has: bounds in the form's client area, visibility,
// enabled state, focus.
class TUiControl {
public:
    virtual ~TUiControl() = default;

    virtual void SetBounds(int Left, int Top, int Width, int Height) = 0;
    virtual TRect BoundsRect() const = 0;
    virtual void SetVisible(bool Visible) = 0;
    virtual bool GetVisible() const = 0;
    virtual void SetEnabled(bool Enabled) = 0;
    virtual bool GetEnabled() const = 0;
    virtual void SetFocus() = 0;
    virtual bool Focused() const = 0;
    virtual void SetFont(const TUiFont& Font) = 0;
    virtual TUiFont GetFont() const = 0;
    virtual void SetHint(const std::string& Hint) = 0;

    // The control lost the keyboard focus.
    std::function<void()> OnExit;
};

// A one-line edit.
class TUiEdit : public TUiControl {
public:
    virtual void SetText(const std::string& Text) = 0;
    // The text as CP932; a character that CP932 lacks comes back as '?'.
    virtual std::string GetText() const = 0;
    // The text as a file name: the system's bytes, every character kept (see platform/files.h).
    virtual std::string GetFileNameText() const = 0;
    virtual void SetReadOnly(bool ReadOnly) = 0;
    virtual bool GetReadOnly() const = 0;
    // The pointer's shape over the edit (crDefault: the edit's own).
    virtual void SetCursor(TCursor Cursor) = 0;
    virtual TCursor GetCursor() const = 0;

    // The text changed, by the user or by SetText.
    std::function<void()> OnChange;
    // The edit was clicked with the left button.
    std::function<void()> OnClick;
};

// An edit with a caption label on its left, 3 pixels away, centred on the edit's height.
class TUiLabeledEdit : public TUiEdit {
public:
    virtual void SetLabelCaption(const std::string& Caption) = 0;
    virtual std::string GetLabelCaption() const = 0;
    virtual TRect LabelBoundsRect() const = 0;
};

// A static text, sized to its caption.
class TUiLabel : public TUiControl {
public:
    virtual void SetCaption(const std::string& Caption) = 0;
    virtual std::string GetCaption() const = 0;
};

class TUiButton : public TUiControl {
public:
    virtual void SetCaption(const std::string& Caption) = 0;
    virtual std::string GetCaption() const = 0;
    // The default button is pressed by Enter anywhere in its form, the cancel button by Esc.
    virtual void SetDefault(bool Default) = 0;
    virtual bool GetDefault() const = 0;
    virtual void SetCancel(bool Cancel) = 0;
    virtual bool GetCancel() const = 0;
    // Presses the button as a click would.
    virtual void Click() = 0;

    std::function<void()> OnClick;
};

// A spin box over a text the user types: its arrows and the Up and Down keys step the
// value by Increment within MinValue..MaxValue; typing accepts digits, the signs and the
// decimal separator (anything else beeps). The value is what the text spells (see
// SpinTextValue); nothing clamps it while the user types.
class TUiSpinEdit : public TUiControl {
public:
    virtual void SetMinValue(int Value) = 0;
    virtual int GetMinValue() const = 0;
    virtual void SetMaxValue(int Value) = 0;
    virtual int GetMaxValue() const = 0;
    virtual void SetIncrement(int Value) = 0;
    virtual int GetIncrement() const = 0;
    // Sets the value clamped into MinValue..MaxValue and rewrites the text.
    virtual void SetValue(int Value) = 0;
    virtual int GetValue() const = 0;
    virtual void SetText(const std::string& Text) = 0;
    virtual std::string GetText() const = 0;
};

// The value that a spin box's text spells: an optional sign and decimal digits that fit
// 32 bits (blanks around them allowed); any other text gives Default.
int SpinTextValue(const std::string& Text, int Default);
// Whether a spin box accepts a typed character: digits, '+', '-' and the decimal separator.
bool SpinAcceptsChar(char C);

class TUiPopupMenu;

// A list of strings; ItemIndex -1 when nothing is selected.
class TUiListBox : public TUiControl {
public:
    virtual int Count() const = 0;
    virtual std::string Get(int Index) const = 0;
    virtual void Set(int Index, const std::string& S) = 0;
    virtual void Insert(int Index, const std::string& S) = 0;
    void Add(const std::string& S) { Insert(Count(), S); }
    virtual void Delete(int Index) = 0;
    virtual void Clear() = 0;
    // Replaces every entry at once.
    virtual void Assign(const std::vector<std::string>& Items) = 0;
    // Rows from a source instead of entries of the list's own: Count rows, and Text(Row)
    // gives a row's text when the list shows or reads it, so a list of any length holds
    // no rows (Text is asked only for valid rows). SourceChanged tells it the rows
    // changed, now Count of them; the selection goes, as after Assign. Assign and Clear
    // end the source; Set, Insert and Delete first take the source's rows as the list's own.
    using TRowText = std::function<std::string(int Row)>;
    virtual void SetSource(TRowText Text, int Count) = 0;
    virtual void SourceChanged(int Count) = 0;
    virtual int GetItemIndex() const = 0;
    virtual void SetItemIndex(int Index) = 0;
    virtual void SetItemHeight(int Height) = 0;
    virtual int GetItemHeight() const = 0;
    // The menu shown on a right click; its shortcuts act while the list has the focus.
    virtual void SetPopupMenu(TUiPopupMenu* Menu) = 0;

    // The selection changed by the mouse or the keyboard (not by SetItemIndex).
    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
};

// A menu item: a command, or a submenu when it has items of its own.
class TUiMenuItem {
public:
    virtual ~TUiMenuItem() = default;

    // Appends an item to this item's submenu.
    virtual TUiMenuItem* Add(const std::string& Caption) = 0;
    virtual int Count() const = 0;
    virtual TUiMenuItem* Item(int Index) const = 0;
    virtual std::string GetCaption() const = 0;
    virtual void SetChecked(bool Checked) = 0;
    virtual bool GetChecked() const = 0;
    // Draws the check mark as a radio dot. It does not turn other items off.
    virtual void SetRadioItem(bool Radio) = 0;
    virtual bool GetRadioItem() const = 0;
    virtual void SetShortCut(TShortCut ShortCut) = 0;
    virtual TShortCut GetShortCut() const = 0;
    // Chooses the item as the user would.
    virtual void Click() = 0;

    int Tag = 0;
    std::function<void(TUiMenuItem& Sender)> OnClick;
};

// A form's menu bar; the items of the bar itself act when chosen if they have no submenu.
class TUiMainMenu {
public:
    virtual ~TUiMainMenu() = default;
    virtual TUiMenuItem* Add(const std::string& Caption) = 0;
    virtual int Count() const = 0;
    virtual TUiMenuItem* Item(int Index) const = 0;
};

class TUiPopupMenu {
public:
    virtual ~TUiPopupMenu() = default;
    virtual TUiMenuItem* Add(const std::string& Caption) = 0;
    virtual int Count() const = 0;
    virtual TUiMenuItem* Item(int Index) const = 0;
};

// A top-level window: a main window or a dialog. It owns the controls made through it;
// they live as long as the form, and their creation order is their tab order.
class TUiForm {
public:
    virtual ~TUiForm() = default;

    virtual void SetCaption(const std::string& Caption) = 0;
    virtual std::string GetCaption() const = 0;
    virtual void SetClientSize(int Width, int Height) = 0;
    virtual int GetClientWidth() const = 0;
    virtual int GetClientHeight() const = 0;
    virtual void SetBorderStyle(TBorderStyle Style) = 0;
    virtual TBorderStyle GetBorderStyle() const = 0;
    virtual void SetPosition(TFormPosition Position) = 0;
    // The font of the window and the default of its controls: a Windows face name
    // ("ＭＳ Ｐゴシック") and a height in pixels; the backend maps the face.
    virtual void SetFont(const std::string& FaceName, int PixelHeight) = 0;
    virtual std::string GetFontFace() const = 0;
    virtual int GetFontHeight() const = 0;

    virtual TUiLabeledEdit* AddLabeledEdit() = 0;
    virtual TUiEdit* AddEdit() = 0;
    virtual TUiLabel* AddLabel(const std::string& Caption, int Left, int Top) = 0;
    virtual TUiButton* AddButton(const std::string& Caption) = 0;
    virtual TUiSpinEdit* AddSpinEdit() = 0;
    virtual TUiListBox* AddListBox() = 0;
    virtual TUiMainMenu* AddMainMenu() = 0;
    virtual TUiPopupMenu* AddPopupMenu() = 0;

    virtual void Show() = 0;
    virtual bool IsVisible() const = 0;
    // Shows the window modally, in a nested event loop, until Close or EndModal.
    virtual int ShowModal() = 0;
    virtual void EndModal(int Result) = 0;
    // Asks the window to close; OnCloseQuery may keep it open.
    virtual void Close() = 0;

    // Asked before the window closes; returning false keeps it open.
    std::function<bool()> OnCloseQuery;
    // Runs each time the window is shown.
    std::function<void()> OnShow;
};

// The options of an open or save dialog, and its result in FileName (the system's bytes of
// the name, see platform/files.h).
struct TFileDialog {
    enum TKind : uint8_t { fdOpen, fdSave };
    enum TOption : uint32_t {
        ofOverwritePrompt = 1, // a save asks before it replaces an existing file
        ofHideReadOnly = 2,    // no read-only check box
        ofEnableSizing = 4,    // the dialog can be resized
        ofFileMustExist = 8,   // an open accepts only an existing file
    };
    TKind Kind = fdOpen;
    // Description and pattern pairs separated by '|': "RDFファイル(*.rdf)|*.rdf|...".
    std::string Filter;
    int FilterIndex = 1;    // 1-based
    std::string DefaultExt; // without the dot; added to a typed name without extension
    uint32_t Options = 0;
    std::string FileName;
};

// The toolkit as a whole: windows, the message loop, and the standard dialogs.
class TUiToolkit {
public:
    virtual ~TUiToolkit() = default;

    virtual std::unique_ptr<TUiForm> CreateForm() = 0;
    // Runs the message loop until MainForm has closed.
    virtual void Run(TUiForm& MainForm) = 0;
    // Shows a form modally (TUiForm::ShowModal); a scripted double answers it instead.
    virtual int ShowModal(TUiForm& Form) { return Form.ShowModal(); }
    // A plain message box with an OK button.
    virtual void ShowMessage(const std::string& Text) = 0;
    // A question with the information icon and the buttons Yes and No (Yes the
    // default unless YesDefault is false); true for Yes.
    virtual bool AskYesNo(const std::string& Text, bool YesDefault = true) = 0;
    // A modal box with a caption, a prompt and one edit holding Default; OK returns the
    // edited text, Cancel returns Default unchanged. As ifCp932 the text is CP932 (a
    // character that CP932 lacks comes back as '?'); as ifFileName Default is CP932 text and
    // the answer is the system's bytes of a file name, every character kept (Cancel gives
    // SystemPathOf(Default)), for the caller to check with Cp932PathOf.
    enum TInputForm : uint8_t { ifCp932, ifFileName };
    virtual std::string InputBox(const std::string& Caption, const std::string& Prompt,
                                 const std::string& Default, TInputForm Form) = 0;
    // Runs an open or save dialog; true and Dialog.FileName set when the user confirms.
    virtual bool Execute(TFileDialog& Dialog) = 0;
    virtual void Beep() = 0;
    // Opens a file or URL with its associated program; failures are not reported.
    virtual void OpenDocument(const std::string& PathOrUrl);
};

// The toolkit of this process, installed by the program's main before any window
// exists; nullptr until then (and in tests that install a double of their own).
TUiToolkit* UiToolkit();
void SetUiToolkit(TUiToolkit* Toolkit);

// Shows an exception's message in a message box (nothing when no toolkit is installed).
void ShowException(const Exception& E);
