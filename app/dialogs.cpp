// The dialogs' frames; their controls are built with the commands that use them.
#include "app/dialogs.h"

#include "platform/cp932.h"

TDialogForm::TDialogForm(TUiToolkit& Toolkit, const TDialogDesign& Design) : FWindow(Toolkit.CreateForm()) {
    FWindow->SetCaption(cp932::Literal(Design.Caption));
    FWindow->SetBorderStyle(Design.Border);
    FWindow->SetClientSize(Design.ClientWidth, Design.ClientHeight);
    FWindow->SetPosition(poMainFormCenter);
    FWindow->SetFont(cp932::Literal(Design.FontFace), Design.FontHeight);
}

TForm2::TForm2(TUiToolkit& Toolkit)
    : TDialogForm(Toolkit, {"Item追加・編集", bsDialog, 512, 231, "ＭＳ Ｐゴシック", 12}) {}

TForm3::TForm3(TUiToolkit& Toolkit)
    : TDialogForm(Toolkit, {"保存ファイル指定", bsDialog, 354, 83, "ＭＳ Ｐゴシック", 12}) {}

TForm4::TForm4(TUiToolkit& Toolkit)
    : TDialogForm(Toolkit, {"サイトの説明文", bsSizeable, 324, 73, "Tahoma", 11}) {}
