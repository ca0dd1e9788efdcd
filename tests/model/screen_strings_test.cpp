// Screen rows: replacing rows, spans, marks, wrapping, the colouring scan, attached editors.
#include <gtest/gtest.h>

#include "editor/colouring/editor_fountain.h"
#include "model/screen_strings_support.h"

using namespace screen_test;

namespace {

// Loads rows "text|attr" where attr is c (raCrlf), w (raWrapped) or e (raEof).
void Load(TEditorScreenStrings& S, std::initializer_list<const char*> Rows) {
    for (const char* R : Rows) {
        std::string_view V(R);
        const size_t Bar = V.rfind('|');
        const int I = S.AddRow(V.substr(0, Bar));
        const char A = V[Bar + 1];
        S.SetRowAttribute(I, A == 'w' ? raWrapped : A == 'e' ? raEof : raCrlf);
    }
}

std::string Shape(const TEditorScreenStrings& S) {
    std::string Out;
    for (int R = 0; R < S.GetCount(); ++R) {
        Out += S.RowView(R);
        const TRowAttribute A = S.GetRowAttribute(R);
        Out += A == raWrapped ? "|w " : A == raEof ? "|e " : "|c ";
    }
    return Out;
}

} // namespace

TEST(ScreenStrings, ReplaceRowsTable) {
    struct TCase {
        const char* Name;
        std::initializer_list<const char*> Rows;
        int Index, Count;
        const char* S;
        const char* Expected;
    };
    const TCase Cases[] = {
        {"insert into empty list", {}, 0, 0, "abc", "abc|e "},
        {"append a line after raCrlf", {"a|c"}, 1, 0, "b\r\n", "a|c b|c "},
        {"append after a final raEof row joins it", {"xy|e"}, 1, 0, "z", "xyz|e "},
        {"replace the last row keeps no break", {"a|c", "b|e"}, 1, 1, "q", "a|c q|e "},
        {"removing a line end joins the next line", {"ab|c", "cd|c", "ef|e"}, 0, 1, "x", "xcd|c ef|e "},
        {"whole-line deletion in the middle", {"a|c", "b|c", "c|e"}, 1, 1, "", "a|c c|e "},
        {"delete the final raEof line", {"a|c", "b|e"}, 1, 1, "", "a|c "},
        {"delete everything", {"a|c", "b|e"}, 0, 2, "", ""},
        {"lone CR and LF become line ends", {}, 0, 0, "a\rb\nc", "a|c b|c c|e "},
        {"a final lone CR keeps its line break", {}, 0, 0, "a\r", "a|c "},
        {"empty text and no rows does nothing", {"a|c"}, 0, 0, "", "a|c "},
        {"span past the end does nothing", {"a|c"}, 1, 1, "x", "a|c "},
        {"negative index does nothing", {"a|c"}, -1, 1, "x", "a|c "},
        {"a break before an empty final row is kept", {"ab|w", "|e"}, 1, 0, "{\r\n", "ab{|c "},
        {"empty line kept after a replaced line", {"a|c", "|c", "b|e"}, 0, 1, "x\r\n", "x|c |c b|e "},
    };
    for (const TCase& C : Cases) {
        TAttached A;
        Load(*A.S, C.Rows);
        std::string Ref = Text(*A.S);
        ReferenceReplace(*A.S, Ref, C.Index, C.Count, C.S);
        A.S->ReplaceRows(C.Index, C.Count, C.S);
        EXPECT_EQ(Shape(*A.S), C.Expected) << C.Name;
        EXPECT_EQ(Text(*A.S), Ref) << C.Name;
    }
}

TEST(ScreenStrings, UpdateInfoAndChangeEvent) {
    TAttached A;
    Load(*A.S, {"a|c", "b|c", "c|e"});
    A.Editor.Seen.clear();
    A.S->ReplaceRows(1, 1, "xy\r\nz\r\n");
    ASSERT_EQ(A.Editor.Seen.size(), 1u); // one change event per ReplaceRows
    const TUpdateInfo& I = A.Editor.Seen[0];
    EXPECT_TRUE(I.Valid);
    EXPECT_EQ(I.FirstRow, 1);
    EXPECT_EQ(I.OldCount, 2); // row 1 and the following line, rewritten with it
    EXPECT_EQ(I.NewCount, 3);
    EXPECT_FALSE(A.S->UpdateInfo.Valid); // cleared when the bracket closed
    EXPECT_EQ(Text(*A.S), "a\r\nxy\r\nz\r\nc");

    // Whole-line deletion: FirstRow is the index and no rows replace them.
    A.Editor.Seen.clear();
    A.S->ReplaceRows(1, 2, "");
    ASSERT_EQ(A.Editor.Seen.size(), 1u);
    EXPECT_EQ(A.Editor.Seen[0].FirstRow, 1);
    EXPECT_EQ(A.Editor.Seen[0].OldCount, 2);
    EXPECT_EQ(A.Editor.Seen[0].NewCount, 0);
}

