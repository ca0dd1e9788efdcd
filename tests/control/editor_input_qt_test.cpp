// The editor's input through the Qt backend, headless: Qt key and input-method events reach
// the control as key, character and composition messages.
#include <QApplication>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QKeyEvent>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "editor/control/editor.h"
#include "platform/cp932.h"
#include "support/editor_text.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/qt/qt_window_host.h"
#include "support/qt_app.h"

namespace {

struct TQtInput {
    qtbackend::TQtWindowFactory Factory;
    TWindowFactory* Old = WindowFactory();
    std::unique_ptr<TUiForm> Form;
    std::unique_ptr<TEditor> E{TEditor::Create(nullptr)};

    explicit TQtInput(const std::string& Text) {
        Form = TestToolkit().CreateForm();
        Form->SetClientSize(400, 300);
        SetWindowFactory(&Factory);
        E->GetLines()->SetTextStr(Text);
        E->SetBounds(0, 0, 300, 200);
        E->CreateWnd(Form.get());
        Form->Show();
        QApplication::processEvents();
    }
    ~TQtInput() {
        E.reset();
        Form.reset();
        SetWindowFactory(Old);
    }
    QWidget* W() const { return dynamic_cast<qtbackend::TQtWindowHost*>(E->GetHost())->Widget(); }
    void Press(int Key, Qt::KeyboardModifiers Mods = Qt::NoModifier, const QString& Text = {},
               bool Repeat = false) {
        QKeyEvent Down(QEvent::KeyPress, Key, Mods, Text, Repeat);
        QCoreApplication::sendEvent(W(), &Down);
    }
    void Release(int Key, Qt::KeyboardModifiers Mods = Qt::NoModifier) {
        QKeyEvent Up(QEvent::KeyRelease, Key, Mods);
        QCoreApplication::sendEvent(W(), &Up);
    }
    void Tap(int Key, Qt::KeyboardModifiers Mods = Qt::NoModifier, const QString& Text = {}) {
        Press(Key, Mods, Text);
        Release(Key, Mods);
    }
    std::string Text() const { return EditorText(*E); }
};

TEST(EditorInputQt, TypedCharactersIncludingADoubleByteOne) {
    TQtInput Q("ab");
    Q.E->SetRowCol(0, 1);
    Q.Tap(Qt::Key_X, Qt::NoModifier, "x");
    Q.Tap(0, Qt::NoModifier, QString::fromUtf8("漢"));
    EXPECT_EQ(Q.Text(), "ax" + cp932::Literal("漢") + "b");
    EXPECT_EQ(Q.E->GetCol(), 4);
    Q.Tap(Qt::Key_Backspace, Qt::NoModifier, "\b");
    EXPECT_EQ(Q.Text(), "axb");
    Q.Tap(Qt::Key_Return, Qt::NoModifier, "\r");
    EXPECT_EQ(Q.Text(), "ax\r\nb");
}

TEST(EditorInputQt, AnImeCommitThenATypedKeyBothAppear) {
    TQtInput Q("");
    QInputMethodEvent Preedit(QString::fromUtf8("にほん"), {});
    QCoreApplication::sendEvent(Q.W(), &Preedit);
    EXPECT_EQ(Q.Text(), "") << "the preedit never enters the text";
    QInputMethodEvent Commit;
    Commit.setCommitString(QString::fromUtf8("日本"));
    QCoreApplication::sendEvent(Q.W(), &Commit);
    EXPECT_EQ(Q.Text(), cp932::Literal("日本"));
    Q.Tap(Qt::Key_A, Qt::NoModifier, "a");
    EXPECT_EQ(Q.Text(), cp932::Literal("日本") + "a");
    EXPECT_EQ(Q.E->GetImeSkipCount(), 0);

    // The input method sees the caret's row and the caret's place in it.
    Q.E->GetLines()->SetTextStr("first\r\n" + cp932::Literal("日本") + "xy\r\nlast");
    Q.E->SetRowCol(1, 5);
    QInputMethodQueryEvent Query(Qt::ImSurroundingText | Qt::ImCursorPosition);
    QCoreApplication::sendEvent(Q.W(), &Query);
    EXPECT_EQ(Query.value(Qt::ImSurroundingText).toString(), QString::fromUtf8("日本xy"));
    EXPECT_EQ(Query.value(Qt::ImCursorPosition).toInt(), 3);
    // The candidate window goes where UpdateImeWindow put the composition window: the caret cell.
    Q.E->UpdateImeWindow();
    QInputMethodQueryEvent Where(Qt::ImCursorRectangle);
    QCoreApplication::sendEvent(Q.W(), &Where);
    const int Border = (Q.W()->width() - Q.E->GetHost()->ClientRect().Width()) / 2;
    const QRect R = Where.value(Qt::ImCursorRectangle).toRect();
    EXPECT_EQ(R.left(), Border + Q.E->TextLeft() + 5 * Q.E->GetColWidth());
    EXPECT_EQ(R.top(), Border + Q.E->TextTop() + Q.E->GetRowHeight());
}

TEST(EditorInputQt, ShiftAndCtrlCombinationsAndAnAutoRepeatedKey) {
    std::string Text;
    for (int I = 0; I < 60; ++I) Text += "row " + std::to_string(I) + "\r\n";
    TQtInput Q(Text);
    Q.Tap(Qt::Key_Right, Qt::ShiftModifier);
    Q.Tap(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(Q.E->GetSelText(), "ro");
    Q.Tap(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(Q.E->GetSelectionState(), selNone);
    EXPECT_EQ(Q.E->GetRow(), 60);
    Q.Tap(Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Q.E->GetSelLength(), static_cast<int>(Text.size()));
    Q.Tap(Qt::Key_Home, Qt::ControlModifier);

    // Held Down: the first press moves one row, each repeat on the last visible row moves
    // Speed.CaretVerticalAc rows.
    Q.E->GetSpeed()->CaretVerticalAc = 4;
    const int Last = Q.E->GetRowCount() - 1;
    Q.E->SetRowCol(Last, 0);
    Q.Press(Qt::Key_Down);
    EXPECT_EQ(Q.E->GetRow(), Last + 1);
    Q.Press(Qt::Key_Down, Qt::NoModifier, {}, true);
    EXPECT_TRUE(Q.E->GetKeyRepeating());
    EXPECT_EQ(Q.E->GetRow(), Last + 5);
    Q.Release(Qt::Key_Down);
    EXPECT_FALSE(Q.E->GetKeyRepeating());
}

} // namespace
