// The editor on Qt's accessibility stack, headless: what a screen reader asks through Qt's
// interfaces, and the update events it hears.
#include <QAccessible>
#include <QApplication>
#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "editor/control/editor.h"
#include "platform/cp932.h"
#include "platform/qt/qt_accessible.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/qt/qt_window_host.h"
#include "support/qt_app.h"

namespace {

// An update event as a line: "caret 4", "insert 4 あ", "remove 5 z", "select 1 4".
QString Describe(QAccessibleEvent& Ev) {
    if (Ev.type() == QAccessible::TextInserted) {
        auto& I = static_cast<QAccessibleTextInsertEvent&>(Ev);
        return QString("insert %1 %2").arg(I.changePosition()).arg(I.textInserted());
    }
    if (Ev.type() == QAccessible::TextRemoved) {
        auto& R = static_cast<QAccessibleTextRemoveEvent&>(Ev);
        return QString("remove %1 %2").arg(R.changePosition()).arg(R.textRemoved());
    }
    if (Ev.type() == QAccessible::TextSelectionChanged) {
        auto& S = static_cast<QAccessibleTextSelectionEvent&>(Ev);
        return QString("select %1 %2").arg(S.selectionStart()).arg(S.selectionEnd());
    }
    if (Ev.type() == QAccessible::TextCaretMoved)
        return QString("caret %1").arg(static_cast<QAccessibleTextCursorEvent&>(Ev).cursorPosition());
    return QString("other");
}

// A labelled description editor in a shown form, its accessibility update events recorded.
struct TAccessibleEditor {
    qtbackend::TQtWindowFactory Factory;
    TWindowFactory* Old = WindowFactory();
    std::unique_ptr<TUiForm> Form = TestToolkit().CreateForm();
    std::unique_ptr<TEditor> E{TEditor::Create(nullptr)};
    QStringList Events;

