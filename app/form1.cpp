// The main window: its controls and menus as designed, start-up and close, the selection
// display, the item commands, the feed and the tools.
#include "app/form1.h"

#include <unistd.h>

#include <new>

#include "app/cleanup.h"
#include "app/dialogs.h"
#include "app/feed_builder.h"
#include "app/feed_check.h"
#include "app/settings_file.h"
#include "editor/control/editor.h"
#include "editor/control/editor_settings.h"
#include "platform/cp932.h"
#include "platform/files.h"
#include "platform/locations.h"

using cp932::Literal;

namespace {

constexpr const char* kCloseWithoutSaving = "保存せずに終了しますか？";

} // namespace

TAppFiles TAppFiles::OfThisProgram() {
    TAppFiles F;
    F.State = StateFilePath();
    F.Settings = SettingsFilePath();
    F.Archive = ArchiveFilePath();
    F.Help = HelpFilePath();
    F.Guide = ProgramFileLocations().GuideFile;
    return F;
}

TEditor* CreateDescriptionEditor(TUiForm& Form, TDescriptionEditorMode Mode, int Left, int Top, int Width,
                                 int Height) {
    TEditor* E = TEditor::Create<TEditor>(nullptr);
    E->SetReadOnly(Mode == deReadOnly);
    E->SetScrollBars(ssBoth);
    TFont Font;
    Font.Name = Literal("ＭＳ ゴシック");
    Font.Height = 12;
    Font.Color = clBlack;
    E->SetFont(Font);
    E->GetCaret()->FreeCaret = false;
    E->GetCaret()->KeepCaret = true;
    E->GetMargin()->SetLeft(1);
    E->GetImagebar()->SetVisible(false);
    E->SetBounds(Left, Top, Width, Height);
    E->CreateWnd(&Form);
    return E;
}

TForm1::TForm1(TUiToolkit& Toolkit, TAppFiles Files)
    : FToolkit(Toolkit), FFiles(std::move(Files)), FStateFile(FFiles.State), FWindow(Toolkit.CreateForm()) {
    FWindow->SetCaption(Literal("Feedloom Ver1.08"));
    FWindow->SetBorderStyle(bsSingle);
    FWindow->SetClientSize(469, 353);
    FWindow->SetPosition(poDesktopCenter);
    FWindow->SetFont(Literal("ＭＳ Ｐゴシック"), 12);
    FWindow->OnCloseQuery = [this] { return FormCloseQuery(); };
    CreateMenus();
    CreateControls();
    SaveDialog1.Kind = TFileDialog::fdSave;
    SaveDialog1.Filter = Literal(FeedFileFilter);
    SaveDialog1.FilterIndex = 1;
    SaveDialog1.DefaultExt = "rdf";
    SaveDialog1.Options =
        TFileDialog::ofOverwritePrompt | TFileDialog::ofHideReadOnly | TFileDialog::ofEnableSizing;
}

// The editors' windows go before the form that holds them.
TForm1::~TForm1() {
    FDesE.reset();
    FEditor1.reset();
}

void TForm1::SetDialogs(TForm2* Form2, TForm3* Form3, TForm4* Form4, TForm5* Form5) {
    FForm2 = Form2;
    FForm3 = Form3;
    FForm4 = Form4;
    FForm5 = Form5;
}

