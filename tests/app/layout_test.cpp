// The four windows as designed, offscreen: caption, client size, fonts as mapped, the
// controls' positions and sizes, the tab order, labels, menus; and the real widgets'
// own behaviour where the handlers rely on it (spin box, popup shortcuts, Enter).
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

#include "app/app_test_support.h"
#include "app/dialogs.h"
#include "platform/cp932.h"
#include "platform/qt/qt_toolkit.h"

using cp932::Literal;

namespace {

qtbackend::TQtForm& QtForm(TUiForm& Form) {
    return dynamic_cast<qtbackend::TQtForm&>(Form);
}

// The form's own control under a point of its client area (not a part inside it).
QWidget* ControlAt(TUiForm& Form, int X, int Y) {
    QWidget* Client = QtForm(Form).Window()->Client();
    for (QObject* O : Client->children())
        if (auto* W = qobject_cast<QWidget*>(O); W && W->isVisibleTo(Client) && W->geometry().contains(X, Y))
            return W;
    return nullptr;
}

struct TBox {
    int Left, Top, Width, Height;
};

QRect ToQRect(const TBox& B) {
    return QRect(B.Left, B.Top, B.Width, B.Height);
}

// The geometries of the form's controls that Tab visits, in the order it visits them.
std::vector<QRect> TabOrder(TUiForm& Form) {
    QWidget* Client = QtForm(Form).Window()->Client();
    std::vector<QRect> Order;
    for (QWidget* W = Client->nextInFocusChain(); W != Client; W = W->nextInFocusChain())
        if (W->parentWidget() == Client && (W->focusPolicy() & Qt::TabFocus) && W->isVisibleTo(Client))
            Order.push_back(W->geometry());
    return Order;
}

void ExpectTabOrder(TUiForm& Form, const std::vector<TBox>& Expected) {
    std::vector<QRect> E;
    for (const TBox& B : Expected) E.push_back(ToQRect(B));
    const std::vector<QRect> Actual = TabOrder(Form);
    ASSERT_EQ(Actual.size(), E.size());
    for (size_t I = 0; I < E.size(); ++I) EXPECT_EQ(Actual[I], E[I]) << "tab stop " << I;
}

QString Family(const QFont& F) {
    return QFontInfo(F).family();
}

void ExpectFrame(TUiForm& Form, const char* Caption, int Width, int Height, const char* Family_) {
    Form.Show();
    EXPECT_EQ(Form.GetCaption(), Literal(Caption));
    EXPECT_EQ(Form.GetClientWidth(), Width);
    EXPECT_EQ(Form.GetClientHeight(), Height);
    EXPECT_EQ(Family(QtForm(Form).Window()->font()), QString::fromLatin1(Family_));
}

void ExpectLabel(TUiLabeledEdit* E, const char* Caption) {
    EXPECT_EQ(E->GetLabelCaption(), Literal(Caption));
    const TRect L = E->LabelBoundsRect(), B = E->BoundsRect();
    EXPECT_LE(L.Right, B.Left) << Caption;
    EXPECT_GE(L.Right, B.Left - 3) << Caption;
    EXPECT_NEAR((L.Top + L.Bottom) / 2.0, (B.Top + B.Bottom) / 2.0, 1.0) << Caption;
}

std::vector<std::string> Captions(const std::function<TUiMenuItem*(int)>& Item, int Count) {
    std::vector<std::string> C;
    for (int I = 0; I < Count; ++I) C.push_back(Item(I)->GetCaption());
    return C;
}

std::vector<std::string> Literals(std::initializer_list<const char*> L) {
    std::vector<std::string> R;
    for (const char* S : L) R.push_back(Literal(S));
    return R;
}

} // namespace

class Layout : public apptest::AppTest {};

