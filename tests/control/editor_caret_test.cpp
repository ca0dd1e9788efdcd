// The caret and selection position model of TEditor, without a window.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "editor/control/editor.h"
#include "editor/model/screen_strings.h"
#include "editor/model/wrap_option.h"
#include "platform/cp932.h"

namespace {

struct TEditorFixture {
    std::unique_ptr<TEditor> E{TEditor::Create(nullptr)};
    explicit TEditorFixture(const std::string& Text = {}) {
        if (!Text.empty()) E->GetLines()->SetTextStr(Text);
    }
    TEditor* operator->() const { return E.get(); }
};

// "あ" is one double-byte character (two bytes, two columns).
const std::string A = cp932::Literal("あ");

TEST(EditorCaret, SetRowClampsToTheLegalRows) {
    struct TRow {
        const char* Name;
        std::string Text;
        int SetTo;
        int Expected;
    } Rows[] = {
        {"after a final line break", "ab\r\n", 1, 1},
        {"past a final line break", "ab\r\n", 5, 1},
        {"no final line break", "ab", 5, 0},
        {"no final line break, row count", "ab\r\ncd", 2, 1},
        {"negative", "ab\r\ncd", -3, 0},
        {"empty text", "", 3, 0},
    };
    for (const TRow& R : Rows) {
        SCOPED_TRACE(R.Name);
        TEditorFixture F(R.Text);
        F->SetRow(R.SetTo);
        EXPECT_EQ(F->GetRow(), R.Expected);
    }
}

TEST(EditorCaret, SetColSnapsOverTabsAndDoubleByteCharacters) {
    struct TRow {
        const char* Name;
        std::string Text;
        bool InTab;
        bool FreeCaret;
        int From;
        int To;
        int Expected;
    } Rows[] = {
        {"into a tab moving right", "\tabcdefgh", false, true, 0, 2, 4},
        {"into a tab moving left", "\tabcdefgh", false, true, 6, 2, 0},
        {"inside a tab with InTab", "\tabcdefgh", true, true, 0, 2, 2},
        {"onto a trail byte moving right", "x" + A + "y", false, true, 0, 2, 3},
        {"onto a trail byte moving left", "x" + A + "y", false, true, 4, 2, 1},
        {"past the end, free caret", "abc", false, true, 0, 10, 10},
        {"past the end, no free caret", "abc", false, false, 0, 10, 3},
        {"beyond the column limit", "abc", false, true, 0, 5000, 1000},
        {"negative", "abc", false, true, 2, -4, 0},
    };
    for (const TRow& R : Rows) {
        SCOPED_TRACE(R.Name);
        TEditorFixture F(R.Text);
        F->GetCaret()->SetTabSpaceCount(4);
        F->GetCaret()->InTab = R.InTab;
        F->GetCaret()->FreeCaret = R.FreeCaret;
        F->SetRowCol(0, R.From);
        ASSERT_EQ(F->GetCol(), R.From);
        F->SetCol(R.To);
        EXPECT_EQ(F->GetCol(), R.Expected);
    }
}

TEST(EditorCaret, ColumnLimitKeepsADoubleByteCharacterAtColumn999Whole) {
    // 999 single bytes, then a double-byte character in columns 999 and 1000.
    TEditorFixture F(std::string(999, 'a') + A + "zz");
    F->SetCol(1001);
    EXPECT_EQ(F->GetCol(), 1001);
    TEditorFixture G(std::string(1200, 'a'));
    G->SetCol(1001);
    EXPECT_EQ(G->GetCol(), 1000);
}

TEST(EditorCaret, SetRowColSnapsToTheStartOfTheCharacter) {
    struct TRow {
        const char* Name;
        std::string Text;
        int Row, Col;
        int ExpectedRow, ExpectedCol;
    } Rows[] = {
        {"trail byte", "ab\r\nx" + A + A, 1, 2, 1, 1},
        {"second character's trail", "ab\r\nx" + A + A, 1, 4, 1, 3},
        {"tab fill", "ab\r\n\tz", 1, 5, 1, 0},
        {"row past the text", "ab\r\ncd", 7, 1, 1, 1},
    };
    for (const TRow& R : Rows) {
        SCOPED_TRACE(R.Name);
        TEditorFixture F(R.Text);
        F->GetCaret()->FreeCaret = false;
        F->SetRowCol(R.Row, R.Col);
        EXPECT_EQ(F->GetRow(), R.ExpectedRow);
        EXPECT_EQ(F->GetCol(), R.ExpectedCol);
    }
}

TEST(EditorCaret, VerticalMovesRestoreTheRememberedColumn) {
    // Row 0 is 20 columns wide, row 1 has three columns, row 2 is 20 columns again.
    TEditorFixture F(std::string(20, 'a') + "\r\nabc\r\n" + std::string(20, 'b'));
    F->GetCaret()->FreeCaret = false;
    F->GetCaret()->KeepCaret = true;
    F->SetRowCol(0, 10);
    F->SetRow(1);
    EXPECT_EQ(F->GetCol(), 3);
    F->SetRow(2);
    EXPECT_EQ(F->GetCol(), 10);

    // Without KeepCaret, a short row that only clamps forgets the column.
    TEditorFixture G(std::string(20, 'a') + "\r\nabc\r\n" + std::string(20, 'b'));
    G->GetCaret()->FreeCaret = false;
    G->SetRowCol(0, 10);
    G->SetRow(1);
    G->SetRow(2);
    EXPECT_EQ(G->GetCol(), 3);

    // A snap over a double-byte character is remembered without KeepCaret.
    TEditorFixture H(std::string(20, 'a') + "\r\nabcdefghi" + A + "\r\n" + std::string(20, 'b'));
    H->SetRowCol(0, 10);
    H->SetRow(1);
    EXPECT_EQ(H->GetCol(), 9);
    H->SetRow(2);
    EXPECT_EQ(H->GetCol(), 10);
    // A horizontal move forgets it.
    H->SetRow(1);
    H->SetCol(8);
    H->SetRow(2);
    EXPECT_EQ(H->GetCol(), 8);
}

TEST(EditorCaret, WordWrapKeepsTheCaretOffTheEndOfAWrappedRow) {
    TEditorFixture F;
    F->GetWrapOption()->SetWrapByte(20);
    F->SetWordWrap(true);
    F->GetLines()->SetTextStr(std::string(30, 'a'));
    ASSERT_EQ(F->RowsCount(), 2);
    ASSERT_EQ(F->RowAttr(0), raWrapped);
    F->SetRowCol(0, 25);
    EXPECT_EQ(F->GetRow(), 0);
    EXPECT_EQ(F->GetCol(), 19);
}

TEST(EditorCaret, OffsetsCountTwoBytesPerLineBreak) {
    TEditorFixture F("ab\r\n\tcd\r\nx" + A + "y");
    F->GetCaret()->SetTabSpaceCount(4);
    struct TRow {
        int Row, Col, Offset;
    } Rows[] = {
        {0, 0, 0}, {0, 2, 2}, {1, 0, 4}, {1, 4, 5}, {1, 6, 7}, {2, 0, 9}, {2, 1, 10}, {2, 3, 12}, {2, 4, 13},
    };
    for (const TRow& R : Rows) {
        SCOPED_TRACE(testing::Message() << R.Row << "," << R.Col);
        EXPECT_EQ(F->RowColToOffset(0, R.Row, R.Col), R.Offset);
        F->SetCaretOffset(0, R.Offset);
        EXPECT_EQ(F->GetRow(), R.Row);
        EXPECT_EQ(F->GetCol(), R.Col);
    }
    // From a later reference row, and before it.
    EXPECT_EQ(F->RowColToOffset(1, 2, 1), 6);
    EXPECT_EQ(F->RowColToOffset(2, 1, 1), 0);
    // Past the end the caret goes to the end of the text.
    F->SetCaretOffset(0, 500);
    EXPECT_EQ(F->GetRow(), 2);
    EXPECT_EQ(F->GetCol(), 4);
    // An offset inside the CR LF of a row stays at that row's end.
    F->SetCaretOffset(0, 3);
    EXPECT_EQ(F->GetRow(), 0);
    EXPECT_EQ(F->GetCol(), 2);

    TEditorFixture G("ab\r\n");
    G->SetCaretOffset(0, 4);
    EXPECT_EQ(G->GetRow(), 1);
    EXPECT_EQ(G->GetCol(), 0);
}

TEST(EditorCaret, SelStartOfTheCaretAndOfASelection) {
    TEditorFixture F("ab\r\ncd");
    F->SetRowCol(1, 0);
    EXPECT_EQ(F->GetSelStart(), 4);
    EXPECT_EQ(F->GetSelLength(), 0);
    EXPECT_EQ(F->GetSelText(), "");

    TEditorFixture Empty;
    EXPECT_EQ(Empty->GetSelStart(), 0);
    Empty->SetSelStart(5);
    Empty->SetSelLength(5);
    EXPECT_EQ(Empty->GetSelectionState(), selNone);
}

TEST(EditorCaret, SelStartAndSelLengthWritesSelectStreamText) {
    const std::string Text = "abc\r\ndef\r\nghi";
    struct TRow {
        int Start, Length;
        int SelStart, SelLength;
        std::string SelText;
    } Rows[] = {
        {1, 1, 1, 1, "b"},
        {1, 4, 1, 4, "bc\r\n"},
        {2, 8, 2, 8, "c\r\ndef\r\n"},
        {0, 13, 0, 13, "abc\r\ndef\r\nghi"},
        {6, 100, 6, 7, "ef\r\nghi"},
        {-3, 2, 0, 2, "ab"},
    };
    for (const TRow& R : Rows) {
        SCOPED_TRACE(testing::Message() << R.Start << "+" << R.Length);
        TEditorFixture F(Text);
        F->SetSelStart(R.Start);
        F->SetSelLength(R.Length);
        EXPECT_EQ(F->GetSelectionState(), selSelected);
        EXPECT_EQ(F->GetSelStart(), R.SelStart);
        EXPECT_EQ(F->GetSelLength(), R.SelLength);
        EXPECT_EQ(F->GetSelText(), R.SelText);
    }
}

TEST(EditorCaret, SelectionAcrossWrappedRowsHasNoLineBreakAtTheWrap) {
    TEditorFixture F;
    F->GetWrapOption()->SetWrapByte(20);
    F->SetWordWrap(true);
    F->GetLines()->SetTextStr(std::string(20, 'a') + std::string(10, 'b') + "\r\ncd");
    ASSERT_EQ(F->RowAttr(0), raWrapped);
    F->SetSelStart(18);
    F->SetSelLength(8);
    EXPECT_EQ(F->GetSelText(), "aabbbbbb");
    EXPECT_EQ(F->GetSelLength(), 8);
}

TEST(EditorCaret, SelLengthZeroMovesToTheStartAndCancels) {
    TEditorFixture F("abc\r\ndef");
    F->SetSelStart(5);
    F->SetSelLength(2);
    F->SetRowCol(0, 1); // caret away from the selection start, selection kept
    F->SetSelLength(0);
    EXPECT_EQ(F->GetSelectionState(), selNone);
    EXPECT_EQ(F->GetRow(), 1);
    EXPECT_EQ(F->GetCol(), 0);
}

TEST(EditorCaret, StateMachineAndNormalFrame) {
    TEditorFixture F("abcdef\r\nxy\r\nlonger row");
    int Changes = 0;
    bool LastSelected = false;
    F->OnSelectionChange = [&](TObject*, bool Selected) {
        ++Changes;
        LastSelected = Selected;
    };
    F->SetRowCol(0, 4);
    F->StartSelection();
    EXPECT_EQ(F->GetSelectionState(), selAnchored);
    EXPECT_FALSE(F->HasSelection());
    F->SetRowCol(2, 3);
    F->ExtendSelection();
    EXPECT_EQ(F->GetSelectionState(), selSelected);
    EXPECT_EQ(Changes, 1);
    EXPECT_TRUE(LastSelected);
    EXPECT_EQ(F->GetSelRange(), (TSelectionRange{0, 2, 4, 2}));
    EXPECT_EQ(F->GetSelFrame(), (TSelectionFrame{0, 2, 4, 3}));
    EXPECT_EQ(F->GetSelText(), "ef\r\nxy\r\nlon");

    // The caret above the anchor, beyond the end of a short row (free caret).
    F->SetRowCol(1, 7);
    F->ExtendSelection();
    EXPECT_EQ(F->GetSelRange(), (TSelectionRange{0, 1, 4, 1}));
    EXPECT_EQ(F->GetSelFrame(), (TSelectionFrame{0, 1, 4, 2}));
    F->SetRowCol(0, 1);
    F->ExtendSelection();
    EXPECT_EQ(F->GetSelRange(), (TSelectionRange{0, 0, 1, 3}));
    EXPECT_EQ(F->GetSelText(), "bcd");

    F->CancelSelection();
    EXPECT_EQ(F->GetSelectionState(), selNone);
    EXPECT_FALSE(LastSelected);
    EXPECT_EQ(F->GetSelText(), "");
}

TEST(EditorCaret, BoxSelectionTakesCharactersByTheirFirstColumn) {
    // Columns 2 .. 3 are boxed. Row 1: the double-byte character occupies columns 1-2 and
    // straddles the left edge; row 2: it occupies columns 3-4 and straddles the right edge.
    TEditorFixture F("abcdef\r\nx" + A + "yz\r\nabc" + A + "d");
    struct TCounter : TObject {
        int Count = 0;
        void Handle(TObject*) { ++Count; }
    } Counter;
    int& ModeChanges = Counter.Count;
    F->OnSelectionModeChange = TNotifyEvent::Of<&TCounter::Handle>(&Counter);
    F->SetSelectionMode(smBox);
    F->SetSelectionMode(smBox);
    EXPECT_EQ(ModeChanges, 1);
    F->SetRowCol(2, 2);
    F->StartSelection();
    F->SetRowCol(0, 4);
    F->ExtendSelection();
    EXPECT_EQ(F->GetSelFrame(), (TSelectionFrame{0, 2, 2, 4}));
    EXPECT_EQ(F->GetSelText(), "cd\r\ny\r\nc" + A + "\r\n");
    EXPECT_EQ(F->GetSelLength(), 2 + 1 + 3 + 3 * 2);
    // Back to normal mode: the same anchor and caret select stream text.
    F->SetSelectionMode(smNormal);
    EXPECT_EQ(ModeChanges, 2);
    EXPECT_EQ(F->GetSelText(), "ef\r\nx" + A + "yz\r\nab");
    EXPECT_EQ(F->GetSelLength(), 2 + 2 + 5 + 2 + 2);
}

TEST(EditorCaret, CaretBracketNestsAndNeverGoesNegative) {
    TEditorFixture F("abc");
    F->EndCaretUpdate();
    EXPECT_EQ(F->GetCaretHideCount(), 0);
    {
        TCaretUpdateGuard G1(*F.E);
        TCaretUpdateGuard G2(*F.E);
        EXPECT_EQ(F->GetCaretHideCount(), 2);
    }
    EXPECT_EQ(F->GetCaretHideCount(), 0);
    // SetRow keeps the underline bracket balanced.
    F->SetRow(0);
    F->SetRow(1);
    EXPECT_EQ(F->GetUnderlineHideCount(), 0);
}

} // namespace