void TForm1::CreateControls() {
    TUiForm& W = *FWindow;
    SiteE = W.AddLabeledEdit();
    SiteE->SetBounds(80, 8, 385, 20);
    SiteE->SetLabelCaption("Your Site URL");
    SiteE->SetText("http://");
    NameE = W.AddLabeledEdit();
    NameE->SetBounds(80, 32, 384, 20);
    NameE->SetLabelCaption("Site Name");
    SpinEdit1 = W.AddSpinEdit();
    SpinEdit1->SetBounds(416, 56, 49, 21);
    SpinEdit1->SetMinValue(SpinEdit1MinValue);
    SpinEdit1->SetMaxValue(SpinEdit1MaxValue);
    SpinEdit1->SetIncrement(5);
    SpinEdit1->SetValue(5);
    ItemList = W.AddListBox();
    ItemList->SetBounds(3, 80, 462, 97);
    ItemList->SetItemHeight(12);
    ItemList->OnClick = [this] { ItemListClick(); };
    ItemList->OnDblClick = [this] { ItemListDblClick(); };
    ItemList->SetPopupMenu(PopupMenu1);
    LinkE = W.AddLabeledEdit();
    LinkE->SetBounds(80, 184, 384, 20);
    LinkE->SetLabelCaption("Item Link URL");
    LinkE->SetReadOnly(true);
    LinkE->SetFont({Literal("ＭＳ Ｐゴシック"), 12, 0xFF0000 /* blue */, true});
    LinkE->OnChange = [this] { LinkEChange(); };
    LinkE->OnClick = [this] { LinkEClick(); };
    TimeE = W.AddLabeledEdit();
    TimeE->SetBounds(80, 208, 384, 20);
    TimeE->SetLabelCaption("Update Time");
    TimeE->SetReadOnly(true);
    FDesE.reset(CreateDescriptionEditor(W, deReadOnly, 80, 232, 385, 97));
    DesE = FDesE.get();
    const struct {
        TUiListBox** List;
        int Left;
    } Hidden[] = {{&linkList, 80}, {&TimeList, 136}, {&DesList, 176}};
    for (const auto& H : Hidden) {
        *H.List = W.AddListBox();
        (*H.List)->SetBounds(H.Left, 56, 41, 17);
        (*H.List)->SetItemHeight(12);
        (*H.List)->SetVisible(false);
    }
    // The four lists show the item store's entries without a copy: the list boxes hold no
    // rows, and the visible one converts only the titles it paints.
    const struct {
        TUiListBox* List;
        TItemListKind Kind;
    } Sources[] = {{ItemList, ilItem}, {linkList, ilLink}, {TimeList, ilTime}, {DesList, ilDes}};
    for (const auto& S : Sources)
        S.List->SetSource(
            [this, Kind = S.Kind](int Row) {
                // A row the list still counts after a change of the store, before ShowItems.
                const TPackedStrings& L = Data.Items.List(Kind);
                return Row < L.Count() ? std::string(L[Row]) : std::string();
            },
            0);
    FEditor1.reset(TEditor::Create<TEditor>(nullptr));
    Editor1 = FEditor1.get();
    Editor1->SetBounds(16, 296, 17, 25);
    Editor1->SetVisible(false);
    Editor1->CreateWnd(&W);
    Label1 = W.AddLabel("RSS Item", 8, 64);
    Label2 = W.AddLabel("Description", 16, 272);
    DesE->AccessibleName = Label2->GetCaption(); // what a screen reader calls it
    Label3 = W.AddLabel("Max RSS Item", 340, 60);
}

