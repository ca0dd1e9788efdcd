// TEditor's mouse input through button and move messages on a host double: clicks and drag
// selection, left-margin row selection, dragging the selection, the cursor kinds, the input
// filter while the mouse is busy, the wheel and the token under a point.
#include <gtest/gtest.h>

#include <string>

#include "control/editor_edit_support.h"
#include "editor/model/screen_strings.h"
#include "platform/cp932.h"

using namespace edit_test;

namespace {

std::string NumberedRows(int N) {
    std::string S;
    for (int I = 0; I < N; ++I) S += "row" + std::to_string(I) + "\r\n";
    return S;
}

TEST(EditorMouse, PointToRowColAimsAtCellsOrBoundaries) {
    TDriven T("abcdef");
    const int L = T->TextLeft(), Top = T->TextTop(), Cw = T->GetColWidth(), Rh = T->GetRowHeight();
    ASSERT_GT(Cw, 2);
    struct TRow {
        int X, Y;
        bool Nearest;
        int Col, Row;
    } Rows[] = {
        {L + 2 * Cw + 1, Top + 1, false, 2, 0},
        {L + 2 * Cw + Cw - 1, Top + 1, false, 2, 0},
        {L + 2 * Cw + Cw - 1, Top + 1, true, 3, 0}, // right part of a cell: the next boundary
        {L + 2 * Cw + 1, Top + Rh + 1, true, 2, 1},
        {L - 1, Top + 1, false, 0, 0},
        {L + Cw, Top - 1, false, 1, 0}, // just above the text: truncation toward zero
    };
    for (const TRow& R : Rows) {
        int Col = -1, Row = -1;
        T->PointToRowCol(R.X, R.Y, R.Nearest, Col, Row);
        EXPECT_EQ(Col, R.Col) << R.X << "," << R.Y;
        EXPECT_EQ(Row, R.Row) << R.X << "," << R.Y;
    }
}

TEST(EditorMouse, ClickShiftClickAndDragSelect) {
    TDriven T("abcdefgh\r\nijklmnop\r\n");
    // A plain click leaves an anchored empty selection at the click.
    T.Click(T.At(0, 2));
    EXPECT_EQ(T->GetRow(), 0);
    EXPECT_EQ(T->GetCol(), 2);
    EXPECT_EQ(T->GetSelectionState(), selAnchored);
    // A press and a move of less than half a column selects nothing yet.
    T.Down(T.At(0, 4));
    T.Move(TPoint{T.At(0, 4).X + 1, T.At(0, 4).Y});
    EXPECT_EQ(T->GetSelectionState(), selAnchored);
    T.Move(T.At(1, 3));
    EXPECT_EQ(T->GetSelectionState(), selSelected);
    T.Up(T.At(1, 3));
    EXPECT_EQ(T->GetSelText(), "efgh\r\nijk");
    // Shift+click extends from the anchor.
    T.Host->KeysDown[VK_SHIFT] = true;
    T.Down(T.At(1, 6));
    T.Up(T.At(1, 6));
    T.Host->KeysDown[VK_SHIFT] = false;
    EXPECT_EQ(T->GetSelText(), "efgh\r\nijklmn");
    // Shift+click without a selection selects from the caret.
    T.Click(T.At(0, 1));
    T.Host->KeysDown[VK_SHIFT] = true;
    T.Click(T.At(0, 3));
    T.Host->KeysDown[VK_SHIFT] = false;
    EXPECT_EQ(T->GetSelText(), "bc");
}

TEST(EditorMouse, SelectingAboveTheTextScrollsOneRowPerMove) {
    TDriven T(NumberedRows(60));
    T->SetTopRow(10);
    T.Down(T.At(12, 2));
    const TPoint Above{T.At(0, 2).X, T->TextTop() - 3};
    for (int I = 1; I <= 3; ++I) {
        T.Move(Above);
        EXPECT_EQ(T->GetTopRow(), 10 - I);
        EXPECT_EQ(T->GetRow(), 10 - I);
    }
    T.Up(Above);
    EXPECT_EQ(T->GetTopRow(), 7);
    EXPECT_EQ(T->GetSelFrame().StartRow, 7);
    EXPECT_EQ(T->GetSelFrame().EndRow, 12);
}

TEST(EditorMouse, LeftMarginSelectsWholeRows) {
    TDriven T(NumberedRows(10) + "last");
    T->GetLeftbar()->SetVisible(true);
    ASSERT_GT(T->TextLeft(), 2);
    const int X = T->TextLeft() - 2;
    auto Margin = [&](int Row) { return TPoint{X, T.At(Row, 0).Y}; };

    T.Down(Margin(5));
    EXPECT_TRUE(T->GetRowSelecting());
    EXPECT_EQ(T->GetSelText(), "row5\r\n");
    EXPECT_EQ(T->GetRow(), 5);
    EXPECT_EQ(T->GetCol(), 0);
    T.Move(Margin(2));
    EXPECT_EQ(T->GetSelText(), "row2\r\nrow3\r\nrow4\r\nrow5\r\n");
    T.Move(Margin(7));
    EXPECT_EQ(T->GetSelText(), "row5\r\nrow6\r\nrow7\r\n");
    T.Up(Margin(7));
    EXPECT_FALSE(T->GetRowSelecting());

    // The last row of a text without a final line break, up to its end; upward from it.
    T.Down(Margin(10));
    EXPECT_TRUE(T->GetRowSelAnchorIsEof());
    EXPECT_EQ(T->GetSelText(), "last");
    T.Move(Margin(9));
    EXPECT_EQ(T->GetSelText(), "row9\r\nlast");
    T.Up(Margin(9));

    // Nothing on an empty text.
    TDriven Empty;
    Empty->GetLeftbar()->SetVisible(true);
    Empty.Down(TPoint{Empty->TextLeft() - 2, Empty.At(0, 0).Y});
    EXPECT_FALSE(Empty->GetRowSelecting());
    EXPECT_NE(Empty->GetSelectionState(), selSelected);
}

// Selects columns C1 .. C2 - 1 of a row with the keyboard model.
void SelectCols(TDriven& T, int Row, int C1, int C2) {
    T->SetRowCol(Row, C1);
    T->StartSelection();
    T->SetRowCol(Row, C2);
    T->ExtendSelection();
}

TEST(EditorMouse, DragMovesAndCopiesTheSelection) {
    struct TRow {
        const char* Name;
        std::string Text;
        int Row, C1, C2; // the selection
        int ToRow, ToCol;
        bool Ctrl;
        std::string Expected;
        int CaretRow, CaretCol;
    } Rows[] = {
        {"move a word down to beyond a shorter row's end", "one two three\r\nab\r\n", 0, 4, 7, 1, 5, false,
         "one  three\r\nab   two\r\n", 1, 8},
        {"move a word up", "ab\r\none two\r\n", 1, 4, 7, 0, 1, false, "atwob\r\none \r\n", 0, 4},
        {"move left on the same row", "abcdef", 0, 3, 5, 0, 1, false, "adebcf", 0, 3},
        {"move right on the same row", "abcdef", 0, 1, 3, 0, 5, false, "adebcf", 0, 5},
        {"copy with Ctrl", "abcdef\r\nxy", 0, 1, 3, 1, 1, true, "abcdef\r\nxbcy", 1, 3},
        {"copy beyond the end pads", "abc\r\nx", 0, 0, 2, 1, 3, true, "abc\r\nx  ab", 1, 5},
    };
    for (const TRow& R : Rows) {
        SCOPED_TRACE(R.Name);
        TDriven T(R.Text);
        T->GetCaret()->FreeCaret = true;
        SelectCols(T, R.Row, R.C1, R.C2);
        T.Down(T.At(R.Row, R.C1));
        EXPECT_EQ(T->GetDragState(), dsPending);
        T.Host->KeysDown[VK_CONTROL] = R.Ctrl;
        T.Move(T.At(R.ToRow, R.ToCol));
        EXPECT_EQ(T->GetDragState(), dsDragging);
        EXPECT_EQ(T->GetCursorKind(), R.Ctrl ? 5 : 4);
        T.Move(T.At(R.ToRow, R.ToCol));
        T.Up(T.At(R.ToRow, R.ToCol));
        T.Host->KeysDown[VK_CONTROL] = false;
        EXPECT_EQ(T->GetDragState(), dsNone);
        EXPECT_EQ(EditorText(*T.E), R.Expected);
        EXPECT_EQ(T->GetRow(), R.CaretRow);
        EXPECT_EQ(T->GetCol(), R.CaretCol);
        // One drop, one undo step.
        T->Undo();
        EXPECT_EQ(EditorText(*T.E), R.Text);
        EXPECT_FALSE(T->CanUndo());
    }
}

TEST(EditorMouse, DragEndsWithoutDrop) {
    // A click without movement inside the selection removes it and leaves the caret there.
    {
        TDriven T("abcdef");
        SelectCols(T, 0, 1, 5);
        T.Click(T.At(0, 3));
        EXPECT_EQ(T->GetSelectionState(), selNone);
        EXPECT_EQ(T->GetCol(), 3);
        EXPECT_EQ(EditorText(*T.E), "abcdef");
    }
    // Esc during the drag cancels the drag and the selection; the drop is not made.
    {
        TDriven T("abcdef\r\nxyz");
        SelectCols(T, 0, 1, 3);
        T.Down(T.At(0, 1));
        T.Move(T.At(1, 2));
        ASSERT_EQ(T->GetDragState(), dsDragging);
        T.KeyDown(VK_ESCAPE);
        EXPECT_EQ(T->GetDragState(), dsNone);
        EXPECT_EQ(T->GetSelectionState(), selNone);
        T.KeyUp(VK_ESCAPE);
        T.Up(T.At(1, 2));
        EXPECT_EQ(EditorText(*T.E), "abcdef\r\nxyz");
    }
    // A drop outside the client area, or onto the selection, only cancels the selection.
    for (const bool Outside : {true, false}) {
        TDriven T("abcdef\r\nxyz");
        SelectCols(T, 0, 1, 4);
        T.Down(T.At(0, 1));
        T.Move(Outside ? T.At(1, 1) : T.At(0, 3));
        ASSERT_EQ(T->GetDragState(), dsDragging);
        T.Up(Outside ? TPoint{-20, 500} : T.At(0, 3));
        EXPECT_EQ(T->GetSelectionState(), selNone);
        EXPECT_EQ(EditorText(*T.E), "abcdef\r\nxyz");
    }
    // Read-only: the press inside the selection starts a new selection instead of a drag.
    {
        TDriven T("abcdef");
        T->SetReadOnly(true);
        SelectCols(T, 0, 1, 4);
        T.Down(T.At(0, 2));
        EXPECT_EQ(T->GetDragState(), dsNone);
        EXPECT_EQ(T->GetSelectionState(), selAnchored);
        T.Up(T.At(0, 2));
    }
}

TEST(EditorMouse, CtrlSwitchesTheDragCursorAndKeysAreFilteredWhileBusy) {
    TDriven T("abcdef\r\nxyz");
    SelectCols(T, 0, 1, 3);
    T.Down(T.At(0, 1));
    T.Move(T.At(1, 2));
    ASSERT_EQ(T->GetDragState(), dsDragging);
    // The move that starts the drag only changes the state; the next one shows the drop point.
    T.Move(T.At(1, 2));
    const TEditorCursors& C = *T->GetCaret()->GetCursors();
    // The control's own cursor shapes are registered from their resources.
    EXPECT_EQ(ScreenCursorResource(C.DragSelCopyCursor), "DragSelCopy");
    EXPECT_EQ(ScreenCursorResource(C.LeftMarginCursor), "RightArrow");
    EXPECT_EQ(T.Host->SystemCursor, C.DragSelCursor);
    T.KeyDown(VK_CONTROL);
    EXPECT_EQ(T->GetCursorKind(), 5);
    EXPECT_EQ(T.Host->SystemCursor, C.DragSelCopyCursor);
    T.KeyUp(VK_CONTROL);
    EXPECT_EQ(T->GetCursorKind(), 4);
    EXPECT_EQ(T.Host->SystemCursor, C.DragSelCursor);
    // Characters, the wheel and the popup menu's shortcuts do nothing during the drag.
    T.Send(WM_CHAR, 'q', 1);
    EXPECT_FALSE(T.ShortCutKey('X', false, true));
    T.Send(WM_CONTEXTMENU, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(T.Presenter.Shown.empty());
    EXPECT_EQ(T->GetDragState(), dsDragging);
    EXPECT_EQ(T->GetSelectionState(), selSelected);
    EXPECT_EQ(T->GetRow(), 1);
    EXPECT_EQ(T->GetCol(), 2);
    T.Up(T.At(1, 2));
    EXPECT_EQ(EditorText(*T.E), "adef\r\nxybcz");

    // Hover kinds: left margin, ruler, over the selection, elsewhere.
    T->GetLeftbar()->SetVisible(true);
    T->GetRuler()->SetVisible(true);
    T.Host->KeysDown[VK_LBUTTON] = false;
    SelectCols(T, 0, 0, 3);
    T.Move(TPoint{T->TextLeft() - 1, T.At(0, 0).Y});
    EXPECT_EQ(T->GetCursorKind(), 1);
    EXPECT_EQ(T.Host->Cursor, C.LeftMarginCursor);
    T.Move(TPoint{T.At(0, 1).X, T->TextTop() - 1});
    EXPECT_EQ(T->GetCursorKind(), 2);
    T.Move(T.At(0, 1));
    EXPECT_EQ(T->GetCursorKind(), 3);
    T.Move(T.At(1, 1));
    EXPECT_EQ(T->GetCursorKind(), 0);
    EXPECT_EQ(T.Host->Cursor, C.DefaultCursor);
}

TEST(EditorMouse, WheelAndDoubleClickRaiseTheEventsOnly) {
    TDriven T(NumberedRows(40));
    int Wheels = 0, Downs = 0, Dbl = 0;
    bool Take = false;
    T->OnMouseWheel = [&](TObject*, uint32_t, int Delta, TPoint, bool& Handled) {
        ++Wheels;
        EXPECT_EQ(Delta, -WHEEL_DELTA);
        Handled = Take;
    };
    T->OnMouseWheelDown = [&](TObject*, uint32_t, TPoint, bool&) { ++Downs; };
    T->OnDblClick = TNotifyEvent(
        +[](void* Data, TObject*) { ++*static_cast<int*>(Data); }, &Dbl);
    EXPECT_EQ(T.Send(WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0), 0);
    Take = true;
    EXPECT_EQ(T.Send(WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0), 1);
    EXPECT_EQ(Wheels, 2);
    EXPECT_EQ(Downs, 1);
    EXPECT_EQ(T->GetTopRow(), 0); // the control itself does not scroll
    T.Click(T.At(1, 1));
    T.Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(T.At(3, 3).X, T.At(3, 3).Y));
    EXPECT_EQ(Dbl, 1);
    EXPECT_EQ(T->GetRow(), 1);
}

TEST(EditorMouse, TokenUnderAPoint) {
    const std::string Text = "alpha beta\t" + cp932::Literal("漢字") + "x\r\n";
    TDriven T(Text);
    struct TRow {
        int Col;
        bool Found;
        std::string Token;
    } Rows[] = {
        {0, true, "alpha"}, {3, true, "alpha"}, {6, true, "beta"}, {17, true, cp932::Literal("漢字")},
        {40, false, ""},
    };
    for (const TRow& R : Rows) {
        SCOPED_TRACE(R.Col);
        std::string Token;
        int Kind = -1;
        EXPECT_EQ(T->GetTokenAt(T.At(0, R.Col), false, false, Token, Kind), R.Found);
        if (R.Found) {
            EXPECT_EQ(Token, R.Token);
        }
    }
    int Row = -1, Byte = -1;
    // Left of the text and above it: nothing; on the trail half of a double-byte character:
    // its lead byte.
    EXPECT_FALSE(T->PointToTextPos(TPoint{T->TextLeft() - 1, T.At(0, 0).Y}, Row, Byte));
    EXPECT_TRUE(T->PointToTextPos(T.At(0, 17), Row, Byte));
    EXPECT_EQ(Row, 0);
    EXPECT_EQ(Byte, 11);
    T->SelectTokenAt(T.At(0, 7), false, false);
    EXPECT_EQ(T->GetSelText(), "beta");
}

} // namespace