TEST_F(Layout, MainWindow) {
    ExpectFrame(F1->Window(), "Feedloom Ver1.08", 469, 353, "IPAPGothic");
    EXPECT_EQ(F1->Window().GetBorderStyle(), bsSingle);
    ExpectTabOrder(F1->Window(), {{80, 8, 385, 20},
                                  {80, 32, 384, 20},
                                  {416, 56, 49, 21},
                                  {3, 80, 462, 97},
                                  {80, 184, 384, 20},
                                  {80, 208, 384, 20},
                                  {80, 232, 385, 97}});
    ExpectLabel(F1->SiteE, "Your Site URL");
    ExpectLabel(F1->NameE, "Site Name");
    ExpectLabel(F1->LinkE, "Item Link URL");
    ExpectLabel(F1->TimeE, "Update Time");
    EXPECT_TRUE(F1->LinkE->GetReadOnly());
    EXPECT_TRUE(F1->TimeE->GetReadOnly());
    EXPECT_EQ(F1->ItemList->GetItemHeight(), 12);
    // The hidden parts keep their designed places.
    const struct {
        TUiListBox* List;
        TBox Box;
    } Hidden[] = {{F1->linkList, {80, 56, 41, 17}},
                  {F1->TimeList, {136, 56, 41, 17}},
                  {F1->DesList, {176, 56, 41, 17}}};
    for (const auto& H : Hidden) {
        EXPECT_FALSE(H.List->GetVisible());
        const TRect R = H.List->BoundsRect();
        EXPECT_EQ(QRect(R.Left, R.Top, R.Width(), R.Height()), ToQRect(H.Box));
    }
    EXPECT_FALSE(F1->Editor1->GetHost()->Showing());
    EXPECT_EQ(F1->Editor1->GetLeft(), 16);
    EXPECT_EQ(F1->Editor1->GetTop(), 296);
    // Static labels.
    EXPECT_EQ(F1->Label1->GetCaption(), "RSS Item");
    EXPECT_EQ(F1->Label1->BoundsRect().Left, 8);
    EXPECT_EQ(F1->Label1->BoundsRect().Top, 64);
    EXPECT_EQ(F1->Label2->GetCaption(), "Description");
    EXPECT_EQ(F1->Label2->BoundsRect().Top, 272);
    EXPECT_EQ(F1->Label3->GetCaption(), "Max RSS Item");
    EXPECT_EQ(F1->Label3->BoundsRect().Left, 340);
    // Fonts: the link as a hyperlink, the descriptions in the fixed-pitch face.
    const TUiFont Link = F1->LinkE->GetFont();
    EXPECT_EQ(Link.Face, Literal("ＭＳ Ｐゴシック"));
    EXPECT_EQ(Link.Height, 12);
    EXPECT_TRUE(Link.Underline);
    EXPECT_EQ(Link.Color, 0xFF0000);
    auto* LinkWidget = ControlAt(F1->Window(), 100, 194);
    ASSERT_NE(qobject_cast<QLineEdit*>(LinkWidget), nullptr);
    EXPECT_EQ(LinkWidget->palette().color(QPalette::Text), QColor(0, 0, 255));
    EXPECT_TRUE(LinkWidget->font().underline());
    EXPECT_EQ(F1->DesE->GetFont().Name, Literal("ＭＳ ゴシック"));
    EXPECT_EQ(F1->DesE->GetFont().Height, 12);
    EXPECT_TRUE(F1->DesE->GetReadOnly());
    EXPECT_EQ(F1->DesE->GetScrollBars(), ssBoth);
    EXPECT_EQ(F1->DesE->GetMargin()->GetLeft(), 1);
    EXPECT_FALSE(F1->DesE->GetImagebar()->GetVisible());
    EXPECT_FALSE(F1->DesE->GetCaret()->FreeCaret);
    EXPECT_TRUE(F1->DesE->GetCaret()->KeepCaret);
    EXPECT_FALSE(F1->DesE->GetWordWrap());
    EXPECT_EQ(F1->Editor1->GetFont().Name, "FixedSys");
    // Menus.
    EXPECT_EQ(Captions([&](int I) { return F1->MainMenu1->Item(I); }, F1->MainMenu1->Count()),
              Literals({"追加(&A)", "編集(&E)", "参照して追加(&S)", "削除(&D)", "ツール(&T)", "RSS作成(&R)",
                        "ヘルプ(&H)"}));
    EXPECT_EQ(Captions([&](int I) { return F1->C2->Item(I); }, F1->C2->Count()),
              Literals({"サイトの説明文(&D)", "アイテム整理(&C)", "CSS指定(&S)", "XSL指定(&X)",
                        "保存ファイル指定(&F)", "フィードの検査(&V)"}));
    EXPECT_EQ(Captions([&](int I) { return F1->PopupMenu1->Item(I); }, F1->PopupMenu1->Count()),
              Literals({"追加", "編集", "参照して追加", "削除", "上へ", "下へ"}));
    const TShortCut Keys[] = {scCtrl | 'P', scCtrl | 'E', scCtrl | 'S',
                              VK_DELETE,    scCtrl | 'U', scCtrl | 'D'};
    for (int I = 0; I < 6; ++I) EXPECT_EQ(F1->PopupMenu1->Item(I)->GetShortCut(), Keys[I]);
    EXPECT_EQ(F1->New1->Tag, 1);
    EXPECT_EQ(F1->S1->Tag, 2);
    EXPECT_EQ(F1->N2->Tag, 2);
    F1->Window().Close();
}

