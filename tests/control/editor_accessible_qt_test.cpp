// The editor on Qt's accessibility stack, headless: what a screen reader asks through Qt's
// interfaces, and the update events it hears.
#include <QAccessible>
#include <QApplication>
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

struct TRecorded {
    QAccessible::Event Type;
    int Position = -1;
    QString Text;
};
void Record(std::vector<TRecorded>& Recording, QAccessibleEvent* Event) {
    TRecorded R{Event->type(), -1, {}};
    switch (Event->type()) {
    case QAccessible::TextCaretMoved: R.Position = static_cast<QAccessibleTextCursorEvent*>(Event)->cursorPosition(); break;
    case QAccessible::TextInserted: {
        auto* E = static_cast<QAccessibleTextInsertEvent*>(Event);
        R.Position = E->changePosition();
        R.Text = E->textInserted();
        break;
    }
    case QAccessible::TextRemoved: {
        auto* E = static_cast<QAccessibleTextRemoveEvent*>(Event);
        R.Position = E->changePosition();
        R.Text = E->textRemoved();
        break;
    }
    case QAccessible::TextSelectionChanged:
        R.Position = static_cast<QAccessibleTextSelectionEvent*>(Event)->selectionStart();
        break;
    default: break;
    }
    Recording.push_back(R);
}

// A labelled description editor in a shown form, its accessibility update events recorded.
struct TAccessibleEditor {
    qtbackend::TQtWindowFactory Factory;
    TWindowFactory* Old = WindowFactory();
    std::unique_ptr<TUiForm> Form = TestToolkit().CreateForm();
    std::unique_ptr<TEditor> E{TEditor::Create(nullptr)};
    std::vector<TRecorded> Events;

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
        qtbackend::SetAccessibleEventSink([this](QAccessibleEvent& Event) { Record(Events, &Event); });
    }
    ~TAccessibleEditor() {
        qtbackend::SetAccessibleEventSink({});
        E.reset();
        Form.reset();
        SetWindowFactory(Old);
    }
    QWidget* Widget() const { return dynamic_cast<qtbackend::TQtWindowHost*>(E->GetHost())->Widget(); }
    QAccessibleInterface* Iface() const { return QAccessible::queryAccessibleInterface(Widget()); }
    std::vector<TRecorded> Take(QAccessible::Event Type) {
        std::vector<TRecorded> Out;
        for (const TRecorded& R : Events)
            if (R.Type == Type) Out.push_back(R);
        Events.clear();
        return Out;
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
    auto Moves = A.Take(QAccessible::TextCaretMoved);
    ASSERT_FALSE(Moves.empty());
    EXPECT_EQ(Moves.back().Position, 4);

    // Typed characters, a double-byte one among them, and a deletion.
    const std::string Kana = cp932::Literal("あ");
    TWindowHost* Host = A.E->GetHost();
    for (char C : Kana + "z") Host->PostMessage(WM_CHAR, static_cast<unsigned char>(C), 1);
    dynamic_cast<qtbackend::TQtWindowHost*>(Host)->DispatchPosted();
    const QString Kanji = QStringLiteral("あ");
    std::vector<TRecorded> Ins = A.Take(QAccessible::TextInserted);
    ASSERT_EQ(Ins.size(), 2u);
    EXPECT_EQ(std::make_pair(Ins[0].Position, Ins[0].Text), std::make_pair(4, Kanji));
    EXPECT_EQ(std::make_pair(Ins[1].Position, Ins[1].Text), std::make_pair(5, QStringLiteral("z")));
    A.E->Perform(WM_CHAR, VK_BACK);
    std::vector<TRecorded> Rem = A.Take(QAccessible::TextRemoved);
    ASSERT_EQ(Rem.size(), 1u);
    EXPECT_EQ(std::make_pair(Rem[0].Position, Rem[0].Text), std::make_pair(5, QStringLiteral("z")));

    // Through the editable interface, then undone by the keyboard's undo.
    I->editableTextInterface()->insertText(0, QStringLiteral("新しい\n"));
    EXPECT_EQ(I->textInterface()->text(0, 5), QStringLiteral("新しい\na"));
    A.E->Undo();
    EXPECT_EQ(I->textInterface()->text(0, I->textInterface()->characterCount()), QStringLiteral("ab\ncあd"));

    // A selection made through the interface is the editor's, and is reported.
    A.Events.clear();
    I->textInterface()->setSelection(0, 1, 4);
    EXPECT_EQ(cp932::ToUtf8(A.E->GetSelText()), "b\r\nc");
    auto Sel = A.Take(QAccessible::TextSelectionChanged);
    ASSERT_FALSE(Sel.empty());
    EXPECT_EQ(Sel.back().Position, 1);
}

} // namespace
