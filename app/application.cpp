// Window creation order and the message loop.
#include "app/application.h"

TFeedloomApplication::TFeedloomApplication(TUiToolkit& Toolkit, TAppFiles Files)
    : FToolkit(Toolkit), FFiles(std::move(Files)) {}

// The dialogs go first, so that nothing they refer to outlives them.
TFeedloomApplication::~TFeedloomApplication() {
    FForm5.reset();
    FForm4.reset();
    FForm3.reset();
    FForm2.reset();
    FForm1.reset();
}

void TFeedloomApplication::CreateForms() {
    FForm1 = std::make_unique<TForm1>(FToolkit, FFiles);
    FForm1->FormCreate();
    FForm2 = std::make_unique<TForm2>(FToolkit, *FForm1);
    FForm3 = std::make_unique<TForm3>(FToolkit, *FForm1);
    FForm4 = std::make_unique<TForm4>(FToolkit, *FForm1);
    FForm5 = std::make_unique<TForm5>(FToolkit, *FForm1);
    FForm1->SetDialogs(FForm2.get(), FForm3.get(), FForm4.get(), FForm5.get());
}

void TFeedloomApplication::Run() {
    FToolkit.Run(FForm1->Window());
}
