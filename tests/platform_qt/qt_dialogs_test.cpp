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
    for (const bool Ok : {true, false}) {
        WhenShown<QDialog>([Ok](QDialog* D) {
            EXPECT_EQ(D->windowTitle(), QString::fromUtf8("ＣＳＳの指定"));
            auto* Edit = D->findChild<QLineEdit*>();
            ASSERT_NE(Edit, nullptr);
            EXPECT_EQ(Edit->text(), QStringLiteral("old.css"));
            Edit->setText(QString::fromUtf8("新.css"));
            Ok ? D->accept() : D->reject();
        });
        const std::string Result = TestToolkit().InputBox(Caption, "prompt", "old.css");
        EXPECT_EQ(Result, Ok ? cp932::Literal("新.css") : std::string("old.css"));
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