TEST_F(Layout, ItemDialog) {
    F1->FEditMode = 0;
    ExpectFrame(F2->Window(), "Item追加・編集", 512, 231, "IPAPGothic");
    EXPECT_EQ(F2->Window().GetBorderStyle(), bsDialog);
    ExpectTabOrder(F2->Window(), {{79, 8, 425, 20},
                                  {80, 32, 425, 20},
                                  {80, 56, 425, 97},
                                  {344, 192, 75, 25},
                                  {432, 192, 75, 25},
                                  {80, 160, 425, 20}});
    ExpectLabel(F2->ItemED, "Item Title");
    ExpectLabel(F2->LinkED, "Item Link URL");
    ExpectLabel(F2->TimeED, "Update Time");
    EXPECT_EQ(F2->Label1->GetCaption(), "Description");
    EXPECT_EQ(F2->Label1->BoundsRect().Top, 96);
    EXPECT_EQ(F2->Button1->GetCaption(), "OK");
    EXPECT_EQ(F2->Button2->GetCaption(), "Cancel");
    EXPECT_FALSE(F2->Button1->GetDefault() || F2->Button1->GetCancel());
    EXPECT_FALSE(F2->Button2->GetDefault() || F2->Button2->GetCancel());
    EXPECT_FALSE(F2->DesED->GetReadOnly());
    // Enter and Esc press neither button.
    QApplication::setActiveWindow(QtForm(F2->Window()).Window());
    QWidget* Title = ControlAt(F2->Window(), 100, 18);
    ASSERT_NE(Title, nullptr);
    Title->setFocus();
    QTest::keyClick(Title, Qt::Key_Return);
    QTest::keyClick(Title, Qt::Key_Escape);
    EXPECT_EQ(F1->Data.Items.Count(), 0);
    EXPECT_TRUE(F2->Window().IsVisible());
    EXPECT_EQ(F2->DesED->GetFont().Name, Literal("ＭＳ ゴシック"));
    EXPECT_EQ(F2->DesED->GetMargin()->GetLeft(), 1);
    F2->Window().Close();
}

TEST_F(Layout, OutputFileDialog) {
    TForm3* F3 = App->Form3();
    ExpectFrame(F3->Window(), "保存ファイル指定", 354, 83, "IPAPGothic");
    ExpectTabOrder(F3->Window(),
                   {{16, 32, 297, 20}, {320, 32, 25, 17}, {192, 58, 73, 17}, {272, 58, 73, 17}});
    EXPECT_EQ(F3->Label1->GetCaption(), Literal("ファイル作成場所（パス）を指定して下さい。"));
    EXPECT_EQ(F3->Label1->BoundsRect().Left, 16);
    EXPECT_EQ(F3->Label1->BoundsRect().Top, 16);
    EXPECT_EQ(F3->Button1->GetCaption(), "...");
    EXPECT_EQ(F3->Button3->GetCaption(), "Cancel");
    EXPECT_FALSE(F3->Button2->GetDefault());
    EXPECT_EQ(ControlAt(F3->Window(), 330, 40)->toolTip(), QString::fromUtf8("参照"));
    F3->Window().Close();
}