void TForm1::CreateMenus() {
    MainMenu1 = FWindow->AddMainMenu();
    auto Item = [](TUiMenuItem* I, int Tag, std::function<void(TUiMenuItem&)> Handler) {
        I->Tag = Tag;
        I->OnClick = std::move(Handler);
        return I;
    };
    auto NewItem = [this](TUiMenuItem& Sender) { New2Click(Sender); };
    New2 = Item(MainMenu1->Add(Literal("追加(&A)")), 0, NewItem);
    New1 = Item(MainMenu1->Add(Literal("編集(&E)")), 1, NewItem);
    S1 = Item(MainMenu1->Add(Literal("参照して追加(&S)")), 2, NewItem);
    Delete1 = Item(MainMenu1->Add(Literal("削除(&D)")), 0, [this](TUiMenuItem&) { Delete1Click(); });
    C2 = MainMenu1->Add(Literal("ツール(&T)"));
    D1 = Item(C2->Add(Literal("サイトの説明文(&D)")), 0, [this](TUiMenuItem&) { D1Click(); });
    N5 = Item(C2->Add(Literal("アイテム整理(&C)")), 0, [this](TUiMenuItem&) { C1Click(); });
    S2 = Item(C2->Add(Literal("CSS指定(&S)")), 0, [this](TUiMenuItem&) { S2Click(); });
    S2->SetRadioItem(true);
    X1 = Item(C2->Add(Literal("XSL指定(&X)")), 0, [this](TUiMenuItem&) { X1Click(); });
    X1->SetRadioItem(true);
    F1 = Item(C2->Add(Literal("保存ファイル指定(&F)")), 0, [this](TUiMenuItem&) { F1Click(); });
    F1->SetChecked(false);
    V1 = Item(C2->Add(Literal("フィードの検査(&V)")), 0, [this](TUiMenuItem&) { V1Click(); });
    RSSR1 = Item(MainMenu1->Add(Literal("RSS作成(&R)")), 0, [this](TUiMenuItem&) { RSSR1Click(); });
    Exit1 = Item(MainMenu1->Add(Literal("ヘルプ(&H)")), 0, [this](TUiMenuItem&) { Exit1Click(); });

    PopupMenu1 = FWindow->AddPopupMenu();
    const struct {
        TUiMenuItem** Field;
        const char* Caption;
        TShortCut Key;
        int Tag;
    } Popup[] = {
        {&N1, "追加", scCtrl | 'P', 0},         {&Edit1, "編集", scCtrl | 'E', 1},
        {&N2, "参照して追加", scCtrl | 'S', 2}, {&Delete2, "削除", VK_DELETE, 0},
        {&N3, "上へ", scCtrl | 'U', 0},         {&N4, "下へ", scCtrl | 'D', 0},
    };
    for (const auto& P : Popup) {
        *P.Field = PopupMenu1->Add(Literal(P.Caption));
        (*P.Field)->SetShortCut(P.Key);
        (*P.Field)->Tag = P.Tag;
    }
    N1->OnClick = NewItem;
    Edit1->OnClick = NewItem;
    N2->OnClick = NewItem;
    Delete2->OnClick = [this](TUiMenuItem&) { Delete1Click(); };
    N3->OnClick = [this](TUiMenuItem&) { N3Click(); };
    N4->OnClick = [this](TUiMenuItem&) { N4Click(); };
}

// --- Start-up and close -------------------------------------------------------------------------

void TForm1::FormCreate() {
    FOutput = std::make_unique<TStringList>();
    try {
        LoadSettings(FFiles.Settings, Data.Settings);
        ShowCheckMarks();
        try {
            FStateFile.LoadState(Data);
        } catch (...) {
            // What was read before the error is shown with the message.
            ShowData();
            ResetSelection();
            throw;
        }
        ShowData();
        ResetSelection();
        SpinEdit1->SetMaxValue(SpinEdit1MaxValue);
    } catch (const Exception& E) {
        FToolkit.ShowMessage(E.Message());
    } catch (const std::bad_alloc&) {
        FToolkit.ShowMessage(Literal("メモリが足りないため、ファイル \"") + DisplayPath(FFiles.State) +
                             Literal("\" を読み込めません。"));
    }
}

bool TForm1::FormCloseQuery() {
    StoreControls();
    try {
        FStateFile.SaveState(Data);
        FOutput->Clear();
        SaveSettings(FFiles.Settings, Data.Settings);
    } catch (const Exception& E) {
        FToolkit.ShowMessage(E.Message());
        // The window can always be closed: when the files cannot be written, the user may
        // give up this session's changes (No, the default, keeps the window open).
        return FToolkit.AskYesNo(Literal(kCloseWithoutSaving), false);
    }
    return true;
}

void TForm1::StoreControls() {
    Data.SiteE = SiteE->GetText();
    Data.NameE = NameE->GetText();
    Data.SpinEdit1 = SpinEdit1->GetValue();
}

void TForm1::ShowData() {
    SiteE->SetText(Data.SiteE);
    NameE->SetText(Data.NameE);
    SpinEdit1->SetText(std::to_string(Data.SpinEdit1));
    ShowItems();
}