TEST(ScreenStrings, SpansAndLines) {
    TAttached A;
    TEditorScreenStrings& S = *A.S;
    EXPECT_EQ(S.LineStartRow(0), 0);
    Load(S, {"ab|w", "cd|c", "ef|w", "g|e"});
    struct {
        int R, Start, End;
    } Lines[] = {{0, 0, 1}, {1, 0, 1}, {2, 2, 3}, {3, 2, 3}, {-1, -1, -1}, {4, 4, 4}};
    for (auto L : Lines) {
        if (L.R <= 3) {
            EXPECT_EQ(S.LineEndRow(L.R), L.End) << L.R;
        }
        if (L.R >= 0) {
            EXPECT_EQ(S.LineStartRow(L.R), L.Start) << L.R;
        }
    }
    TRowAttribute Last;
    int Rows;
    std::string T;
    S.GetRowsText(0, -1, Last, Rows, T);
    EXPECT_EQ(T, "abcd\r\n");
    EXPECT_EQ(Rows, 2);
    EXPECT_EQ(Last, raCrlf);
    S.GetRowsText(2, 10, Last, Rows, T); // clipped to the list
    EXPECT_EQ(T, "efg");
    EXPECT_EQ(Last, raEof);
    S.GetRowsText(4, 1, Last, Rows, T);
    EXPECT_EQ(Last, raInvalid);
    EXPECT_EQ(Rows, 0);
    EXPECT_EQ(T, "");
    EXPECT_EQ(S.LastCaretRow(), 3); // final raEof row
    S.SetRowAttribute(3, raCrlf);
    EXPECT_EQ(S.LastCaretRow(), 4);
}

TEST(ScreenStrings, MarksFollowTheirRows) {
    struct TCase {
        const char* Name;
        int Col; // caret column of the active editor
        int Index, Count;
        const char* S;
        std::vector<int> Marks; // row of mark 1 and mark 2 afterwards (-1: gone)
    };
    // Rows: "a" (mark 1), "b" (mark 2), "c".
    const TCase Cases[] = {
        {"deleted line's mark moves to the following row", 0, 0, 1, "", {0, 0}},
        {"text at a row start pushes the mark down", 0, 0, 0, "x\r\n", {1, 2}},
        {"text inside a row keeps the mark on the first row", 1, 0, 1, "a\r\nx\r\n", {0, 2}},
        {"joining two lines unites their marks", 1, 0, 2, "ab\r\n", {0, 0}},
    };
    for (const TCase& C : Cases) {
        TAttached A;
        Load(*A.S, {"a|c", "b|c", "c|e"});
        PlaceMark(*A.S, 1, 0);
        PlaceMark(*A.S, 2, 1);
        A.Editor.Col = C.Col;
        A.S->ReplaceRows(C.Index, C.Count, C.S);
        for (int M = 1; M <= 2; ++M) {
            int Row = -1;
            for (int R = 0; R < A.S->GetCount(); ++R)
                if (A.S->GetRowMarks(R) & (1u << M)) Row = R;
            EXPECT_EQ(Row, C.Marks[static_cast<size_t>(M - 1)]) << C.Name << " mark " << M;
        }
        EXPECT_EQ(CheckRows(*A.S, nullptr), "") << C.Name;
    }
    // Deleting every row removes the marks from MarksInUse.
    TAttached A;
    Load(*A.S, {"a|c", "b|e"});
    PlaceMark(*A.S, 3, 1);
    A.S->ReplaceRows(0, 2, "");
    EXPECT_EQ(A.S->GetCount(), 0);
    EXPECT_EQ(A.S->MarksInUse(), 0);
}

