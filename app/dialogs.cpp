// The dialogs' controls and handlers.
#include "app/dialogs.h"

#include "app/form1.h"
#include "editor/control/editor.h"
#include "platform/cp932.h"
#include "platform/files.h"

using cp932::Literal;

TDialogForm::TDialogForm(TUiToolkit& Toolkit, TForm1& Form1, const TDialogDesign& Design)
    : FToolkit(Toolkit), FForm1(Form1), FWindow(Toolkit.CreateForm()) {
    FWindow->SetCaption(Literal(Design.Caption));
    FWindow->SetBorderStyle(Design.Border);
    FWindow->SetClientSize(Design.ClientWidth, Design.ClientHeight);
    FWindow->SetPosition(poMainFormCenter);
    FWindow->SetFont(Literal(Design.FontFace), Design.FontHeight);
}

// --- TForm2 -----------------------------------------------------------------------------------

TForm2::TForm2(TUiToolkit& Toolkit, TForm1& Form1)
    : TDialogForm(Toolkit, Form1, {"Item追加・編集", bsDialog, 512, 231, "ＭＳ Ｐゴシック", 12}) {
    ItemED = FWindow->AddLabeledEdit();
    ItemED->SetBounds(79, 8, 425, 20);
    ItemED->SetLabelCaption("Item Title");
    LinkED = FWindow->AddLabeledEdit();
    LinkED->SetBounds(80, 32, 425, 20);
    LinkED->SetLabelCaption("Item Link URL");
    LinkED->SetText("http://");
    FDesED.reset(CreateDescriptionEditor(*FWindow, deEditable, 80, 56, 425, 97));
    DesED = FDesED.get();
    Button1 = FWindow->AddButton("OK");
    Button1->SetBounds(344, 192, 75, 25);
    Button1->OnClick = [this] { Button1Click(); };
    Button2 = FWindow->AddButton("Cancel");
    Button2->SetBounds(432, 192, 75, 25);
    Button2->OnClick = [this] { Button2Click(); };
    TimeED = FWindow->AddLabeledEdit();
    TimeED->SetBounds(80, 160, 425, 20);
    TimeED->SetLabelCaption("Update Time");
    TimeED->SetEnabled(false);
    Label1 = FWindow->AddLabel("Description", 16, 96);
    DesED->AccessibleName = Label1->GetCaption(); // what a screen reader calls it
    FWindow->OnShow = [this] { FormShow(); };
}

// The editor's window goes before the form that holds it.
TForm2::~TForm2() {
    FDesED.reset();
}

void TForm2::FormShow() {
    DesED->SetRowCol(0, 0);
    DesED->SetTopRow(0);
    const int Mode = FForm1.FEditMode;
    if (Mode == 0) {
        ItemED->SetText("");
        LinkED->SetText(FForm1.SiteE->GetText());
        DesED->Clear();
        TimeED->SetText("");
        TimeED->SetEnabled(false);
        return;
    }
    const int I = FForm1.SelectedIndex();
    const TItemStore& Items = FForm1.Data.Items;
    ItemED->SetText(std::string(Items.Title(I)));
    LinkED->SetText(std::string(Items.Link(I)));
    ShowDescription(*DesED, Items.Description(I));
    if (Mode == 1) {
        TimeED->SetText(std::string(Items.Time(I)));
        TimeED->SetEnabled(true);
    } else {
        TimeED->SetText("");
        TimeED->SetEnabled(false);
    }
}

void TForm2::Button1Click() {
    TItemStore& Items = FForm1.Data.Items;
    TFeedItem Item;
    Item.Link = LinkED->GetText();
    Item.Description = JoinDescription(*DesED->GetLines());
    Item.Title = ItemED->GetText();
    if (FForm1.FEditMode == 1) {
        Item.Time = TimeED->GetText();
        const int I = FForm1.SelectedIndex();
        if (I >= 0 && I < Items.Count()) Items.PutItem(I, Item);
    } else {
        Item.Time = TimeStamp(FForm1.Data.Settings.FTimeZone);
        Items.InsertItem(Item);
    }
    FForm1.ShowItems();
    FForm1.ResetSelection();
    FWindow->EndModal(mrOk);
}

void TForm2::Button2Click() {
    FWindow->EndModal(mrCancel);
}

// --- TForm3 -----------------------------------------------------------------------------------

