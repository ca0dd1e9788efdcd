// TEditor's editing on the Qt backend, headless: the system clipboard in both directions,
// the wheel the control leaves to the backend, and the popup menu as a QMenu.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "editor/control/editor.h"
#include "editor/control/editor_popup_menu.h"
#include "platform/cp932.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_popup_menu.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/qt/qt_window_host.h"
#include "support/editor_text.h"
#include "support/qt_app.h"

namespace {

// Qt windows and the Qt clipboard for one test; the previous services come back after it.
struct TQtEditing {
    qtbackend::TQtWindowFactory Factory;
    qtbackend::TQtClipboard Board;
    TWindowFactory* OldFactory = WindowFactory();
    TClipboard* OldClipboard = Clipboard();
    std::unique_ptr<TUiForm> Form;

    TQtEditing() {
        Form = TestToolkit().CreateForm();
        Form->SetClientSize(400, 300);
        SetWindowFactory(&Factory);
        SetClipboard(&Board);
    }
    ~TQtEditing() {
        Form.reset();
        SetWindowFactory(OldFactory);
        SetClipboard(OldClipboard);
    }
    std::unique_ptr<TEditor> MakeEditor(const std::string& Text, int Top = 0) {
        std::unique_ptr<TEditor> E{TEditor::Create(nullptr)};
        E->GetLines()->SetTextStr(Text);
        E->SetBounds(0, Top, 300, 140);
        E->CreateWnd(Form.get());
        return E;
    }
};

void Select(TEditor& E, int R1, int C1, int R2, int C2) {
    E.SetRowCol(R1, C1);
    E.StartSelection();
    E.SetRowCol(R2, C2);
    E.ExtendSelection();
}

TEST(EditorQtEdit, BoxCopyReachesOtherProgramsAsUtf8AndTheNextEditorAsABox) {
    TQtEditing Q;
    auto Source = Q.MakeEditor(cp932::Literal("一二三四") + "\r\nabcdefgh\r\n");
    auto Target = Q.MakeEditor("xyz\r\n", 150);
    Source->SetSelectionMode(smBox);
    Select(*Source, 0, 2, 1, 6);
    Source->CopyToClipboard();

    const QMimeData* M = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(M, nullptr);
    // Other programs get UTF-8 text with LF line ends, and the private type of the box.
    EXPECT_EQ(M->data(QStringLiteral("text/plain")), QByteArray("二三\ncdef\n"));
    EXPECT_TRUE(M->hasFormat(qtbackend::TQtClipboard::MimeTypeOf(TEditor::BoxClipboardFormat())));
    EXPECT_TRUE(
        qtbackend::TQtClipboard::MimeTypeOf(TEditor::BoxClipboardFormat()).contains("TEditor Box Type"));

    // Pasted into the second editor at column 1: a box, not a stream.
    Target->SetRowCol(0, 1);
    Target->PasteFromClipboard();
    EXPECT_EQ(EditorText(*Target), "x" + cp932::Literal("二三") + "yz\r\n cdef\r\n");
}

TEST(EditorQtEdit, JapaneseTextSurvivesACopyOutAndBackIn) {
    TQtEditing Q;
    const std::string Text = cp932::Literal("日本語のテキスト①") + "\r\n" + cp932::Literal("ｶﾀｶﾅ") + "\r\n";
    auto E = Q.MakeEditor(Text);
    E->SelectAll();
    E->CutToClipboard();
    EXPECT_EQ(EditorText(*E), "");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("日本語のテキスト①\nｶﾀｶﾅ\n"));
    E->PasteFromClipboard();
    EXPECT_EQ(EditorText(*E), Text);

    // Text from another program: LF becomes CR LF, and each character CP932 cannot hold
    // (also one beyond the BMP) becomes the code page's replacement '?'.
    QGuiApplication::clipboard()->setText(QString::fromUtf8("é漢\U0001F600\nz"));
    auto F = Q.MakeEditor("", 150);
    F->PasteFromClipboard();
    EXPECT_EQ(EditorText(*F), "?" + cp932::Literal("漢") + "?\r\nz");
}