TEST(ScreenStrings, WordWrapRewrapsTouchedLinesOnly) {
    TAttached A;
    TEditorScreenStrings& S = *A.S;
    S.GetWrapOption()->SetWrapByte(20);
    S.SetWordWrap(true);
    const std::string Long(45, 'x');
    S.ReplaceRows(0, 0, "head\r\n" + Long + "\r\ntail");
    EXPECT_EQ(Shape(S),
              "head|c " + std::string(20, 'x') + "|w " + std::string(20, 'x') + "|w xxxxx|c tail|e ");
    // Typing at the start of a continuation row re-wraps from the row before it.
    A.Editor.Seen.clear();
    S.ReplaceRows(2, 0, "yy");
    ASSERT_EQ(A.Editor.Seen.size(), 1u);
    EXPECT_EQ(A.Editor.Seen[0].FirstRow, 1);
    EXPECT_EQ(S.RowView(2), "yy" + std::string(18, 'x'));
    EXPECT_EQ(S.RowView(3), "xxxxxxx");
    // A line that fills its last row exactly gets an empty row after it.
    S.ReplaceRows(1, 3, std::string(20, 'z') + "\r\n");
    EXPECT_EQ(Shape(S), "head|c " + std::string(20, 'z') + "|w |c tail|e ");
    EXPECT_EQ(CheckRows(S, nullptr), "");
    // Switching off joins the lines and empties the undo lists.
    EXPECT_TRUE(S.GetUndoObj()->CanUndo());
    S.SetWordWrap(false);
    EXPECT_FALSE(S.GetUndoObj()->CanUndo());
    EXPECT_EQ(Shape(S), "head|c " + std::string(20, 'z') + "|c tail|e ");
    EXPECT_GE(A.Editor.RefreshCount, 2);
}

TEST(ScreenStrings, WrapAllMovesMarksWithTheirLines) {
    TAttached A;
    TEditorScreenStrings& S = *A.S;
    S.GetWrapOption()->SetWrapByte(20);
    S.SetWordWrap(true);
    S.ReplaceRows(0, 0, std::string(50, 'a') + "\r\nb");
    ASSERT_EQ(S.GetCount(), 4); // 20 + 20 + 10, then "b"
    PlaceMark(S, 1, 0);
    PlaceMark(S, 2, 1);
    PlaceMark(S, 3, 2);
    // Wider rows: the line now needs two rows; the third row's mark goes to the last one.
    S.GetWrapOption()->SetWrapByte(30);
    ASSERT_EQ(S.GetCount(), 3);
    EXPECT_EQ(S.GetRowMarks(0), 1u << 1);
    EXPECT_EQ(S.GetRowMarks(1), (1u << 2) | (1u << 3));
    EXPECT_EQ(S.GetRowAttribute(2), raEof);
    // A line that now fits one row carries the marks of all its old rows.
    S.GetWrapOption()->SetWrapByte(60);
    ASSERT_EQ(S.GetCount(), 2);
    EXPECT_EQ(S.GetRowMarks(0), (1u << 1) | (1u << 2) | (1u << 3));
    EXPECT_EQ(A.Editor.Col, 0);
    EXPECT_EQ(CheckRows(S, nullptr), "");
}

