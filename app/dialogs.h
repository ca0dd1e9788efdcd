// The three dialogs of the application: the item dialog TForm2, the output file
// dialog TForm3 and the site description dialog TForm4. Created at start-up and
// kept for the whole run, so their controls keep their contents between uses.
#pragma once

#include <memory>
#include <string>

#include "platform/ui.h"

// A dialog's frame as its window design gives it.
struct TDialogDesign {
    const char* Caption; // UTF-8
    TBorderStyle Border;
    int ClientWidth;
    int ClientHeight;
    const char* FontFace; // UTF-8
    int FontHeight;
};

class TDialogForm {
public:
    TDialogForm(TUiToolkit& Toolkit, const TDialogDesign& Design);
    virtual ~TDialogForm() = default;
    TUiForm& Window() { return *FWindow; }

protected:
    std::unique_ptr<TUiForm> FWindow;
};

class TForm2 : public TDialogForm {
public:
    explicit TForm2(TUiToolkit& Toolkit);
};

class TForm3 : public TDialogForm {
public:
    explicit TForm3(TUiToolkit& Toolkit);
};

class TForm4 : public TDialogForm {
public:
    explicit TForm4(TUiToolkit& Toolkit);
};
