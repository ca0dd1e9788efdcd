// Undo and redo of the screen rows.
#include <gtest/gtest.h>

#include "model/screen_strings_support.h"

using namespace screen_test;

TEST(Undo, TypingThreeLettersUndoesStepByStepWithTheCaret) {
    TAttached A;
    TEditorScreenStrings& S = *A.S;
    const char* Typed[] = {"a", "b", "c"};
    for (int I = 0; I < 3; ++I) {
        A.Editor.Row = 0;
        A.Editor.Col = I; // where the caret stood before each insertion
        const int Row = S.GetCount() == 0 ? 0 : 0;
        S.ReplaceRows(Row, S.GetCount(), std::string("abc", static_cast<size_t>(I)) + Typed[I]);
        A.Editor.Col = I + 1;
    }
    EXPECT_EQ(Text(S), "abc");
    EXPECT_EQ(S.GetUndoObj()->GetUndoList().GetCount(), 3);
    const char* Before[] = {"ab", "a", ""};
    for (int I = 0; I < 3; ++I) {
        S.Undo();
        EXPECT_EQ(Text(S), Before[I]);
        EXPECT_EQ(A.Editor.Col, 2 - I);
        EXPECT_EQ(A.Editor.CaretDepth, 0); // every hide is paired with a show
    }
    // The first step had only inserted into an empty text: its rows are deleted.
    EXPECT_EQ(S.GetCount(), 0);
    EXPECT_FALSE(S.GetUndoObj()->CanUndo());
    EXPECT_TRUE(S.GetUndoObj()->CanRedo());
    S.Redo();
    S.Redo();
    EXPECT_EQ(Text(S), "ab");
    // Any new edit empties the redo list.
    S.ReplaceRows(0, 1, "x");
    EXPECT_FALSE(S.GetUndoObj()->CanRedo());
}

TEST(Undo, RecordHoldsOnlyTheChangedSpan) {
    TAttached A;
    TEditorScreenStrings& S = *A.S;
    S.ReplaceRows(0, 0, "abc");
    const TUndoData* First = S.GetUndoObj()->GetUndoList().Last();
    EXPECT_EQ(First->LastAttr, raInvalid); // nothing was replaced
    EXPECT_EQ(First->FirstRow, 0);
    EXPECT_EQ(First->NewCount, 1);
    S.ReplaceRows(0, 1, "one\r\ntwo\r\nthree\r\n");
    S.ReplaceRows(1, 1, "TWO\r\n");
    const TUndoData* Last = S.GetUndoObj()->GetUndoList().Last();
    EXPECT_EQ(Last->FirstRow, 1);
    EXPECT_EQ(Last->Text, "two\r\nthree\r\n"); // the row and the line rewritten with it
    EXPECT_EQ(Last->LastAttr, raCrlf);
}

TEST(Undo, WholeLineDeletionComesBackWithItsAttributes) {
    TAttached A;
    TEditorScreenStrings& S = *A.S;
    S.GetWrapOption()->SetWrapByte(20);
    S.SetWordWrap(true);
    S.ReplaceRows(0, 0, "top\r\n" + std::string(30, 'w') + "\r\nend");
    const TRowSnapshot Before = Snapshot(S);
    S.ReplaceRows(1, 2, ""); // the wrapped line, both rows
    EXPECT_EQ(Text(S), "top\r\nend");
    S.Undo();
    EXPECT_TRUE(Snapshot(S) == Before);
    S.Redo();
    EXPECT_EQ(Text(S), "top\r\nend");
    S.Undo();
    EXPECT_TRUE(Snapshot(S) == Before);
}

TEST(Undo, BoundOfTheUndoList) {
    TAttached A;
    TEditorScreenStrings& S = *A.S;
    TEditorUndoObj& U = *S.GetUndoObj();
    struct {
        int Set, Read;
    } Bounds[] = {{10, 64}, {100, 100}, {64, 64}, {-5, 64}};
    for (auto B : Bounds) {
        U.SetUndoListMax(B.Set);
        EXPECT_EQ(U.GetUndoListMax(), B.Read) << B.Set;
    }
    for (int I = 0; I < 70; ++I) S.ReplaceRows(S.GetCount(), 0, "x\r\n");
    EXPECT_EQ(U.GetUndoList().GetCount(), 64);
    for (int I = 0; I < 70; ++I) S.Undo();
    EXPECT_EQ(S.GetCount(), 6); // only the last 64 could be undone
    EXPECT_EQ(U.GetRedoList().GetCount(), 64);
}

TEST(Undo, ListsAreEmptiedByWrapChangesAndClear) {
    struct {
        const char* Name;
        void (*Act)(TEditorScreenStrings&);
    } Cases[] = {
        {"word wrap on", [](TEditorScreenStrings& S) { S.SetWordWrap(true); }},
        {"wrap option while wrapping",
         [](TEditorScreenStrings& S) {
             S.SetWordWrap(true);
             S.ReplaceRows(0, 0, "y");
             S.GetWrapOption()->SetWrapByte(30);
         }},
        {"clear", [](TEditorScreenStrings& S) { S.Clear(); }},
    };
    for (auto& C : Cases) {
        TAttached A;
        A.S->ReplaceRows(0, 0, "x");
        A.S->Undo();
        A.S->ReplaceRows(0, 0, "x");
        A.S->ReplaceRows(0, 1, "z");
        A.S->Undo();
        C.Act(*A.S);
        EXPECT_FALSE(A.S->GetUndoObj()->CanUndo()) << C.Name;
        EXPECT_FALSE(A.S->GetUndoObj()->CanRedo()) << C.Name;
    }
    // A wrap option change without word wrap keeps the history.
    TAttached A;
    A.S->ReplaceRows(0, 0, "x");
    A.S->GetWrapOption()->SetWrapByte(30);
    EXPECT_TRUE(A.S->GetUndoObj()->CanUndo());
}

TEST(Undo, ReversesAStepWhoseRowsAWordBreakCutDependedOnLaterText) {
    // With word break, a row's cut can depend on text two rows further on; a later change
    // there leaves the row as it was cut. Undo must put back those very rows, or the older
    // steps would point at the wrong bytes.
    TAttached A;
    TEditorScreenStrings& S = *A.S;
    TEditorWrapOption& W = *S.GetWrapOption();
    W.SetWrapByte(30);
    W.SetWordBreak(true);
    S.SetWordWrap(true);
    const std::string Word(60, 'x');
    S.ReplaceRows(0, 0, Word + "\r\n");
    ASSERT_GE(S.GetCount(), 3);
    std::vector<std::string> History{Text(S)};
    // Insert delimiters at the start of the third row, then edit the second.
    S.ReplaceRows(2, 0, " ");
    History.push_back(Text(S));
    S.ReplaceRows(1, 0, "y ");
    History.push_back(Text(S));
    for (int K = 2; K > 0; --K) {
        S.Undo();
        EXPECT_EQ(Text(S), History[static_cast<size_t>(K - 1)]) << K;
        EXPECT_EQ(CheckRows(S, nullptr), "");
    }
}