TEST(ScreenStrings, ColouringScanStopsWhereTheStateAgrees) {
    TTestFountain F;
    TAttached A;
    A.Editor.Fountain = &F;
    TEditorScreenStrings& S = *A.S;
    std::string T;
    for (int I = 0; I < 8; ++I) T += "row\r\n";
    S.ReplaceRows(0, 0, T);
    S.ScanAll();
    // A change that keeps the colouring state repaints only the changed row.
    A.Editor.Invalidated.clear();
    S.ReplaceRows(3, 1, "other\r\n");
    EXPECT_EQ(A.Editor.Invalidated, (std::vector<int>{3, 4}));
    // Opening a bracket changes the state of the rows after it, up to the horizon.
    A.Editor.ScreenHeight = 32; // two rows per screen: horizon = index + 4
    A.Editor.Invalidated.clear();
    S.ReplaceRows(1, 1, "{\r\n");
    EXPECT_EQ(A.Editor.Invalidated, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(S.GetBracketIndex(2), 1);
    EXPECT_EQ(S.GetBracketIndex(6), -2); // beyond the horizon: not scanned
    EXPECT_EQ(CheckRows(S, &F), "");
    // Painting a row past the horizon scans up to it from the last scanned row.
    S.UpdateRowAttributes(7, false);
    EXPECT_EQ(S.GetBracketIndex(7), 1);
    EXPECT_EQ(CheckRows(S, &F), "");
}

// Without a bracket no state crosses a line break, so a row far below the scanned ones is
// scanned from the start of its own line; a scheme with a bracket scans from the last scanned
// row. The states agree with a scan from row 0 either way.
TEST(ScreenStrings, ColouringScanStartsAtTheLineWhenNoRegionCanStayOpen) {
    TEditorFountain F(nullptr);
    F.SetQuotation("'");
    TAttached A;
    A.Editor.Fountain = &F;
    A.Editor.InitBracketsFull = false;
    A.Editor.ScreenHeight = 32; // two rows per screen
    TEditorScreenStrings& S = *A.S;
    S.GetWrapOption()->SetWrapByte(20);
    S.SetWordWrap(true);
    std::string T;
    for (int I = 0; I < 40; ++I) T += "{ 'a string\r\n";
    T += "x 'a string left open that runs over three wrapped rows";
    S.ReplaceRows(0, 0, T);
    S.ScanAll();
    const int Last = S.GetCount() - 1;
    const int Line = S.LineStartRow(Last);
    ASSERT_GE(Last - Line, 2);
    S.UpdateRowAttributes(Last, false);
    EXPECT_EQ(S.GetBracketIndex(Line - 1), -2); // the line before stays unscanned
    EXPECT_NE(S.GetBracketIndex(Line), -2);
    EXPECT_NE(S.GetCarryToken(Last), 0); // the string goes on over the wraps
    EXPECT_EQ(CheckRows(S, &F), "");
    // A bracket region can stay open over lines: the rows above are scanned too.
    auto* B = F.GetBrackets()->Add();
    B->SetLeftBracket("{");
    B->SetRightBracket("}");
    S.ScanAll();
    S.UpdateRowAttributes(Last, false);
    EXPECT_EQ(S.GetBracketIndex(Line - 1), 0); // inside the region opened on the first line
    EXPECT_EQ(CheckRows(S, &F), "");
}

TEST(ScreenStrings, ScanAllHonoursInitBracketsFull) {
    TTestFountain F;
    for (bool Full : {true, false}) {
        TAttached A;
        A.Editor.Fountain = &F;
        A.Editor.InitBracketsFull = Full;
        A.Editor.ScreenHeight = 32; // two rows per screen
        std::string T;
        for (int I = 0; I < 30; ++I) T += "/* x */\r\n";
        A.S->ReplaceRows(0, 0, T);
        A.S->ScanAll();
        EXPECT_EQ(A.S->GetBracketIndex(29), Full ? -1 : -2) << Full;
        EXPECT_EQ(A.S->GetBracketIndex(4), -1) << Full; // within 2 x rows-per-screen + TopRow
        A.Editor.Loading = true;
        A.S->ScanAll(); // nothing while the owner loads
        EXPECT_EQ(A.S->GetBracketIndex(4), -1);
    }
}

TEST(ScreenStrings, ClearAndClamp) {
    TAttached A;
    TEditorScreenStrings& S = *A.S;
    S.ReplaceRows(0, 0, "a\r\nb\r\nc");
    PlaceMark(S, 5, 2);
    A.Editor.Row = 2;
    A.Editor.Col = 1;
    A.Editor.Selected = true;
    S.Clear();
    EXPECT_EQ(S.GetCount(), 0);
    EXPECT_EQ(S.MarksInUse(), 0);
    EXPECT_FALSE(S.GetUndoObj()->CanUndo());
    EXPECT_FALSE(A.Editor.Selected);
    EXPECT_EQ(A.Editor.Row, 0);
    EXPECT_EQ(A.Editor.Col, 0);
    // A change that removes rows clamps the caret and the top row of every editor.
    S.ReplaceRows(0, 0, "a\r\nb\r\nc\r\nd");
    A.Editor.Row = 3;
    A.Editor.TopRow = 3;
    S.ReplaceRows(1, 3, "");
    EXPECT_EQ(A.Editor.Row, 1); // after a final raCrlf row the caret may stand on Count
    EXPECT_EQ(A.Editor.TopRow, 1);
}

TEST(ScreenStrings, EditorsShareTheListAndTheLastFreesIt) {
    TEditorDouble E1, E2;
    auto* S = new TEditorScreenStrings;
    S->AddEditor(&E1);
    S->AddEditor(&E2);
    EXPECT_EQ(S->OwnerEditor(), &E1);
    EXPECT_EQ(S->ActiveEditor(), &E1);
    E2.HasFocus = true;
    EXPECT_EQ(S->ActiveEditor(), &E2);
    S->ReplaceRows(0, 0, "x");
    EXPECT_EQ(E1.ChangeCount, 1);
    EXPECT_EQ(E2.ChangeCount, 1);
    S->RemoveEditor(&E1);
    EXPECT_EQ(S->OwnerEditor(), &E2);
    S->RemoveEditor(&E2); // frees the list (the sanitizer build reports a leak otherwise)
    auto* Lonely = new TEditorScreenStrings;
    Lonely->Free();
}
