// TEditor's editing operations with a window (a host double) and an in-memory clipboard:
// deleting and replacing the selection, stream and box inserts, the box clipboard format,
// select all, undo and redo, and row marks.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "control/editor_edit_support.h"
#include "editor/control/editor.h"
#include "editor/model/screen_strings.h"
#include "platform/cp932.h"

using namespace edit_test;

namespace {

// The driven editor with a keyboard-model selection from (R1, C1) to (R2, C2).
struct TEdit : TDriven {
    using TDriven::TDriven;
    void Select(int R1, int C1, int R2, int C2, TEditorSelectionMode Mode = smNormal) {
        E->SetSelectionMode(Mode);
        E->SetRowCol(R1, C1);
        E->StartSelection();
        E->SetRowCol(R2, C2);
        E->ExtendSelection();
    }
};

TEST(EditorEdit, StreamOperationsPlaceTextAndCaret) {
    struct TRow {
        const char* Name;
        std::string Text;
        int R1, C1, R2, C2; // selection, or only the caret when R1 < 0 (caret at R2, C2)
        std::function<void(TEdit&)> Op;
        std::string Expected;
        int Row, Col;
    } Rows[] = {
        {"cut a whole line with its break", "ab\r\ncd\r\nef", 0, 0, 1, 0,
         [](TEdit& T) { T->CutToClipboard(); }, "cd\r\nef", 0, 0},
        {"paste two lines into the middle of a row", "abcd", -1, 0, 0, 2,
         [](TEdit& T) {
             T.Clip.SetText("x\r\ny");
             T->PasteFromClipboard();
         },
         "abx\r\nycd", 1, 1},
        {"insert beyond the end of a row pads with spaces", "ab\r\ncd", -1, 0, 0, 5,
         [](TEdit& T) { T->SetSelTextBuf("X"); }, "ab   X\r\ncd", 0, 6},
        {"insert replaces the selection", "abcdef", 0, 1, 0, 4, [](TEdit& T) { T->SetSelTextBuf("XY"); },
         "aXYef", 0, 3},
        {"insert stops at a NUL", "ab", -1, 0, 0, 1,
         [](TEdit& T) { T->SetSelTextBuf(std::string_view("X\0Y", 3)); }, "aXb", 0, 2},
        {"empty insert deletes the selection", "abcdef", 0, 1, 0, 4, [](TEdit& T) { T->SetSelTextBuf(""); },
         "aef", 0, 1},
        {"delete across three rows", "ab\r\ncd\r\nef", 0, 1, 2, 1, [](TEdit& T) { T->ClearSelection(); },
         "af", 0, 1},
        {"delete to the row after the final break", "ab\r\ncd\r\n", 0, 1, 2, 0,
         [](TEdit& T) { T->ClearSelection(); }, "a", 0, 1},
        {"append on the row after the final break", "ab\r\n", -1, 0, 1, 0,
         [](TEdit& T) { T->SetSelTextBuf("z"); }, "ab\r\nz", 1, 1},
        {"a double-byte character stays whole", "x" + cp932::Literal("あ") + "y", 0, 1, 0, 3,
         [](TEdit& T) { T->ClearSelection(); }, "xy", 0, 1},
    };
    for (const TRow& R : Rows) {
        SCOPED_TRACE(R.Name);
        TEdit T(R.Text);
        T->GetCaret()->FreeCaret = true;
        if (R.R1 >= 0)
            T.Select(R.R1, R.C1, R.R2, R.C2);
        else
            T->SetRowCol(R.R2, R.C2);
        R.Op(T);
        EXPECT_EQ(EditorText(*T.E), R.Expected);
        EXPECT_EQ(T->GetRow(), R.Row);
        EXPECT_EQ(T->GetCol(), R.Col);
        EXPECT_NE(T->GetSelectionState(), selSelected);
        // Each operation is one undo step.
        T->Undo();
        EXPECT_EQ(EditorText(*T.E), R.Text);
        EXPECT_FALSE(T->CanUndo());
        T->Redo();
        EXPECT_EQ(EditorText(*T.E), R.Expected);
    }
}

TEST(EditorEdit, BoxCopyAndPaste) {
    TEdit Source("abcdef\r\nghijkl\r\nmnopqr\r\n");
    Source.Select(0, 2, 2, 5, smBox);
    Source->CopyToClipboard();
    // Columns 2-4 of each row, each followed by CR LF; the box format carries the same bytes.
    EXPECT_EQ(Source.Clip.GetText(), "cde\r\nijk\r\nopq\r\n");
    ASSERT_TRUE(Source.Clip.HasFormat(TEditor::BoxClipboardFormat()));
    EXPECT_EQ(Source.Clip.GetFormatData(TEditor::BoxClipboardFormat()),
              std::string("cde\r\nijk\r\nopq\r\n") + '\0');
    EXPECT_EQ(ClipboardFormatName(TEditor::BoxClipboardFormat()), "TEditor Box Type");

    // Pasted into a second editor (the same clipboard) at column 3 of a one-row text.
    {
        TEdit Target("xyzw");
        Target.Clip.Content = Source.Clip.Content;
        Target->SetRowCol(0, 3);
        Target->PasteFromClipboard();
        EXPECT_EQ(EditorText(*Target.E), "xyzcdew\r\n   ijk\r\n   opq\r\n");
        EXPECT_EQ(Target->GetRow(), 2);
        EXPECT_EQ(Target->GetCol(), 6);
        Target->Undo();
        EXPECT_EQ(EditorText(*Target.E), "xyzw");
    }
    // Without the box format the same text goes in as a stream; Ctrl+B's command as a box.
    {
        TEdit Target("xyzw");
        Target.Clip.SetText("cde\r\nijk\r\n");
        Target->SetRowCol(0, 3);
        Target->PasteFromClipboard();
        EXPECT_EQ(EditorText(*Target.E), "xyzcde\r\nijk\r\nw");
        Target->Undo();
        Target->SetRowCol(0, 3);
        Target->BoxPasteFromClipboard();
        EXPECT_EQ(EditorText(*Target.E), "xyzcdew\r\n   ijk\r\n");
    }
}

TEST(EditorEdit, BoxInsertCases) {
    struct TRow {
        const char* Name;
        std::string Text;
        int R1, C1, R2, C2; // a box selection, or the caret at (R2, C2) when R1 < 0
        std::string Insert;
        std::string Expected;
    } Rows[] = {
        {"reaching the last row without a final break", "ab\r\ncd", -1, 0, 1, 1, "X\r\nY",
         "ab\r\ncXd\r\n Y\r\n"},
        {"into rows shorter than the column", "abcdef\r\nab\r\n", -1, 0, 0, 4, "1\r\n2",
         "abcd1ef\r\nab  2\r\n"},
        {"a double-byte character is not split", "abcd\r\n" + cp932::Literal("あい"), -1, 0, 0, 1, "X\r\nY",
         "aXbcd\r\n" + cp932::Literal("あ") + "Y" + cp932::Literal("い") + "\r\n"},
        {"into a box selection of no width", "abcd\r\nefgh", 0, 2, 1, 2, "X\r\nY", "abXcd\r\nefYgh\r\n"},
        {"replacing a box selection", "abcd\r\nefgh\r\nijkl", 0, 1, 1, 3, "X\r\nY", "aXd\r\neYh\r\nijkl"},
        {"a box past the end of one row", "abcdef\r\nab\r\nabcdef", 0, 3, 2, 5, "1\r\n2\r\n3",
         "abc1f\r\nab 2\r\nabc3f\r\n"},
    };
    for (const TRow& R : Rows) {
        SCOPED_TRACE(R.Name);
        TEdit T(R.Text);
        T->GetCaret()->FreeCaret = true;
        if (R.R1 >= 0)
            T.Select(R.R1, R.C1, R.R2, R.C2, smBox);
        else
            T->SetRowCol(R.R2, R.C2);
        T->SetSelTextBox(R.Insert);
        EXPECT_EQ(EditorText(*T.E), R.Expected);
        T->Undo();
        EXPECT_EQ(EditorText(*T.E), R.Text);
    }
}

TEST(EditorEdit, ReadOnlyAndMissingSelectionDoNothing) {
    TEdit T("abc");
    T.Clip.SetText("zz");
    T->SetReadOnly(true);
    T->SetRowCol(0, 1);
    T->PasteFromClipboard();
    T->SetSelTextBuf("q");
    T->SetSelTextBox("q");
    EXPECT_EQ(EditorText(*T.E), "abc");
    T->SetReadOnly(false);
    T->CutToClipboard(); // no selection
    T->CopyToClipboard();
    EXPECT_EQ(T.Clip.GetText(), "zz");
    EXPECT_EQ(EditorText(*T.E), "abc");
    EXPECT_FALSE(T->CanUndo());
}

TEST(EditorEdit, SelectAllAndTextLength) {
    {
        TEdit T;
        T->SelectAll();
        EXPECT_EQ(T->GetSelectionState() == selSelected, false);
        EXPECT_EQ(T->TextLength(), 0);
    }
    {
        TEdit T("ab\r\n" + cp932::Literal("あ") + "\r\n");
        EXPECT_EQ(T->TextLength(), 8);
        T->SelectAll();
        EXPECT_EQ(T->GetSelectionState(), selSelected);
        EXPECT_EQ(T->GetSelText(), EditorText(*T.E));
        // The caret ends on the empty row after the final line break.
        EXPECT_EQ(T->GetRow(), 2);
        EXPECT_EQ(T->GetCol(), 0);
    }
}

TEST(EditorEdit, UndoAndRedoCancelTheSelection) {
    TEdit T("abc");
    T->SetRowCol(0, 3);
    T->SetSelTextBuf("d");
    T.Select(0, 0, 0, 2);
    EXPECT_TRUE(T->CanUndo());
    EXPECT_FALSE(T->CanRedo());
    T->Undo();
    EXPECT_NE(T->GetSelectionState(), selSelected);
    EXPECT_EQ(EditorText(*T.E), "abc");
    EXPECT_TRUE(T->CanRedo());
    T->Redo();
    EXPECT_EQ(EditorText(*T.E), "abcd");
}

TEST(EditorEdit, RowMarks) {
    std::string Text;
    for (int I = 0; I < 40; ++I) Text += "row" + std::to_string(I) + "\r\n";
    TEdit T(Text);
    T->PutRowMark(2, 3);
    EXPECT_EQ(T->GetRowMarks(2), 1u << 3);
    T->PutRowMark(10, 3);
    EXPECT_EQ(T->GetRowMarks(2), 0u);
    EXPECT_EQ(T->GetRowMarks(10), 1u << 3);
    EXPECT_EQ(T->GetScreenStrings()->MarksInUse() & (1u << 3), 1u << 3);
    T->PutRowMark(10, 4);
    EXPECT_EQ(T->GetRowMarks(10), (1u << 3) | (1u << 4));
    T->DeleteRowMark(10, 4);
    EXPECT_EQ(T->GetRowMarks(10), 1u << 3);
    // Outside the rows: nothing set, but the mark still leaves its old row.
    T->PutRowMark(500, 3);
    EXPECT_EQ(T->GetRowMarks(10), 0u);
    EXPECT_EQ(T->GetRowMarks(500), 0u);

    // A jump to a row out of view puts it in the middle of the window.
    T->PutRowMark(35, 7);
    T->SetRowCol(0, 2);
    T->GotoRowMark(7);
    EXPECT_EQ(T->GetRow(), 35);
    EXPECT_EQ(T->GetTopRow(), std::min(35 - T->GetRowCount() / 2, T->GetMaxTopRow()));
    // No row carries mark 5: nothing moves.
    T->GotoRowMark(5);
    EXPECT_EQ(T->GetRow(), 35);
}

} // namespace
