// TEditor on the Qt backend, headless: placed in a form's client area, driven by Qt's scroll
// bar and focus events.
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "editor/control/editor.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/qt/qt_window_host.h"
#include "support/qt_app.h"

namespace {

// Installs the Qt window factory for one test and puts the previous one back.
struct TQtWindowed {
    qtbackend::TQtWindowFactory Factory;
    TWindowFactory* Old = WindowFactory();
    std::unique_ptr<TUiForm> Form;
    std::unique_ptr<TEditor> E{TEditor::Create(nullptr)};

    TQtWindowed() {
        Form = TestToolkit().CreateForm();
        Form->SetClientSize(400, 300);
        SetWindowFactory(&Factory);
    }
    ~TQtWindowed() {
        E.reset();
        Form.reset();
        SetWindowFactory(Old);
    }
    // Places the editor in the shown form and gives it the focus; false when the platform
    // plugin gives none.
    bool ShowFocused() {
        E->SetBounds(0, 0, 300, 150);
        E->CreateWnd(Form.get());
        Form->Show();
        QWidget* W = Host()->Widget();
        W->window()->activateWindow();
        W->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
        return W->hasFocus();
    }
    qtbackend::TQtWindowHost* Host() const { return dynamic_cast<qtbackend::TQtWindowHost*>(E->GetHost()); }
    QScrollBar* Bar(Qt::Orientation O) const {
        for (QScrollBar* B : Host()->Widget()->findChildren<QScrollBar*>())
            if (B->orientation() == O) return B;
        return nullptr;
    }
};

std::string RowsText(int N) {
    std::string S;
    for (int I = 0; I < N; ++I) S += "row " + std::to_string(I) + "\r\n";
    return S;
}

TEST(EditorQt, WindowSitsInTheFormsClientArea) {
    TQtWindowed Q;
    Q.E->SetBounds(10, 20, 200, 120);
    Q.E->CreateWnd(Q.Form.get());
    ASSERT_NE(Q.Host(), nullptr);
    QWidget* W = Q.Host()->Widget();
    EXPECT_EQ(W->parentWidget(), static_cast<qtbackend::TQtForm*>(Q.Form.get())->Window()->Client());
    EXPECT_EQ(W->geometry(), QRect(10, 20, 200, 120));
    EXPECT_EQ(Q.Host()->GetExStyle() & WS_EX_CLIENTEDGE, uint32_t(WS_EX_CLIENTEDGE));
    EXPECT_GT(Q.E->GetColWidth(), 0);
    EXPECT_GT(Q.E->GetFontHeight(), 0);
    EXPECT_EQ(Q.E->TextLeft(), 31);
    EXPECT_EQ(Q.E->TextTop(), 2);

    // A resize of the window reaches the view.
    Q.Form->Show();
    W->resize(300, 200);
    QApplication::processEvents();
    EXPECT_EQ(Q.E->GetWidth(), 300);
    EXPECT_EQ(Q.E->GetRowCount(), std::max(1, (200 - 2 - 5) / Q.E->GetRowHeight()));
}

TEST(EditorQt, ScrollBarActionsMoveTheTopRow) {
    TQtWindowed Q;
    Q.E->GetLines()->SetTextStr(RowsText(200));
    Q.E->SetScrollBars(ssVertical);
    Q.E->SetBounds(0, 0, 300, 150);
    Q.E->CreateWnd(Q.Form.get());
    Q.Form->Show();
    QApplication::processEvents();
    QScrollBar* V = Q.Bar(Qt::Vertical);
    ASSERT_NE(V, nullptr);
    // The bar's last position is the number of rows (the empty row after the final break).
    EXPECT_EQ(V->maximum(), Q.E->RowsCount());
    EXPECT_EQ(V->pageStep(), Q.E->GetRowCount());

    V->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(Q.E->GetTopRow(), 1);
    EXPECT_EQ(V->value(), 1);
    V->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(Q.E->GetTopRow(), 1 + Q.E->GetRowCount());
    V->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(Q.E->GetTopRow(), 0);
}

TEST(EditorQt, FocusShowsTheCaretAtTheCaretCell) {
    TQtWindowed Q;
    Q.E->GetLines()->SetTextStr(RowsText(5));
    if (!Q.ShowFocused()) GTEST_SKIP() << "the platform plugin gives no focus";
    QWidget* W = Q.Host()->Widget();
    Q.E->SetRowCol(2, 3);
    EXPECT_TRUE(Q.Host()->CaretVisible());
    const int X = Q.E->TextLeft() + 3 * Q.E->GetColWidth();
    const int Y = Q.E->TextTop() + 2 * Q.E->GetRowHeight();
    EXPECT_EQ(Q.Host()->CaretRect(), QRect(X, Y, 2, Q.E->GetFontHeight()));

    W->clearFocus();
    QApplication::processEvents();
    EXPECT_FALSE(Q.Host()->CaretVisible());
    EXPECT_FALSE(Q.E->GetCaretShown());
}

// Tab follows WantTabs alone: WantReturns (all keys but Tab) leaves Tab to the focus chain.
TEST(EditorQt, TabMovesTheFocusUnlessWantTabs) {
    struct TCase {
        bool WantTabs, WantReturns, Inserts;
    };
    for (const TCase C : {TCase{false, true, false}, TCase{false, false, false}, TCase{true, true, true}}) {
        TQtWindowed Q;
        Q.Form->AddEdit()->SetBounds(0, 200, 100, 20);
        Q.E->WantTabs = C.WantTabs;
        Q.E->WantReturns = C.WantReturns;
        if (!Q.ShowFocused()) GTEST_SKIP() << "the platform plugin gives no focus";
        QWidget* W = Q.Host()->Widget();
        QKeyEvent Tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
        QApplication::sendEvent(W, &Tab);
        QApplication::processEvents();
        EXPECT_EQ(W->hasFocus(), C.Inserts) << C.WantTabs << C.WantReturns;
        EXPECT_EQ(Q.E->GetLines()->GetTextStr().find('\t') != std::string::npos, C.Inserts)
            << C.WantTabs << C.WantReturns;
    }
}

} // namespace
