// Window creation order and the message loop.
#include "app/application.h"

TFeedloomApplication::TFeedloomApplication(TUiToolkit& Toolkit) : FToolkit(Toolkit) {}

// The dialogs go first, so that nothing they refer to outlives them.
TFeedloomApplication::~TFeedloomApplication() {
    FForm4.reset();
    FForm3.reset();
    FForm2.reset();
    FForm1.reset();
}

void TFeedloomApplication::CreateForms() {
    FForm1 = std::make_unique<TForm1>(FToolkit);
    FForm2 = std::make_unique<TForm2>(FToolkit);
    FForm3 = std::make_unique<TForm3>(FToolkit);
    FForm4 = std::make_unique<TForm4>(FToolkit);
}

void TFeedloomApplication::Run() {
    FToolkit.Run(FForm1->Window());
}
