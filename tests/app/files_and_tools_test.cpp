// Start-up and close with the state and settings files, the feed command and the tools,
// driven through the scripted toolkit.
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/app_test_support.h"
#include "app/dialogs.h"
#include "platform/cp932.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/qt/qt_controls.h"

using apptest::Rows;
using cp932::Literal;

namespace {
bool StartsWith(const std::string& S, const std::string& Prefix) {
    return S.compare(0, Prefix.size(), Prefix) == 0;
}
const std::string CannotCreate = Literal("ファイル \"");
} // namespace

class FilesAndTools : public apptest::AppTest {
protected:
    void FillSample() {
        F1->SiteE->SetText("http://example.jp/");
        F1->NameE->SetText(Literal("日本語のサイト"));
        AddItem("old", "http://example.jp/1", Literal("一行目\r\n二行目"));
        AddItem(Literal("新着"), "http://example.jp/2", "");
        F1->SpinEdit1->SetText("15");
    }
};

TEST_F(FilesAndTools, CloseAndStartAgainFindsEverythingAsItWas) {
    FillSample();
    Select(1);
    ASSERT_TRUE(F1->FormCloseQuery());
    EXPECT_TRUE(T.Messages.empty());
    EXPECT_TRUE(FileExists(Files.State));
    EXPECT_TRUE(FileExists(Files.Settings));
    const TItemStore Before = F1->Data.Items;

    Start();
    EXPECT_EQ(F1->SiteE->GetText(), "http://example.jp/");
    EXPECT_EQ(F1->NameE->GetText(), Literal("日本語のサイト"));
    EXPECT_EQ(F1->SpinEdit1->GetValue(), 15);
    for (int K = 0; K < ItemListCount; ++K)
        EXPECT_EQ(F1->Data.Items.List(TItemListKind(K)), Before.List(TItemListKind(K)));
    EXPECT_EQ(F1->ItemList->Count(), 2);
    EXPECT_EQ(F1->SelectedIndex(), -1);
    Select(1);
    EXPECT_EQ(Rows(*F1->DesE), (std::vector<std::string>{Literal("一行目"), Literal("二行目")}));
    EXPECT_TRUE(T.Messages.empty());
}

TEST_F(FilesAndTools, AFileThatCannotBeWrittenKeepsTheWindowOpen) {
    FillSample();
    // The state file's folder is missing: nothing is written, the message names the file.
    const std::string Folder = Dir.File("later");
    Files.State = Folder + "/feedloom.dat";
    Files.Settings = Folder + "/feedloom.ini";
    Start();
    FillSample();
    // The error, then the question whether to close without saving: No (the default)
    // keeps the window open.
    T.Answers = {false, false};
    EXPECT_FALSE(F1->FormCloseQuery());
    ASSERT_EQ(T.Messages.size(), 1u);
    EXPECT_TRUE(StartsWith(T.Messages[0], CannotCreate)) << T.Messages[0];
    EXPECT_EQ(T.Questions, std::vector<std::string>{Literal("保存せずに終了しますか？")});
    EXPECT_EQ(T.QuestionYesDefaults, std::vector<bool>{false});
    // The real window stays open as well.
    F1->Window().Show();
    F1->Window().Close();
    EXPECT_TRUE(F1->Window().IsVisible());
    EXPECT_EQ(T.Messages.size(), 2u);
    // Once the folder exists the same close succeeds; nothing was lost meanwhile.
    std::filesystem::create_directory(Folder);
    EXPECT_TRUE(F1->FormCloseQuery());
    F1->Window().Close();
    EXPECT_FALSE(F1->Window().IsVisible());
    Start();
    EXPECT_EQ(Titles(), (std::vector<std::string>{Literal("新着"), "old"}));
}

