// The main window TForm1: its frame, its fields, and FormCreate.
#pragma once

#include <memory>
#include <string>

#include "platform/classes.h"
#include "platform/ui.h"

class TForm1 {
public:
    explicit TForm1(TUiToolkit& Toolkit);
    ~TForm1();

    TUiForm& Window() { return *FWindow; }

    // Fields besides the controls; all start empty, False or 0.
    std::unique_ptr<TStringList> FOutput;
    bool FCssFlag = false;
    std::string FCssPath;
    bool FXslFlag = false;
    std::string FXslPath;
    std::string FTimeZone;
    int32_t FEditMode = 0;
    std::string FSavePath;
    std::string FSiteDescription;

private:
    void FormCreate();
    bool FormCloseQuery();

    TUiToolkit& FToolkit;
    std::unique_ptr<TUiForm> FWindow;
};