void TForm1::ShowItems() {
    const int Index = ItemList->GetItemIndex();
    for (TUiListBox* L : {linkList, TimeList, DesList, ItemList}) L->SourceChanged(Data.Items.Count());
    if (Index < ItemList->Count()) ItemList->SetItemIndex(Index);
}

void TForm1::ShowCheckMarks() {
    S2->SetChecked(Data.Settings.FCssFlag);
    X1->SetChecked(Data.Settings.FXslFlag);
    F1->SetChecked(Data.Settings.F1Checked);
}

bool TForm1::WriteSettings() {
    try {
        SaveSettings(FFiles.Settings, Data.Settings);
        return true;
    } catch (const Exception& E) {
        FToolkit.ShowMessage(E.Message());
        return false;
    }
}

// --- Selection ----------------------------------------------------------------------------------

int TForm1::SelectedIndex() const {
    return ItemList->GetItemIndex();
}

void TForm1::ResetSelection() {
    ItemList->SetItemIndex(-1);
    LinkE->SetText("");
    TimeE->SetText("");
    DesE->Clear();
}

void TForm1::ItemListClick() {
    const int I = SelectedIndex();
    if (I < 0 || I >= Data.Items.Count()) return;
    LinkE->SetText(std::string(Data.Items.Link(I)));
    TimeE->SetText(std::string(Data.Items.Time(I)));
    ShowDescription(*DesE, Data.Items.Description(I));
}

void TForm1::ItemListDblClick() {
    if (SelectedIndex() < 0) {
        FToolkit.ShowMessage(Literal("アイテムを選択して下さい！"));
        return;
    }
    FEditMode = 1;
    if (FForm2) FToolkit.ShowModal(FForm2->Window());
}

void TForm1::LinkEChange() {
    LinkE->SetCursor(LinkE->GetText().empty() ? crDefault : crHandPoint);
}

void TForm1::LinkEClick() {
    const std::string Url = LinkE->GetText();
    if (!Url.empty()) FToolkit.OpenDocument(Url);
}

// --- Item commands ------------------------------------------------------------------------------

void TForm1::New2Click(TUiMenuItem& Sender) {
    FEditMode = Sender.Tag;
    if ((FEditMode == 1 || FEditMode == 2) && SelectedIndex() < 0) {
        FToolkit.ShowMessage(Literal("アイテムを選択して下さい！"));
        return;
    }
    if (FForm2) FToolkit.ShowModal(FForm2->Window());
}

void TForm1::Delete1Click() {
    const int I = SelectedIndex();
    if (I < 0) {
        FToolkit.ShowMessage(Literal("アイテムを選択して下さい！"));
        return;
    }
    if (!FToolkit.AskYesNo(Literal("削除してもよろしいですか？"))) return;
    Data.Items.DeleteItem(I);
    ShowItems();
    ResetSelection();
}

void TForm1::N3Click() {
    if (SelectedIndex() > 0) MoveItem(-1);
}

void TForm1::N4Click() {
    const int I = SelectedIndex();
    if (I >= 0 && I < Data.Items.Count() - 1) MoveItem(+1);
}

// The detail fields are left alone: they still show the moved item.
void TForm1::MoveItem(int Delta) {
    const int I = SelectedIndex();
    const int J = Data.Items.MoveItem(I, Delta);
    if (J == I) return;
    ShowItems();
    ItemList->SetItemIndex(J);
}

void TForm1::TrimItems() {
    Data.Items.TrimItems(SpinEdit1->GetValue());
    ShowItems();
}

// --- Feed and tools -----------------------------------------------------------------------------

void TForm1::RSSR1Click() {
    StoreControls();
    const TSettings& S = Data.Settings;
    std::string FileName;
    const bool Configured = S.F1Checked && FileExists(SystemPathOf(S.FSavePath));
    if (Configured) {
        FileName = SystemPathOf(S.FSavePath);
    } else {
        if (!FToolkit.Execute(SaveDialog1)) return;
        FileName = SaveDialog1.FileName;
    }
    // The feed never replaces the files it is made from.
    const std::string Input = InputNamedBy(FileName, {FFiles.State, FFiles.Settings, FFiles.Archive});
    if (!Input.empty()) {
        FToolkit.ShowMessage(SameFileMessage(FileName, Input));
        return;
    }
    try {
        WriteFeed(FileName, false, Data, *Editor1, *FOutput);
    } catch (const Exception& E) {
        FToolkit.ShowMessage(E.Message());
        return;
    }
    if (Configured) FToolkit.ShowMessage(Literal("ファイルを作成しました！"));
}