TEST_F(FilesAndTools, SettingsThatCannotBeWrittenAtCloseKeepTheWindowOpen) {
    Files.Settings = Dir.File("missing/feedloom.ini");
    Start();
    T.Answers = {false, true};
    EXPECT_FALSE(F1->FormCloseQuery());
    ASSERT_EQ(T.Messages.size(), 1u);
    EXPECT_EQ(T.Messages[0], Files.Settings + Literal(" に書き込めません"));
    // The state file was written before the settings file.
    EXPECT_TRUE(FileExists(Files.State));
    // Yes to the question closes without the settings.
    EXPECT_TRUE(F1->FormCloseQuery());
    EXPECT_EQ(T.Questions.size(), 2u);
}

TEST_F(FilesAndTools, ADamagedStateFileIsShownAndStartUpGoesOn) {
    FillSample();
    ASSERT_TRUE(F1->FormCloseQuery());
    const std::string Bytes = ReadFileBytes(Files.State);
    // Cut inside the last image (ItemList): the first six images stay in effect.
    WriteFileBytes(Files.State, Bytes.substr(0, Bytes.size() - 20));
    T.Messages.clear();
    Start();
    ASSERT_EQ(T.Messages.size(), 1u);
    EXPECT_EQ(T.Messages[0], Literal("ストリームからの読み込みエラー"));
    EXPECT_EQ(F1->SiteE->GetText(), "http://example.jp/");
    EXPECT_EQ(F1->SpinEdit1->GetValue(), 15);
    EXPECT_EQ(F1->Data.Items.List(ilLink).Count(), F1->Data.Items.List(ilItem).Count());
    EXPECT_EQ(F1->ItemList->Count(), F1->Data.Items.Count());
    EXPECT_EQ(F1->Data.Items.Link(1), "http://example.jp/1");
    // The damaged file is kept aside at the next close.
    T.Messages.clear();
    ASSERT_TRUE(F1->FormCloseQuery());
    EXPECT_EQ(ReadFileBytes(Files.State + ".bad"), Bytes.substr(0, Bytes.size() - 20));
}

TEST_F(FilesAndTools, FeedGoesToTheConfiguredFileOrThroughTheSaveDialog) {
    FillSample();
    const std::string Out = Dir.File("out.rdf");
    // Not configured: the save dialog as designed; no message after it.
    T.Files = {Out};
    F1->RSSR1->Click();
    ASSERT_EQ(T.FileDialogs.size(), 1u);
    const TFileDialog& D = T.FileDialogs[0];
    EXPECT_EQ(D.Kind, TFileDialog::fdSave);
    EXPECT_EQ(D.Filter, Literal("RDFファイル(*.rdf)|*.rdf|XMLファイル(*.xml)|*.xml"));
    EXPECT_EQ(D.FilterIndex, 1);
    EXPECT_EQ(D.DefaultExt, "rdf");
    EXPECT_EQ(D.Options, uint32_t(TFileDialog::ofOverwritePrompt | TFileDialog::ofHideReadOnly |
                                  TFileDialog::ofEnableSizing));
    EXPECT_TRUE(T.Messages.empty());
    const std::string Feed = ReadFileBytes(Out);
    EXPECT_TRUE(StartsWith(Feed, "<?xml"));
    EXPECT_NE(Feed.find(cp932::ToUtf8(Literal("新着"))), std::string::npos);
    EXPECT_EQ(F1->Editor1->GetLines()->GetCount(), 0);
    EXPECT_EQ(F1->FOutput->GetCount(), 0);

    // Cancelling the dialog writes nothing.
    std::filesystem::remove(Out);
    T.Files = {std::nullopt};
    F1->RSSR1->Click();
    EXPECT_FALSE(FileExists(Out));

    // Configured but missing: the dialog again, without a message.
    F1->Data.Settings.F1Checked = true;
    F1->Data.Settings.FSavePath = Out;
    T.Files = {Dir.File("other.rdf")};
    F1->RSSR1->Click();
    EXPECT_TRUE(FileExists(Dir.File("other.rdf")));
    EXPECT_TRUE(T.Messages.empty());

    // Configured and present: written without asking, then the message.
    WriteFileBytes(Out, "old");
    const size_t Dialogs = T.FileDialogs.size();
    F1->RSSR1->Click();
    EXPECT_EQ(T.FileDialogs.size(), Dialogs);
    EXPECT_EQ(T.Messages, std::vector<std::string>{Literal("ファイルを作成しました！")});
    EXPECT_TRUE(StartsWith(ReadFileBytes(Out), "<?xml"));

    // A file that cannot be created: the error, no success message.
    T.Messages.clear();
    F1->Data.Settings.F1Checked = false;
    T.Files = {Dir.File("missing/feed.rdf")};
    F1->RSSR1->Click();
    ASSERT_EQ(T.Messages.size(), 1u);
    EXPECT_TRUE(StartsWith(T.Messages[0], CannotCreate + Dir.File("missing/feed.rdf") + "\""))
        << T.Messages[0];
    EXPECT_EQ(F1->Editor1->GetLines()->GetCount(), 0);
}

