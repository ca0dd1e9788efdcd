// The application's windows, created in their order at start-up, and the message loop.
#pragma once

#include <memory>

#include "app/dialogs.h"
#include "app/form1.h"

class TFeedloomApplication {
public:
    explicit TFeedloomApplication(TUiToolkit& Toolkit, TAppFiles Files = TAppFiles::BesideExecutable());
    ~TFeedloomApplication();

    // Creates TForm1 (the main window), TForm2, TForm3, TForm4 and TForm5, in this order;
    // creating TForm1 ends with its FormCreate (settings, then the state file).
    void CreateForms();
    // Runs the message loop until the main window has closed.
    void Run();

    TForm1* Form1() const { return FForm1.get(); }
    TForm2* Form2() const { return FForm2.get(); }
    TForm3* Form3() const { return FForm3.get(); }
    TForm4* Form4() const { return FForm4.get(); }
    TForm5* Form5() const { return FForm5.get(); }

private:
    TUiToolkit& FToolkit;
    TAppFiles FFiles;
    std::unique_ptr<TForm1> FForm1;
    std::unique_ptr<TForm2> FForm2;
    std::unique_ptr<TForm3> FForm3;
    std::unique_ptr<TForm4> FForm4;
    std::unique_ptr<TForm5> FForm5;
};

// The name of the system-wide lock that keeps a second instance from starting.
inline constexpr const char* InstanceLockName = "Feedloom";