TEST_F(Layout, SiteDescriptionDialog) {
    TForm4* F4 = App->Form4();
    ExpectFrame(F4->Window(), "サイトの説明文", 324, 73, "DejaVu Sans");
    EXPECT_EQ(F4->Window().GetBorderStyle(), bsSizeable);
    EXPECT_EQ(QFontInfo(QtForm(F4->Window()).Window()->font()).pixelSize(), 11);
    ExpectTabOrder(F4->Window(), {{148, 39, 81, 25}, {235, 39, 81, 25}, {8, 8, 305, 25}});
    // Enter in the edit presses OK (which asks first); Esc presses Cancel.
    QApplication::setActiveWindow(QtForm(F4->Window()).Window());
    QWidget* Edit = ControlAt(F4->Window(), 20, 20);
    ASSERT_NE(Edit, nullptr);
    Edit->setFocus();
    T.Answers = {false};
    QTest::keyClick(Edit, Qt::Key_Return);
    EXPECT_EQ(T.Questions.size(), 1u);
    bool Cancelled = false;
    F4->Button2->OnClick = [&] { Cancelled = true; };
    QTest::keyClick(Edit, Qt::Key_Escape);
    EXPECT_TRUE(Cancelled);
    F4->Window().Close();
}

// Typing into the spin box: characters are filtered, nothing clamps until it loses the focus.
TEST_F(Layout, SpinBoxClampsOnlyWhenItLosesTheFocus) {
    F1->Window().Show();
    auto* Box = qobject_cast<QAbstractSpinBox*>(ControlAt(F1->Window(), 420, 66));
    ASSERT_NE(Box, nullptr);
    const struct {
        const char* Typed;
        const char* TextBefore; // while the box has the focus
        int ValueBefore;
        const char* TextAfter; // once it lost the focus
        int ValueAfter;
    } Cases[] = {
        {"3", "3", 3, "5", 5},         {"250", "250", 250, "100", 100}, {"", "", 5, "", 5},
        {"-", "-", 5, "-", 5},         {"-5", "-5", -5, "5", 5},        {"1a2", "12", 12, "12", 12},
        {"+45", "+45", 45, "+45", 45}, {"4.5", "4.5", 5, "4.5", 5},
    };
    for (const auto& C : Cases) {
        F1->SpinEdit1->SetText("");
        QTest::keyClicks(Box, QString::fromLatin1(C.Typed));
        EXPECT_EQ(F1->SpinEdit1->GetText(), C.TextBefore) << C.Typed;
        EXPECT_EQ(F1->SpinEdit1->GetValue(), C.ValueBefore) << C.Typed;
        QFocusEvent Out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(Box, &Out);
        EXPECT_EQ(F1->SpinEdit1->GetText(), C.TextAfter) << C.Typed;
        EXPECT_EQ(F1->SpinEdit1->GetValue(), C.ValueAfter) << C.Typed;
    }
    // The arrows step by 5 within the bounds.
    F1->SpinEdit1->SetValue(95);
    QTest::keyClick(Box, Qt::Key_Up);
    EXPECT_EQ(F1->SpinEdit1->GetValue(), 100);
    QTest::keyClick(Box, Qt::Key_Up);
    EXPECT_EQ(F1->SpinEdit1->GetValue(), 100);
    F1->SpinEdit1->SetValue(10);
    QTest::keyClick(Box, Qt::Key_Down);
    QTest::keyClick(Box, Qt::Key_Down);
    EXPECT_EQ(F1->SpinEdit1->GetValue(), 5);
    F1->Window().Close();
}