TEST_F(FilesAndTools, SiteDescriptionDialogAsksBeforeItTakesTheText) {
    F1->Data.Settings.FSiteDescription = "before";
    TForm4* F4 = App->Form4();
    T.Answers = {false, true};
    T.Modals.push_back([&](TUiForm& W) {
        EXPECT_EQ(F4->Sitedes->GetText(), "before");
        F4->Sitedes->SetText(Literal("新しい説明"));
        F4->Button1->Click();
        // No keeps the dialog open with the text as typed and the field unchanged.
        EXPECT_EQ(F1->Data.Settings.FSiteDescription, "before");
        EXPECT_EQ(F4->Sitedes->GetText(), Literal("新しい説明"));
        F4->Button1->Click();
        return W.IsVisible() ? mrNone : mrOk;
    });
    F1->D1->Click();
    EXPECT_EQ(F1->Data.Settings.FSiteDescription, Literal("新しい説明"));
    const std::string Question =
        Literal("以下の説明文でよろしいですか？") + "\r\n" + Literal("「新しい説明」");
    EXPECT_EQ(T.Questions, (std::vector<std::string>{Question, Question}));

    // Cancel keeps the description.
    T.Modals.push_back([&](TUiForm&) {
        F4->Sitedes->SetText("x");
        F4->Button2->Click();
        return mrCancel;
    });
    F1->D1->Click();
    EXPECT_EQ(F1->Data.Settings.FSiteDescription, Literal("新しい説明"));
    EXPECT_TRUE(F4->Button1->GetDefault());
    EXPECT_TRUE(F4->Button2->GetCancel());
}