TEST(EditorQtEdit, TheBackendScrollsThreeRowsANotchWhenNoHandlerTakesTheWheel) {
    TQtEditing Q;
    std::string Rows;
    for (int I = 0; I < 100; ++I) Rows += "row " + std::to_string(I) + "\r\n";
    auto E = Q.MakeEditor(Rows);
    Q.Form->Show();
    QApplication::processEvents();
    auto* Host = dynamic_cast<qtbackend::TQtWindowHost*>(E->GetHost());
    ASSERT_NE(Host, nullptr);
    auto Wheel = [&](int Delta) {
        const QPointF P(20, 20);
        QWheelEvent Ev(P, Host->Widget()->mapToGlobal(P), QPoint(), QPoint(0, Delta), Qt::NoButton,
                       Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Host->Widget(), &Ev);
    };
    Wheel(-120);
    EXPECT_EQ(E->GetTopRow(), 3);
    Wheel(-60);
    EXPECT_EQ(E->GetTopRow(), 3);
    Wheel(-60);
    EXPECT_EQ(E->GetTopRow(), 6);
    Wheel(240);
    EXPECT_EQ(E->GetTopRow(), 0);
    // A handler that takes the wheel keeps the view where it is.
    E->OnMouseWheel = [](TObject*, uint32_t, int, TPoint, bool& Handled) { Handled = true; };
    Wheel(-120);
    EXPECT_EQ(E->GetTopRow(), 0);
}

// Qt mouse events on the control's widget, as a person's drag makes them.
TEST(EditorQtEdit, AMouseDragOnTheWidgetSelectsAndMovesText) {
    TQtEditing Q;
    auto E = Q.MakeEditor("one two\r\nthree\r\n");
    Q.Form->Show();
    QApplication::processEvents();
    auto* Host = dynamic_cast<qtbackend::TQtWindowHost*>(E->GetHost());
    ASSERT_NE(Host, nullptr);
    QWidget* W = Host->Widget();
    auto Cell = [&](int Row, int Col) {
        const TPoint P = Host->ClientToScreen(
            TPoint{E->TextLeft() + Col * E->GetColWidth() + 1, E->TextTop() + Row * E->GetRowHeight() + 1});
        return W->mapFromGlobal(QPoint(P.X, P.Y));
    };
    auto Mouse = [&](QEvent::Type Type, QPoint At, Qt::MouseButton Button, Qt::MouseButtons Buttons) {
        QMouseEvent Ev(Type, QPointF(At), QPointF(W->mapToGlobal(At)), Button, Buttons, Qt::NoModifier);
        QApplication::sendEvent(W, &Ev);
    };
    // Select "two" by dragging over it.
    Mouse(QEvent::MouseButtonPress, Cell(0, 4), Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, Cell(0, 6), Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, Cell(0, 7), Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, Cell(0, 7), Qt::LeftButton, Qt::NoButton);
    ASSERT_EQ(E->GetSelText(), "two");
    // Drag it to the end of the second row.
    Mouse(QEvent::MouseButtonPress, Cell(0, 5), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(E->GetDragState(), dsPending);
    Mouse(QEvent::MouseMove, Cell(1, 3), Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, Cell(1, 5), Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, Cell(1, 5), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(EditorText(*E), "one \r\nthreetwo\r\n");
    EXPECT_EQ(E->GetDragState(), dsNone);
}

TEST(EditorQtEdit, PopupMenuAsAQMenu) {
    TQtEditing Q;
    auto E = Q.MakeEditor("abc");
    auto* Menu = dynamic_cast<TEditorPopupMenu*>(E->GetPopupMenu());
    ASSERT_NE(Menu, nullptr);
    Menu->MenuPopup(Menu);
    std::unique_ptr<QMenu> M = qtbackend::TQtPopupMenuPresenter::BuildMenu(*Menu->GetItems());
    const QList<QAction*> A = M->actions();
    ASSERT_EQ(A.size(), 15);
    EXPECT_EQ(A[0]->text(), QString::fromUtf8("マーク設定"));
    ASSERT_NE(A[0]->menu(), nullptr);
    EXPECT_EQ(A[0]->menu()->actions().size(), 10);
    EXPECT_EQ(A[0]->menu()->actions()[3]->text(), QStringLiteral("3\tShift+Ctrl+3"));
    EXPECT_TRUE(A[2]->isSeparator());
    EXPECT_EQ(A[3]->text(), QString::fromUtf8("元に戻す(&U)\tCtrl+Z"));
    EXPECT_FALSE(A[3]->isEnabled());
    EXPECT_TRUE(A[12]->isEnabled()); // select all: the text is not empty
    // The chosen action leads back to its item.
    EXPECT_EQ(reinterpret_cast<TMenuItem*>(A[12]->data().value<quintptr>()), Menu->SelectAllItem);
}

} // namespace