// The popup menu's shortcuts belong to the item list alone.
TEST_F(Layout, PopupShortcutsActOnlyWhileTheListHasTheFocus) {
    AddItem("b", "", "");
    AddItem("a", "", "");
    F1->Window().Show();
    auto* List = qobject_cast<QListView*>(ControlAt(F1->Window(), 10, 90));
    ASSERT_NE(List, nullptr);
    QWidget* Site = ControlAt(F1->Window(), 100, 18);
    ASSERT_NE(Site, nullptr);
    QApplication::setActiveWindow(QtForm(F1->Window()).Window());
    Select(0);
    // Ctrl+D with the site field focused: nothing moves.
    Site->setFocus();
    QTest::keyClick(Site, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"a", "b"}));
    // With the list focused it moves the item down, Ctrl+U back up.
    List->setFocus();
    ASSERT_TRUE(List->hasFocus());
    QTest::keyClick(List, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(F1->SelectedIndex(), 1);
    QTest::keyClick(List, Qt::Key_U, Qt::ControlModifier);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"a", "b"}));
    // Del asks before it deletes.
    T.Answers = {false};
    QTest::keyClick(List, Qt::Key_Delete);
    EXPECT_EQ(T.Questions.size(), 1u);
    F1->Window().Close();
}

// Typing into the item dialog's description: Enter starts a new line and presses no button.
TEST_F(Layout, EnterInTheDescriptionStartsANewLine) {
    F1->FEditMode = 0;
    F2->Window().Show();
    QApplication::setActiveWindow(QtForm(F2->Window()).Window());
    QWidget* Editor = ControlAt(F2->Window(), 200, 100);
    ASSERT_NE(Editor, nullptr);
    Editor->setFocus();
    QTest::keyClicks(Editor, QStringLiteral("ab"));
    QTest::keyClick(Editor, Qt::Key_Return);
    QTest::keyClicks(Editor, QStringLiteral("cd"));
    EXPECT_EQ(apptest::Rows(*F2->DesED), (std::vector<std::string>{"ab", "cd"}));
    EXPECT_TRUE(F2->Window().IsVisible());
    EXPECT_EQ(F1->Data.Items.Count(), 0);
    F2->Window().Close();
}

// A click on an item shows its details; a double click on it opens the item dialog.
TEST_F(Layout, ClickingAnItemShowsItsDetails) {
    AddItem("b", "http://b/", "x|y");
    AddItem("a", "http://a/", "");
    T.ModalCaptions.clear();
    F1->Window().Show();
    auto* List = qobject_cast<QListView*>(ControlAt(F1->Window(), 10, 90));
    ASSERT_NE(List, nullptr);
    const QPoint Second = List->visualRect(List->model()->index(1, 0)).center();
    QTest::mouseClick(List->viewport(), Qt::LeftButton, {}, Second);
    EXPECT_EQ(F1->SelectedIndex(), 1);
    EXPECT_EQ(F1->LinkE->GetText(), "http://b/");
    EXPECT_EQ(apptest::Rows(*F1->DesE), (std::vector<std::string>{"x", "y"}));
    // The keyboard moves the selection as well.
    List->setFocus();
    QTest::keyClick(List, Qt::Key_Up);
    EXPECT_EQ(F1->LinkE->GetText(), "http://a/");
    // A click below the items keeps the selection.
    QTest::mouseClick(List->viewport(), Qt::LeftButton, {}, QPoint(10, 80));
    EXPECT_EQ(F1->SelectedIndex(), 0);
    T.Modals.push_back([&](TUiForm&) {
        EXPECT_EQ(F2->ItemED->GetText(), "a");
        return mrCancel;
    });
    QTest::mouseDClick(List->viewport(), Qt::LeftButton, {}, List->visualRect(List->model()->index(0, 0)).center());
    EXPECT_EQ(T.ModalCaptions.size(), 1u);
    F1->Window().Close();
}