TEST_F(FilesAndTools, OutputFileDialogOkCancelAndFrame) {
    TForm3* F3 = App->Form3();
    // OK with a file chosen through the browse button. The dialog gives the system's name;
    // one that CP932 cannot hold (é, U+301C) is refused with a message, not stored changed;
    // one it can hold is kept as CP932 text.
    const std::string Cafe = Dir.File("caf\xC3\xA9.rdf"), Wave = Dir.File("\xE3\x80\x9C.rdf");
    T.Files = {Cafe, Wave, Dir.File("フィード.rdf"), Dir.File("feed.rdf")};
    T.Modals.push_back([&](TUiForm&) {
        EXPECT_EQ(F3->Edit1->GetText(), "");
        F3->Button1->Click();
        F3->Button1->Click();
        EXPECT_EQ(F3->Edit1->GetText(), "");
        EXPECT_EQ(T.Messages.size(), 2u);
        EXPECT_NE(T.Messages.at(0).find(Literal("保存できない文字")), std::string::npos);
        F3->Button1->Click();
        EXPECT_EQ(F3->Edit1->GetText(), Literal(Dir.File("フィード.rdf")));
        // A typed name that CP932 cannot hold: OK refuses it and the dialog stays open.
        static_cast<qtbackend::TQtEdit*>(F3->Edit1)->Edit()->setText(QString::fromUtf8("caf\xC3\xA9.rdf"));
        F3->Button2->Click();
        EXPECT_EQ(T.Messages.size(), 3u);
        EXPECT_FALSE(F1->Data.Settings.F1Checked);
        F3->Button1->Click();
        EXPECT_EQ(F3->Edit1->GetText(), Dir.File("feed.rdf"));
        F3->Button2->Click();
        return mrOk;
    });
    F1->F1->Click();
    EXPECT_TRUE(F1->Data.Settings.F1Checked);
    EXPECT_TRUE(F1->F1->GetChecked());
    EXPECT_EQ(F1->Data.Settings.FSavePath, Dir.File("feed.rdf"));
    ASSERT_EQ(T.FileDialogs.size(), 4u);
    EXPECT_EQ(T.FileDialogs[0].Kind, TFileDialog::fdOpen);
    EXPECT_FALSE(T.FileDialogs[0].Options & TFileDialog::ofFileMustExist);
    EXPECT_EQ(T.FileDialogs[0].DefaultExt, "rdf");

    // Closing by the frame keeps both, whatever was typed.
    T.Modals.push_back([&](TUiForm&) {
        EXPECT_EQ(F3->Edit1->GetText(), Dir.File("feed.rdf"));
        F3->Edit1->SetText("typed");
        return mrNone;
    });
    F1->F1->Click();
    EXPECT_TRUE(F1->F1->GetChecked());
    EXPECT_EQ(F1->Data.Settings.FSavePath, Dir.File("feed.rdf"));

    // Cancel switches the configured file off and forgets it.
    T.Modals.push_back([&](TUiForm&) {
        F3->Button3->Click();
        return mrCancel;
    });
    F1->F1->Click();
    EXPECT_FALSE(F1->F1->GetChecked());
    EXPECT_EQ(F1->Data.Settings.FSavePath, "");
    EXPECT_TRUE(F3->Button3->GetCancel());
}

TEST_F(FilesAndTools, StyleSheetSwitchesWriteTheSettingsAtOnce) {
    auto Ini = [&](const char* Key) { return TIniFile(Files.Settings).ReadString("Style", Key, "?"); };
    const std::string CssCaption = Literal("ＣＳＳの指定"), XslCaption = Literal("ＸＳＬの指定");
    const std::string Prompt = Literal("スタイルシートのパスを指定して下さい。");

    // XSL on, then CSS on: XSL goes off and the check mark moves.
    T.Inputs = {std::string("style.xsl"), std::string("style.css")};
    F1->X1->Click();
    EXPECT_TRUE(F1->X1->GetChecked());
    F1->S2->Click();
    EXPECT_TRUE(F1->S2->GetChecked());
    EXPECT_FALSE(F1->X1->GetChecked());
    EXPECT_EQ(Ini("cssflg"), "1");
    EXPECT_EQ(Ini("xslflg"), "0");
    EXPECT_EQ(Ini("csspath"), "style.css");
    EXPECT_EQ(Ini("xslpath"), "style.xsl");
    ASSERT_EQ(T.InputBoxes.size(), 2u);
    EXPECT_EQ(T.InputBoxes[0].Caption, XslCaption);
    EXPECT_EQ(T.InputBoxes[1].Caption, CssCaption);
    EXPECT_EQ(T.InputBoxes[1].Prompt, Prompt);
    EXPECT_EQ(T.InputBoxes[1].Default, "");

    // CSS again: off, with the message and no question; the path stays.
    F1->S2->Click();
    EXPECT_FALSE(F1->S2->GetChecked());
    EXPECT_EQ(T.Messages, std::vector<std::string>{Literal("CSSの設定を外しました！")});
    EXPECT_EQ(Ini("cssflg"), "0");
    EXPECT_EQ(Ini("csspath"), "style.css");

    // On again and cancelled: the old path, CSS on.
    T.Inputs = {std::nullopt};
    F1->S2->Click();
    EXPECT_EQ(T.InputBoxes.back().Default, "style.css");
    EXPECT_TRUE(F1->S2->GetChecked());
    EXPECT_EQ(Ini("cssflg"), "1");
    EXPECT_EQ(Ini("csspath"), "style.css");

    // XSL switched off from on says so.
    T.Inputs = {std::string("")};
    F1->X1->Click();
    F1->X1->Click();
    EXPECT_EQ(T.Messages.back(), Literal("XSLの設定を外しました！"));
    EXPECT_FALSE(F1->X1->GetChecked());
    EXPECT_FALSE(F1->S2->GetChecked());

    // The answer is a file name: one that CP932 cannot hold is refused with a message and
    // nothing switches; one it can hold is kept as CP932 text.
    T.Inputs = {std::string("caf\xC3\xA9.css"), std::string("スタイル.css")};
    F1->S2->Click();
    EXPECT_NE(T.Messages.back().find(Literal("保存できない文字")), std::string::npos);
    EXPECT_FALSE(F1->S2->GetChecked());
    EXPECT_EQ(Ini("cssflg"), "0");
    EXPECT_EQ(Ini("csspath"), "style.css");
    F1->S2->Click();
    EXPECT_TRUE(F1->S2->GetChecked());
    EXPECT_EQ(Ini("csspath"), Literal("スタイル.css"));
}