TForm3::TForm3(TUiToolkit& Toolkit, TForm1& Form1)
    : TDialogForm(Toolkit, Form1, {"保存ファイル指定", bsDialog, 354, 83, "ＭＳ Ｐゴシック", 12}) {
    Label1 = FWindow->AddLabel(Literal("ファイル作成場所（パス）を指定して下さい。"), 16, 16);
    Edit1 = FWindow->AddEdit();
    Edit1->SetBounds(16, 32, 297, 20);
    Button1 = FWindow->AddButton("...");
    Button1->SetBounds(320, 32, 25, 17);
    Button1->SetHint(Literal("参照"));
    Button1->OnClick = [this] { Button1Click(); };
    Button2 = FWindow->AddButton("OK");
    Button2->SetBounds(192, 58, 73, 17);
    Button2->OnClick = [this] { Button2Click(); };
    Button3 = FWindow->AddButton("Cancel");
    Button3->SetBounds(272, 58, 73, 17);
    Button3->SetCancel(true);
    Button3->OnClick = [this] { Button3Click(); };
    OpenDialog1.Kind = TFileDialog::fdOpen;
    OpenDialog1.Filter = Literal(FeedFileFilter);
    OpenDialog1.FilterIndex = 1;
    OpenDialog1.DefaultExt = "rdf";
    OpenDialog1.Options = TFileDialog::ofHideReadOnly | TFileDialog::ofEnableSizing;
}

void TForm3::Button1Click() {
    if (!FToolkit.Execute(OpenDialog1)) return;
    // The path is kept as CP932 text in the settings file: a name it cannot hold is refused
    // now rather than stored changed.
    std::string Path;
    if (FForm1.StorablePath(OpenDialog1.FileName, Path)) Edit1->SetText(Path);
}

void TForm3::Button2Click() {
    // A typed name CP932 cannot hold is refused, and the dialog stays open.
    std::string Path;
    if (!FForm1.StorablePath(Edit1->GetFileNameText(), Path)) return;
    FForm1.Data.Settings.F1Checked = true;
    FForm1.Data.Settings.FSavePath = Path;
    FForm1.ShowCheckMarks();
    FWindow->EndModal(mrOk);
}

void TForm3::Button3Click() {
    FForm1.Data.Settings.F1Checked = false;
    FForm1.Data.Settings.FSavePath.clear();
    FForm1.ShowCheckMarks();
    FWindow->EndModal(mrCancel);
}

// --- TForm4 -----------------------------------------------------------------------------------

TForm4::TForm4(TUiToolkit& Toolkit, TForm1& Form1)
    : TDialogForm(Toolkit, Form1, {"サイトの説明文", bsSizeable, 324, 73, "Tahoma", 11}) {
    Button1 = FWindow->AddButton("OK");
    Button1->SetBounds(148, 39, 81, 25);
    Button1->SetDefault(true);
    Button1->OnClick = [this] { Button1Click(); };
    Button2 = FWindow->AddButton("Cancel");
    Button2->SetBounds(235, 39, 81, 25);
    Button2->SetCancel(true);
    Button2->OnClick = [this] { Button2Click(); };
    Sitedes = FWindow->AddEdit();
    Sitedes->SetBounds(8, 8, 305, 25);
    FWindow->OnShow = [this] { FormShow(); };
}

void TForm4::FormShow() {
    Sitedes->SetText(FForm1.Data.Settings.FSiteDescription);
}

void TForm4::Button1Click() {
    const std::string Text = Sitedes->GetText();
    if (!FToolkit.AskYesNo(Literal("以下の説明文でよろしいですか？") + "\r\n" + Literal("「") + Text +
                           Literal("」")))
        return;
    FForm1.Data.Settings.FSiteDescription = Text;
    FWindow->EndModal(mrOk);
}

void TForm4::Button2Click() {
    FWindow->EndModal(mrCancel);
}

// --- TForm5 -----------------------------------------------------------------------------------

TForm5::TForm5(TUiToolkit& Toolkit, TForm1& Form1)
    : TDialogForm(Toolkit, Form1, {"フィードの検査", bsDialog, 560, 240, "ＭＳ Ｐゴシック", 12}) {
    FindingList = FWindow->AddListBox();
    FindingList->SetBounds(8, 8, 544, 193);
    FindingList->SetItemHeight(14);
    FindingList->OnDblClick = [this] { FindingListDblClick(); };
    Button1 = FWindow->AddButton(Literal("閉じる"));
    Button1->SetBounds(477, 207, 75, 25);
    Button1->SetDefault(true);
    Button1->SetCancel(true);
    Button1->OnClick = [this] { Button1Click(); };
}

void TForm5::SetFindings(std::vector<TFinding> Findings) {
    FFindings = std::move(Findings);
    std::vector<std::string> Rows;
    Rows.reserve(FFindings.size());
    for (const TFinding& F : FFindings) Rows.push_back(FindingText(F));
    FindingList->Assign(Rows);
    FindingList->SetItemIndex(FFindings.empty() ? -1 : 0);
}

void TForm5::FindingListDblClick() {
    const int Row = FindingList->GetItemIndex();
    if (Row < 0 || Row >= static_cast<int>(FFindings.size())) return;
    const int Item = FFindings[static_cast<size_t>(Row)].ItemIndex;
    if (Item < 0 || Item >= FForm1.Data.Items.Count()) return;
    FForm1.ItemList->SetItemIndex(Item);
    FForm1.ItemListClick();
    FWindow->EndModal(mrOk);
}

void TForm5::Button1Click() {
    FWindow->EndModal(mrCancel);
}