    explicit TAccessibleEditor(const std::string& Utf8) {
        qtbackend::InstallAccessibleFactory();
        SetWindowFactory(&Factory);
        Form->SetClientSize(400, 300);
        E->AccessibleName = "Description";
        E->GetLines()->SetTextStr(cp932::FromUtf8(Utf8));
        E->SetBounds(10, 10, 300, 120);
        E->CreateWnd(Form.get());
        Form->Show();
        QApplication::processEvents();
        // The offscreen platform has no accessibility bridge: the events are recorded instead.
        qtbackend::SetAccessibleEventSink([this](QAccessibleEvent& Event) { Events << Describe(Event); });
    }
    ~TAccessibleEditor() {
        qtbackend::SetAccessibleEventSink({});
        E.reset();
        Form.reset();
        SetWindowFactory(Old);
    }
    QWidget* Widget() const { return dynamic_cast<qtbackend::TQtWindowHost*>(E->GetHost())->Widget(); }
    QAccessibleInterface* Iface() const { return QAccessible::queryAccessibleInterface(Widget()); }
    // The events since the last call whose line starts with Kind.
    QStringList Take(const QString& Kind) {
        const QStringList Out = Events.filter(QRegularExpression("^" + Kind));
        Events.clear();
        return Out;
    }
    QString Last(const QString& Kind) {
        const QStringList L = Take(Kind);
        return L.isEmpty() ? QString() : L.last();
    }
};

TEST(EditorAccessibleQt, AReadOnlyDescriptionReadsByOffsets) {
    TAccessibleEditor A("hello world\r\n日本語のテキスト\r\nｶﾀｶﾅ\tend");
    A.E->SetReadOnly(true);
    QAccessibleInterface* I = A.Iface();
    ASSERT_NE(I, nullptr);
    EXPECT_EQ(I->role(), QAccessible::EditableText);
    EXPECT_EQ(I->text(QAccessible::Name), QStringLiteral("Description"));
    EXPECT_TRUE(I->state().readOnly);
    EXPECT_FALSE(I->state().editable);
    EXPECT_TRUE(I->state().multiLine);
    QAccessibleTextInterface* T = I->textInterface();
    ASSERT_NE(T, nullptr);
    const QString Whole = QStringLiteral("hello world\n日本語のテキスト\nｶﾀｶﾅ\tend");
    EXPECT_EQ(T->characterCount(), Whole.size());
    EXPECT_EQ(T->text(0, T->characterCount()), Whole);

    // Word, line and character units around offsets, with their bounds.
    int S = 0, End = 0;
    EXPECT_EQ(T->textAtOffset(2, QAccessible::WordBoundary, &S, &End), QStringLiteral("hello"));
    EXPECT_EQ(T->textAtOffset(14, QAccessible::LineBoundary, &S, &End), QStringLiteral("日本語のテキスト\n"));
    EXPECT_EQ(std::make_pair(S, End), std::make_pair(12, 21));
    EXPECT_EQ(T->textAfterOffset(3, QAccessible::LineBoundary, &S, &End), QStringLiteral("日本語のテキスト\n"));
    EXPECT_EQ(T->textBeforeOffset(23, QAccessible::LineBoundary, &S, &End), QStringLiteral("日本語のテキスト\n"));
    EXPECT_EQ(T->textAtOffset(Whole.size(), QAccessible::LineBoundary, &S, &End), QStringLiteral("ｶﾀｶﾅ\tend"));
    EXPECT_EQ(T->textAtOffset(13, QAccessible::CharBoundary, &S, &End), QStringLiteral("本"));
    EXPECT_EQ(T->textAtOffset(11, QAccessible::CharBoundary, &S, &End), QStringLiteral("\n"));

    // The caret, and a character's cell on the screen: a double-byte character takes two.
    A.E->SetRowCol(1, 4);
    EXPECT_EQ(T->cursorPosition(), 14);
    const QRect Wide = T->characterRect(14);
    const QRect Narrow = T->characterRect(1);
    EXPECT_EQ(Wide.width(), 2 * Narrow.width());
    EXPECT_EQ(T->offsetAtPoint(Wide.center()), 14);
    const QPoint Origin = A.Widget()->mapToGlobal(QPoint(0, 0));
    EXPECT_TRUE(QRect(Origin, A.Widget()->size()).contains(Wide));

    // Read-only: the editable interface changes nothing.
    ASSERT_NE(I->editableTextInterface(), nullptr);
    I->editableTextInterface()->insertText(0, QStringLiteral("x"));
    I->editableTextInterface()->deleteText(0, 5);
    EXPECT_EQ(T->text(0, T->characterCount()), Whole);
}

TEST(EditorAccessibleQt, EditsAndMovesArriveAsUpdateEvents) {
    TAccessibleEditor A("ab\r\ncd");
    QAccessibleInterface* I = A.Iface();
    ASSERT_NE(I, nullptr);
    A.Widget()->window()->activateWindow();
    A.Widget()->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    ASSERT_TRUE(A.Widget()->hasFocus());
    EXPECT_TRUE(I->state().focused);
    EXPECT_TRUE(I->state().editable);

    A.E->SetRowCol(1, 1);
    EXPECT_EQ(A.Last("caret"), "caret 4");

    // Typed characters, a double-byte one among them, and a deletion.
    TWindowHost* Host = A.E->GetHost();
    for (char C : cp932::Literal("あ") + "z") Host->PostMessage(WM_CHAR, static_cast<unsigned char>(C), 1);
    dynamic_cast<qtbackend::TQtWindowHost*>(Host)->DispatchPosted();
    A.E->Perform(WM_CHAR, VK_BACK);
    EXPECT_EQ(A.Take("insert|remove"), QStringList({"insert 4 あ", "insert 5 z", "remove 5 z"}));

    // Through the editable interface, then undone by the keyboard's undo.
    I->editableTextInterface()->insertText(0, QStringLiteral("新しい\n"));
    EXPECT_EQ(I->textInterface()->text(0, 5), QStringLiteral("新しい\na"));
    A.E->Undo();
    EXPECT_EQ(I->textInterface()->text(0, I->textInterface()->characterCount()), QStringLiteral("ab\ncあd"));

    // A selection made through the interface is the editor's, and is reported.
    A.Events.clear();
    I->textInterface()->setSelection(0, 1, 4);
    EXPECT_EQ(cp932::ToUtf8(A.E->GetSelText()), "b\r\nc");
    EXPECT_EQ(A.Last("select"), "select 1 4");
}

} // namespace