TEST_F(FilesAndTools, StyleSheetSwitchThatCannotWriteKeepsTheCheckMarks) {
    Files.Settings = Dir.File("missing/feedloom.ini");
    Start();
    T.Inputs = {std::string("a.css")};
    F1->S2->Click();
    EXPECT_EQ(T.Messages, std::vector<std::string>{Files.Settings + Literal(" に書き込めません")});
    EXPECT_TRUE(F1->Data.Settings.FCssFlag);
    EXPECT_FALSE(F1->S2->GetChecked());
}

TEST_F(FilesAndTools, BothStyleSheetFlagsFromTheFileShowBothCheckMarks) {
    WriteFileBytes(Files.Settings, "[Style]\r\ncssflg=1\r\nxslflg=1\r\n[SVFile]\r\nflg=1\r\npath=x\r\n");
    Start();
    EXPECT_TRUE(F1->S2->GetChecked());
    EXPECT_TRUE(F1->X1->GetChecked());
    EXPECT_TRUE(F1->F1->GetChecked());
    EXPECT_TRUE(F1->S2->GetRadioItem());
    EXPECT_TRUE(F1->X1->GetRadioItem());
    EXPECT_FALSE(F1->F1->GetRadioItem());
}

TEST_F(FilesAndTools, CleanupArchivesAllAndKeepsMaxRssItem) {
    for (int I = 11; I >= 0; --I) AddItem("item" + std::to_string(I), "http://x/" + std::to_string(I), "");
    F1->SpinEdit1->SetText("10");
    Select(3);
    // No: nothing happens.
    T.Answers = {false};
    F1->N5->Click();
    EXPECT_EQ(T.Questions, std::vector<std::string>{Literal("アイテムを整理しますか？")});
    EXPECT_FALSE(FileExists(Files.Archive));
    EXPECT_EQ(F1->Data.Items.Count(), 12);

    // An archive that cannot be written: the error, and no item is deleted.
    const TAppFiles Good = Files;
    Files.Archive = Dir.File("missing/feedloom.rdf");
    const TItemStore Items = F1->Data.Items;
    Start();
    F1->Data.Items = Items;
    F1->ShowItems();
    F1->SpinEdit1->SetText("10");
    T.Answers = {true};
    F1->N5->Click();
    ASSERT_EQ(T.Messages.size(), 1u);
    EXPECT_TRUE(StartsWith(T.Messages[0], CannotCreate)) << T.Messages[0];
    EXPECT_EQ(F1->Data.Items.Count(), 12);

    // Yes: all twelve in the archive, the top ten stay, no message.
    Files = Good;
    Start();
    F1->Data.Items = Items;
    F1->ShowItems();
    F1->SpinEdit1->SetText("10");
    Select(3);
    T.Messages.clear();
    T.Answers = {true};
    F1->N5->Click();
    EXPECT_TRUE(T.Messages.empty());
    const std::string Archive = ReadFileBytes(Files.Archive);
    EXPECT_NE(Archive.find("item11"), std::string::npos);
    EXPECT_EQ(F1->Data.Items.Count(), 10);
    EXPECT_EQ(F1->ItemList->Count(), 10);
    EXPECT_EQ(F1->ItemList->Get(9), "item9");
    EXPECT_EQ(F1->SelectedIndex(), -1);

    // Fewer items than the maximum: archived, nothing deleted.
    T.Answers = {true};
    F1->SpinEdit1->SetText("20");
    F1->N5->Click();
    EXPECT_EQ(F1->Data.Items.Count(), 10);
}

