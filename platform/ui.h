// The windows the application shows, behind interfaces of our own; platform/qt
// implements them. All text crossing these interfaces is CP932.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/exceptions.h"

enum TBorderStyle : uint8_t { bsSingle, bsDialog, bsSizeable };
enum TFormPosition : uint8_t { poDesktopCenter, poMainFormCenter, poDesigned };

// A top-level window: a main window or a dialog.
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

    virtual void Show() = 0;
    virtual bool IsVisible() const = 0;
    // Shows the window modally, in a nested event loop, until Close or EndModal.
    virtual int ShowModal() = 0;
    virtual void EndModal(int Result) = 0;
    // Asks the window to close; OnCloseQuery may keep it open.
    virtual void Close() = 0;

    // Asked before the window closes; returning false keeps it open.
    std::function<bool()> OnCloseQuery;
};

// The toolkit as a whole: windows, the message loop, message boxes.
class TUiToolkit {
public:
    virtual ~TUiToolkit() = default;

    virtual std::unique_ptr<TUiForm> CreateForm() = 0;
    // Runs the message loop until MainForm has closed.
    virtual void Run(TUiForm& MainForm) = 0;
    // A plain message box with an OK button.
    virtual void ShowMessage(const std::string& Text) = 0;
    // A question with the information icon and the buttons Yes and No; true for Yes.
    virtual bool AskYesNo(const std::string& Text) = 0;
};

// The toolkit of this process, installed by the program's main before any window
// exists; nullptr until then (and in tests that install a double of their own).
TUiToolkit* UiToolkit();
void SetUiToolkit(TUiToolkit* Toolkit);

// Shows an exception's message in a message box (nothing when no toolkit is installed).
void ShowException(const Exception& E);
