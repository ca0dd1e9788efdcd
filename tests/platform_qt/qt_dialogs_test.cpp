// The toolkit's standard dialogs on Qt, answered by code that runs once each dialog is up:
// the question, the input box, the open and save dialogs.
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

#include "platform/cp932.h"
#include "support/qt_app.h"

namespace {

// Runs Answer on the modal dialog as soon as the nested loop shows it.
template <class TDialog> void WhenShown(std::function<void(TDialog*)> Answer) {
    QTimer::singleShot(0, [Answer] {
        auto* D = qobject_cast<TDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(D, nullptr);
        Answer(D);
    });
}

std::string TempFolder() {
    std::string P = (std::filesystem::temp_directory_path() / "feedloom-dlg-XXXXXX").string();
    if (!mkdtemp(P.data())) std::abort();
    return P;
}

} // namespace

TEST(QtDialogs, QuestionHasJapaneseButtonsWithYesTheDefault) {
    WhenShown<QMessageBox>([](QMessageBox* B) {
        EXPECT_EQ(B->defaultButton(), B->button(QMessageBox::No));
        B->defaultButton()->click();
    });
    EXPECT_FALSE(TestToolkit().AskYesNo(cp932::Literal("保存せずに終了しますか？"), false));
    for (const bool PressYes : {true, false}) {
        WhenShown<QMessageBox>([PressYes](QMessageBox* B) {
            EXPECT_EQ(B->icon(), QMessageBox::Information);
            EXPECT_EQ(B->defaultButton(), B->button(QMessageBox::Yes));
            EXPECT_EQ(B->button(QMessageBox::Yes)->text(), QString::fromUtf8("はい(&Y)"));
            EXPECT_EQ(B->button(QMessageBox::No)->text(), QString::fromUtf8("いいえ(&N)"));
            EXPECT_EQ(B->text(), QString::fromUtf8("削除してもよろしいですか？"));
            (PressYes ? B->button(QMessageBox::Yes) : B->button(QMessageBox::No))->click();
        });
        EXPECT_EQ(TestToolkit().AskYesNo(cp932::Literal("削除してもよろしいですか？")), PressYes);
    }
}

TEST(QtDialogs, InputBoxOkReturnsTheTextCancelTheInitialText) {
    const std::string Caption = cp932::Literal("ＣＳＳの指定");
    // As CP932 text a character CP932 lacks becomes '?'; as a file name every character stays.
    struct TCase {
        bool Ok;
        TUiToolkit::TInputForm Form;
        const char* Typed;
        std::string Expected;
    };
    const TCase Cases[] = {
        {true, TUiToolkit::ifCp932, "新.css", cp932::Literal("新.css")},
        {false, TUiToolkit::ifCp932, "新.css", cp932::Literal("旧.css")},
        {true, TUiToolkit::ifCp932, "café.css", "caf?.css"},
        {true, TUiToolkit::ifFileName, "café 〜.css", "café 〜.css"},
        {false, TUiToolkit::ifFileName, "café.css", "旧.css"},
    };
    for (const TCase& C : Cases) {
        WhenShown<QDialog>([&C](QDialog* D) {
            EXPECT_EQ(D->windowTitle(), QString::fromUtf8("ＣＳＳの指定"));
            auto* Edit = D->findChild<QLineEdit*>();
            ASSERT_NE(Edit, nullptr);
            EXPECT_EQ(Edit->text(), QString::fromUtf8("旧.css"));
            Edit->setText(QString::fromUtf8(C.Typed));
            C.Ok ? D->accept() : D->reject();
        });
        EXPECT_EQ(TestToolkit().InputBox(Caption, "prompt", cp932::Literal("旧.css"), C.Form), C.Expected)
            << C.Typed << (C.Ok ? " OK" : " Cancel");
    }
}

TEST(QtDialogs, FileDialogsAsConfigured) {
    const std::string Folder = TempFolder();
    TFileDialog Open;
    Open.Kind = TFileDialog::fdOpen;
    Open.Filter = cp932::Literal("RDFファイル(*.rdf)|*.rdf|XMLファイル(*.xml)|*.xml");
    Open.DefaultExt = "rdf";
    Open.Options = TFileDialog::ofHideReadOnly | TFileDialog::ofEnableSizing;
    // An open dialog takes a file that does not exist yet.
    WhenShown<QFileDialog>([&](QFileDialog* D) {
        EXPECT_EQ(D->nameFilters(), (QStringList{QString::fromUtf8("RDFファイル(*.rdf)"),
                                                 QString::fromUtf8("XMLファイル(*.xml)")}));
        EXPECT_EQ(D->selectedNameFilter(), QString::fromUtf8("RDFファイル(*.rdf)"));
        EXPECT_EQ(D->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(D->fileMode(), QFileDialog::AnyFile);
        EXPECT_TRUE(D->isSizeGripEnabled());
        D->setDirectory(QString::fromStdString(Folder));
        D->selectFile(QStringLiteral("new.rdf"));
        static_cast<QDialog*>(D)->accept(); // QFileDialog::accept, which checks the name
    });
    ASSERT_TRUE(TestToolkit().Execute(Open));
    EXPECT_EQ(Open.FileName, Folder + "/new.rdf");

    // A save dialog adds the default extension and asks before replacing a file.
    TFileDialog Save = Open;
    Save.Kind = TFileDialog::fdSave;
    Save.FileName.clear();
    Save.Options |= TFileDialog::ofOverwritePrompt;
    WhenShown<QFileDialog>([&](QFileDialog* D) {
        EXPECT_EQ(D->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_FALSE(D->testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(D->defaultSuffix(), QStringLiteral("rdf"));
        D->setDirectory(QString::fromStdString(Folder));
        D->selectFile(QStringLiteral("feed"));
        static_cast<QDialog*>(D)->accept(); // QFileDialog::accept, which checks the name
    });
    ASSERT_TRUE(TestToolkit().Execute(Save));
    EXPECT_EQ(Save.FileName, Folder + "/feed.rdf");

    // Cancel leaves the file name alone.
    WhenShown<QFileDialog>([](QFileDialog* D) { D->reject(); });
    EXPECT_FALSE(TestToolkit().Execute(Save));
    EXPECT_EQ(Save.FileName, Folder + "/feed.rdf");
    std::filesystem::remove_all(Folder);
}