TEST_F(FilesAndTools, HelpOpensTheChmElseTheGuideElseSaysItIsMissing) {
    F1->Exit1->Click();
    EXPECT_EQ(T.Messages, std::vector<std::string>{Literal("ヘルプファイルが見つかりません！")});
    EXPECT_TRUE(T.Opened.empty());
    WriteFileBytes(Files.Guide, "<html>");
    F1->Exit1->Click();
    EXPECT_EQ(T.Opened, std::vector<std::string>{FileUrl(Files.Guide)});
    WriteFileBytes(Files.Help, "chm");
    F1->Exit1->Click();
    EXPECT_EQ(T.Opened, (std::vector<std::string>{FileUrl(Files.Guide), FileUrl(Files.Help)}));
    EXPECT_EQ(T.Messages.size(), 1u);
}

TEST_F(FilesAndTools, FeedCheckListsFindingsAndDoubleClickSelectsTheItem) {
    // A clean feed: a message, no dialog.
    F1->SiteE->SetText("http://example.jp/");
    F1->NameE->SetText("n");
    AddItem("first", "http://example.jp/1", "");
    F1->V1->Click();
    EXPECT_EQ(T.Messages, std::vector<std::string>{Literal("問題は見つかりませんでした。")});
    EXPECT_EQ(T.ModalCaptions.size(), 1u); // the item dialog only

    // "参照して追加" copies the selected item's link: two items with one link.
    Select(0);
    T.Modals.push_back([&](TUiForm&) {
        F2->ItemED->SetText("second");
        F2->Button1->Click();
        return mrOk;
    });
    F1->S1->Click();
    ASSERT_EQ(F1->Data.Items.Link(0), F1->Data.Items.Link(1));
    TForm5* F5 = App->Form5();
    std::vector<std::string> Rows;
    T.Modals.push_back([&](TUiForm&) {
        for (int I = 0; I < F5->FindingList->Count(); ++I) Rows.push_back(F5->FindingList->Get(I));
        F5->FindingList->SetItemIndex(0);
        F5->FindingListDblClick();
        return mrOk;
    });
    F1->V1->Click();
    EXPECT_EQ(T.ModalCaptions.back(), Literal("フィードの検査"));
    ASSERT_EQ(Rows.size(), 1u);
    EXPECT_EQ(Rows[0].rfind(Literal("[エラー] アイテム 2「first」: "), 0), 0u) << cp932::ToUtf8(Rows[0]);
    // The duplicate (the older item, now second) is selected and shown.
    EXPECT_EQ(F1->SelectedIndex(), 1);
    EXPECT_EQ(F1->LinkE->GetText(), "http://example.jp/1");
}
