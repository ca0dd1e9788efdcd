// TEditor driven by the standard edit-control and clipboard messages.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "control/editor_edit_support.h"
#include "editor/model/wrap_option.h"
#include "platform/cp932.h"
#include "platform/messages.h"

namespace {

// A focused editor with a window and a memory clipboard, sent messages straight to Perform.
struct TMsgEditor : edit_test::TDriven {
    using TDriven::TDriven;
    intptr_t Send(uint32_t Msg, intptr_t WParam = 0, intptr_t LParam = 0) {
        return E->Perform(Msg, static_cast<uintptr_t>(WParam), LParam);
    }
    void Select(int Start, int End) { Send(EM_SETSEL, Start, End); }
    std::pair<int, int> Sel() {
        uint32_t S = 99, En = 99;
        const intptr_t R = Send(EM_GETSEL, reinterpret_cast<intptr_t>(&S), reinterpret_cast<intptr_t>(&En));
        EXPECT_EQ(R & 0xFFFF, static_cast<intptr_t>(S));
        EXPECT_EQ((R >> 16) & 0xFFFF, static_cast<intptr_t>(En));
        return {static_cast<int>(S), static_cast<int>(En)};
    }
};

TEST(EditorMessages, PositionsCountLineBreaksByRowKind) {
    // Row one "ab" (raCrlf), row two "c" (raEof).
    TMsgEditor T("ab\r\nc");
    EXPECT_EQ(T.Send(EM_GETLINECOUNT), 2);
    struct TRow {
        uint32_t Msg;
        intptr_t WParam;
        intptr_t Expected;
    } Rows[] = {
        {EM_LINEINDEX, 0, 0},    {EM_LINEINDEX, 1, 4},    {EM_LINEINDEX, 2, 6},    {EM_LINEINDEX, 3, -1},
        {EM_LINEFROMCHAR, 0, 0}, {EM_LINEFROMCHAR, 3, 0}, {EM_LINEFROMCHAR, 4, 1}, {EM_LINEFROMCHAR, 9, 1},
        {EM_LINELENGTH, 1, 2},   {EM_LINELENGTH, 4, 1},
    };
    for (const TRow& R : Rows) EXPECT_EQ(T.Send(R.Msg, R.WParam), R.Expected) << R.Msg << " " << R.WParam;

    // A wrapped row ends with no position of its own.
    TMsgEditor W("abcdefghijklmnopqrstuvwxyz0123\r\nxy");
    W->GetWrapOption()->SetWrapByte(20);
    W->SetWordWrap(true);
    ASSERT_EQ(W->RowAttr(0), raWrapped);
    const int Rows0 = static_cast<int>(W->RowText(0).size());
    EXPECT_EQ(W.Send(EM_LINEINDEX, 1), Rows0);
    EXPECT_EQ(W.Send(EM_LINEFROMCHAR, Rows0), 1);
    const int XyRow = W->RowsCount() - 1;
    EXPECT_EQ(W.Send(EM_LINEINDEX, XyRow), 32);
    EXPECT_EQ(W.Send(EM_LINEFROMCHAR, 32), XyRow);

    // -1: the caret's row, or the selection's.
    T->SetRowCol(1, 1);
    EXPECT_EQ(T.Send(EM_LINEINDEX, -1), 4);
    EXPECT_EQ(T.Send(EM_LINEFROMCHAR, -1), 1);
    EXPECT_EQ(T.Send(EM_LINELENGTH, -1), 1);
}

TEST(EditorMessages, SetSelAndGetSel) {
    struct TRow {
        const char* Name;
        intptr_t Start, End;
        int WantStart, WantEnd;
        TEditorSelectionState State;
    } Rows[] = {
        {"forward", 2, 5, 2, 5, selSelected},
        {"backward selects the same bytes", 5, 2, 2, 5, selSelected},
        {"all", 0, -1, 0, 9, selSelected},
        {"a negative end selects to the end", 3, -1, 3, 9, selSelected},
        {"empty range puts the caret", 6, 6, 6, 6, selNone},
        {"across the line break", 1, 5, 1, 5, selSelected},
    };
    for (const TRow& R : Rows) {
        SCOPED_TRACE(R.Name);
        TMsgEditor T("abc\r\ndefg"); // 9 positions up to the end
        T.Select(static_cast<int>(R.Start), static_cast<int>(R.End));
        EXPECT_EQ(T.Sel(), std::make_pair(R.WantStart, R.WantEnd));
        EXPECT_EQ(T->GetSelectionState(), R.State);
        if (R.Start == 1) {
            EXPECT_EQ(T->GetSelText(), "bc\r\n");
        }
        T.Select(-1, 0);
        EXPECT_EQ(T->GetSelectionState(), selNone);
    }
    // Null pointers are not written.
    TMsgEditor T("abc");
    T.Select(1, 2);
    EXPECT_EQ(T.Send(EM_GETSEL), 1 | (2 << 16));
}

TEST(EditorMessages, LineLengthOfTheUnselectedPartAndGetLine) {
    TMsgEditor T("abcd\r\nefghij\r\nk");
    T.Select(2, 8); // "cd" CR LF "ef"
    EXPECT_EQ(T.Send(EM_LINELENGTH, -1), 2 + 4);
    T.Select(7, 9); // "fg" of row 1
    EXPECT_EQ(T.Send(EM_LINELENGTH, -1), 4);

    char Buffer[16];
    auto GetLine = [&](int Row, uint16_t Capacity) {
        std::memset(Buffer, '#', sizeof Buffer);
        std::memcpy(Buffer, &Capacity, sizeof Capacity);
        const intptr_t N = T.Send(EM_GETLINE, Row, reinterpret_cast<intptr_t>(Buffer));
        return std::string(Buffer, static_cast<size_t>(N));
    };
    EXPECT_EQ(GetLine(1, 16), "efghij");
    EXPECT_EQ(Buffer[6], '#'); // no terminator
    EXPECT_EQ(GetLine(1, 3), "efg");
    EXPECT_EQ(GetLine(2, 16), "k");
    EXPECT_EQ(GetLine(3, 16), "");
    EXPECT_EQ(GetLine(7, 16), "");
}

TEST(EditorMessages, EditsAndUndoKeepTheReadOnlyRules) {
    for (bool ReadOnly : {false, true}) {
        SCOPED_TRACE(ReadOnly);
        TMsgEditor T("hello world");
        T.Select(0, 5);
        T.Send(EM_REPLACESEL, 1, reinterpret_cast<intptr_t>("bye"));
        T.Send(EM_SETREADONLY, ReadOnly);
        EXPECT_EQ(T->GetReadOnly(), ReadOnly);
        EXPECT_EQ(EditorText(*T.E), "bye world");
        // Undo is offered only while the control may be edited.
        EXPECT_EQ(T.Send(EM_CANUNDO), ReadOnly ? 0 : 1);
        EXPECT_EQ(T.Send(EM_GETMODIFY), 1);
        T.Send(EM_SETMODIFY, 0);
        EXPECT_EQ(T.Send(EM_GETMODIFY), ReadOnly ? 1 : 0);

        T.Select(0, 3);
        T.Send(EM_REPLACESEL, 1, reinterpret_cast<intptr_t>("hi"));
        EXPECT_EQ(EditorText(*T.E), ReadOnly ? "bye world" : "hi world");
        T.Clip.SetText("X");
        T.Select(0, 1);
        T.Send(WM_PASTE);
        EXPECT_EQ(EditorText(*T.E), ReadOnly ? "bye world" : "Xi world");
        T.Select(0, 1);
        T.Send(WM_CLEAR);
        EXPECT_EQ(EditorText(*T.E), ReadOnly ? "bye world" : "i world");
        T.Select(0, 1);
        T.Send(WM_CUT);
        EXPECT_EQ(EditorText(*T.E), ReadOnly ? "bye world" : " world");
        EXPECT_EQ(T.Clip.GetText(), ReadOnly ? "" : "i");

        EXPECT_EQ(T.Send(EM_UNDO), ReadOnly ? 0 : 1);
        EXPECT_EQ(EditorText(*T.E), ReadOnly ? "bye world" : "i world");
        T.Send(EM_EMPTYUNDOBUFFER);
        EXPECT_EQ(T->CanUndo(), ReadOnly);
        EXPECT_EQ(T.Send(EM_UNDO), 0);
    }
}

TEST(EditorMessages, CopyAndCutWithoutASelectionEmptyTheClipboard) {
    TMsgEditor T("abc");
    T.Clip.SetText("old");
    T.Send(WM_COPY);
    EXPECT_EQ(T.Clip.GetText(), "");
    T.Clip.SetText("old");
    T.Send(WM_CUT);
    EXPECT_EQ(T.Clip.GetText(), "");
    EXPECT_EQ(EditorText(*T.E), "abc");
    T.Select(1, 3);
    T.Send(WM_COPY);
    EXPECT_EQ(T.Clip.GetText(), "bc");
    EXPECT_EQ(EditorText(*T.E), "abc");
}

TEST(EditorMessages, PositionsAndClientPoints) {
    const std::string A = cp932::Literal("あ");
    TMsgEditor T("x\ty" + A + "z\r\n" + A + "b\r\nlast");
    const int Cw = T->GetColWidth(), Rh = T->GetRowHeight(), L = T->TextLeft(), Top = T->TextTop();
    ASSERT_GT(Cw, 0);
    struct TRow {
        int Position, Col, Row;
    } Rows[] = {
        {0, 0, 0},  {1, 1, 0},  {2, 8, 0},  {3, 9, 0},
        {5, 11, 0}, {6, 12, 0}, // "x", tab to 8, "y", "あ", "z"
        {8, 0, 1},  {10, 2, 1}, {13, 0, 2}, {15, 2, 2},
    };
    for (const TRow& R : Rows) {
        SCOPED_TRACE(R.Position);
        const intptr_t P = T.Send(EM_POSFROMCHAR, R.Position);
        EXPECT_EQ(P & 0xFFFF, L + R.Col * Cw);
        EXPECT_EQ((P >> 16) & 0xFFFF, Top + R.Row * Rh);
        // And back, from the middle of the cell.
        const intptr_t C =
            T.Send(EM_CHARFROMPOS, 0, ((P & 0xFFFF) + Cw / 2) | (((P >> 16) & 0xFFFF) + Rh / 2) << 16);
        EXPECT_EQ(C & 0xFFFF, R.Position);
        EXPECT_EQ((C >> 16) & 0xFFFF, R.Row);
    }
    // Inside the tab, on the trail byte of "あ", and beyond the end of a row.
    auto CharAt = [&](int Col, int Row) {
        return T.Send(EM_CHARFROMPOS, 0, (L + Col * Cw + 1) | ((Top + Row * Rh + 1) << 16));
    };
    EXPECT_EQ(CharAt(4, 0) & 0xFFFF, 1);
    EXPECT_EQ(CharAt(10, 0) & 0xFFFF, 3);
    EXPECT_EQ(CharAt(40, 1) & 0xFFFF, 8 + 3);
    // Outside the client area.
    EXPECT_EQ(T.Send(EM_CHARFROMPOS, 0, 5 | (500 << 16)), -1);
    EXPECT_EQ(T.Send(EM_CHARFROMPOS, 0, 0xFFFF | (5 << 16)), -1);
}

TEST(EditorMessages, ScrollCaretAndFirstVisibleLine) {
    std::string Text;
    for (int I = 0; I < 100; ++I) Text += "row " + std::to_string(I) + "\r\n";
    TMsgEditor T(Text, 200, 120);
    const int Rows = T->GetRowCount();
    ASSERT_GT(Rows, 2);
    T.Send(EM_SETSEL, T.Send(EM_LINEINDEX, 60), T.Send(EM_LINEINDEX, 60));
    T->SetTopRow(0);
    EXPECT_EQ(T.Send(EM_GETFIRSTVISIBLELINE), 0);
    T.Send(EM_SCROLLCARET);
    EXPECT_EQ(T.Send(EM_GETFIRSTVISIBLELINE), 60 - Rows / 3);
    // A caret in view leaves the view alone.
    T.Send(EM_SCROLLCARET);
    EXPECT_EQ(T.Send(EM_GETFIRSTVISIBLELINE), 60 - Rows / 3);
}

} // namespace
