// The main window: caption, border, client size, position and font of its design.
#include "app/form1.h"

#include "platform/cp932.h"

TForm1::TForm1(TUiToolkit& Toolkit) : FToolkit(Toolkit), FWindow(Toolkit.CreateForm()) {
    FWindow->SetCaption(cp932::Literal("Feedloom Ver1.08"));
    FWindow->SetBorderStyle(bsSingle);
    FWindow->SetClientSize(469, 353);
    FWindow->SetPosition(poDesktopCenter);
    FWindow->SetFont(cp932::Literal("ＭＳ Ｐゴシック"), 12);
    FWindow->OnCloseQuery = [this] { return FormCloseQuery(); };
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::FormCreate() {
    FOutput = std::make_unique<TStringList>();
}

// Closing is never vetoed by the window itself.
bool TForm1::FormCloseQuery() {
    return true;
}