void TForm1::D1Click() {
    if (FForm4) FToolkit.ShowModal(FForm4->Window());
}

void TForm1::F1Click() {
    if (!FForm3) return;
    FForm3->Edit1->SetText(Data.Settings.FSavePath);
    FToolkit.ShowModal(FForm3->Window());
}

bool TForm1::StorablePath(const std::string& FileName, std::string& Cp932) {
    if (Cp932PathOf(FileName, Cp932)) return true;
    FToolkit.ShowMessage(Literal("ファイル名 \"") + DisplayPath(FileName) +
                         Literal("\" には保存できない文字が含まれています。別の名前を選んで下さい。"));
    return false;
}

bool TForm1::AskStyleSheetPath(const char* Caption, const std::string& Old, std::string& Path) {
    const std::string Answer = FToolkit.InputBox(
        Literal(Caption), Literal("スタイルシートのパスを指定して下さい。"), Old, TUiToolkit::ifFileName);
    return StorablePath(Answer, Path);
}

// Switching a style sheet on asks for its path first: a refused path changes nothing.
void TForm1::S2Click() {
    TSettings& S = Data.Settings;
    if (S2->GetChecked()) {
        S.FCssFlag = false;
        if (!WriteSettings()) return;
        FToolkit.ShowMessage(Literal("CSSの設定を外しました！"));
    } else {
        std::string Path;
        if (!AskStyleSheetPath("ＣＳＳの指定", S.FCssPath, Path)) return;
        S.FCssFlag = true;
        S.FXslFlag = false;
        S.FCssPath = Path;
        if (!WriteSettings()) return;
    }
    X1->SetChecked(S.FXslFlag);
    S2->SetChecked(S.FCssFlag);
}

void TForm1::X1Click() {
    TSettings& S = Data.Settings;
    if (X1->GetChecked()) {
        S.FXslFlag = false;
        if (!WriteSettings()) return;
        FToolkit.ShowMessage(Literal("XSLの設定を外しました！"));
    } else {
        std::string Path;
        if (!AskStyleSheetPath("ＸＳＬの指定", S.FXslPath, Path)) return;
        S.FXslFlag = true;
        S.FCssFlag = false;
        S.FXslPath = Path;
        if (!WriteSettings()) return;
    }
    X1->SetChecked(S.FXslFlag);
    S2->SetChecked(S.FCssFlag);
}

void TForm1::C1Click() {
    if (!FToolkit.AskYesNo(Literal("アイテムを整理しますか？"))) return;
    StoreControls();
    try {
        CleanupItems(Data, *Editor1, *FOutput, FFiles.Archive);
    } catch (const Exception& E) {
        FToolkit.ShowMessage(E.Message());
        return;
    }
    ShowItems();
    ResetSelection();
}

// The check reads the data as the feed command would and changes nothing.
void TForm1::V1Click() {
    StoreControls();
    std::vector<TFinding> Findings = CheckFeed(Data);
    if (Findings.empty()) {
        FToolkit.ShowMessage(Literal("問題は見つかりませんでした。"));
        return;
    }
    if (!FForm5) return;
    FForm5->SetFindings(std::move(Findings));
    FToolkit.ShowModal(FForm5->Window());
}

// help.chm beside the program when there is one, else the HTML guide.
void TForm1::Exit1Click() {
    if (FileExists(FFiles.Help))
        FToolkit.OpenDocument(FileUrl(FFiles.Help));
    else if (FileExists(FFiles.Guide))
        FToolkit.OpenDocument(FileUrl(FFiles.Guide));
    else
        FToolkit.ShowMessage(Literal("ヘルプファイルが見つかりません！"));
}
