// The editor's character handler driven by WM_CHAR and the input-method messages on a
// control with a window: typed bytes and pairs, Backspace, Tab, Enter with its indent rules,
// input-method results and their echo, read-only mode, and one undo step per edit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/editor_input_support.h"
#include "editor/model/wrap_option.h"

namespace {

using namespace input_test;

struct TCharCase {
    const char* Name;
    std::string Text;
    int Row, Col;
    std::string Typed; // WM_CHAR bytes, queued together
    std::string After;
    int ToRow, ToCol;
    // Settings: AutoIndent, PrevSpaceIndent, TabIndent, SoftTab, BackSpaceUnIndent, word wrap.
    bool Auto = false, PrevSpace = false, TabIndent = false, Soft = false, UnIndent = false, Wrap = false;
    TShiftState Shift = 0;
};

void RunCharCases(const std::vector<TCharCase>& Cases) {
    for (const TCharCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TInputEditor W(C.Text);
        TEditorCaret& Caret = *W->GetCaret();
        Caret.SetTabSpaceCount(4);
        Caret.AutoIndent = C.Auto;
        Caret.PrevSpaceIndent = C.PrevSpace;
        Caret.TabIndent = C.TabIndent;
        Caret.SoftTab = C.Soft;
        Caret.BackSpaceUnIndent = C.UnIndent;
        if (C.Wrap) {
            W->GetWrapOption()->SetWrapByte(20);
            W->SetWordWrap(true);
        }
        W->SetRowCol(C.Row, C.Col);
        ASSERT_EQ(W.Caret(), std::make_pair(C.Row, C.Col));
        const std::string Before = W.Text();
        W.Type(C.Typed, C.Shift);
        EXPECT_EQ(W.Text(), C.After);
        EXPECT_EQ(W.Caret(), std::make_pair(C.ToRow, C.ToCol));
        EXPECT_EQ(W->GetCaretHideCount(), 0);
        // Every edit is one undo step.
        if (W.Text() != Before && C.Typed.size() == 1) {
            W->GetScreenStrings()->Undo();
            EXPECT_EQ(W.Text(), Before);
        }
    }
}

const std::string Alphabet = "abcdefghijklmnopqrstuvwxyz";

TEST(EditorChars, PrintableBytesAndDoubleByteCharacters) {
    RunCharCases({
        {"a byte in the free space pads with spaces", "ab", 0, 6, "x", "ab    x", 0, 7},
        {"a byte inside a row", "ab", 0, 1, "x", "axb", 0, 2},
        {"a pair from two queued messages", "ab", 0, 1, A, "a" + A + "b", 0, 3},
        {"a lead byte from 0xE0 on pairs too", "", 0, 0, "\xE0\x40", "\xE0\x40", 0, 2},
        {"a lead byte without a trail byte is dropped", "ab", 0, 1, "\x88", "ab", 0, 1},
        {"a lead byte followed by a control byte is dropped", "ab", 0, 1, "\x88\x01", "ab", 0, 1},
        {"a half-width katakana byte", "", 0, 0, "\xB1", "\xB1", 0, 1},
        {"a byte on the row after the final line break", "ab\r\n", 1, 0, "x", "ab\r\nx", 1, 1},
        {"a byte before a tab", "a\tb", 0, 1, "x", "ax\tb", 0, 2},
        {"control bytes are ignored", "ab", 0, 1, "\x01\x1B\x7F", "ab", 0, 1},
    });
}

TEST(EditorChars, BackSpace) {
    RunCharCases({
        {"a single byte", "abc", 0, 2, "\b", "ac", 0, 1},
        {"a double-byte character", "a" + A + "c", 0, 3, "\b", "ac", 0, 1},
        {"a tab", "a\tb", 0, 4, "\b", "ab", 0, 1},
        {"at column 0 of a wrapped line's second row: the last character of the row before", Alphabet, 1, 0,
         "\b", "abcdefghijklmnopqrsuvwxyz", 0, 19, false, false, false, false, false, true},
        {"at column 0 after a line break: joins the lines", "ab\r\ncd", 1, 0, "\b", "abcd", 0, 2},
        {"on the row after the final line break: removes it", "ab\r\n", 1, 0, "\b", "ab", 0, 2},
        {"at (0, 0)", "ab", 0, 0, "\b", "ab", 0, 0},
        {"in the free space: only the caret moves", "ab", 0, 5, "\b", "ab", 0, 4},
        {"back to the indent of the line above", "x\r\n    a\r\n        b", 2, 8, "\b", "x\r\n    a\r\n    b",
         2, 4, false, false, false, false, true},
        {"back to column 0 past rows indented as far", "x\r\n        a\r\n        b", 2, 8, "\b",
         "x\r\n        a\r\nb", 2, 0, false, false, false, false, true},
        {"back-to-indent off removes one space", "x\r\n    a\r\n        b", 2, 8, "\b",
         "x\r\n    a\r\n       b", 2, 7},
        {"back-to-indent on a blank row", "  x\r\n      ", 1, 6, "\b", "  x\r\n  ", 1, 2, false, false, false,
         false, true},
        {"back-to-indent inside the text removes one byte", "    ab", 0, 6, "\b", "    a", 0, 5, false, false,
         false, false, true},
    });
}

TEST(EditorChars, TabAndEnter) {
    RunCharCases({
        {"a hard tab", "ab", 0, 1, "\t", "a\tb", 0, 4},
        {"a soft tab at column 5 inserts three spaces", "abcde", 0, 5, "\t", "abcde   ", 0, 8, false, false,
         false, true},
        {"a soft tab stops at the wrap width", "abcdefghijklmnopqrs", 0, 18, "\t", "abcdefghijklmnopqr  s", 1,
         0, false, false, false, true, false, true},
        {"Shift+Tab inserts nothing", "ab", 0, 1, "\t", "ab", 0, 1, false, false, false, false, false, false,
         ssShift},
        {"Enter splits the row", "abcd", 0, 2, "\r", "ab\r\ncd", 1, 0},
        {"Enter in the free space", "ab", 0, 5, "\r", "ab\r\n", 1, 0},
        {"Enter in an empty text", "", 0, 0, "\r", "\r\n", 1, 0},
        {"Enter on the row after the final line break", "ab\r\n", 1, 0, "\r", "ab\r\n\r\n", 2, 0},
        {"auto indent keeps the line's indent", "    abc", 0, 6, "\r", "    ab\r\n    c", 1, 4, true},
        {"auto indent inside the indent takes the caret's column", "    abc", 0, 2, "\r", "  \r\n    abc", 1,
         2, true},
        {"tab indent writes tabs then spaces", "          x", 0, 11, "\r", "          x\r\n\t\t  ", 1, 10,
         true, false, true},
        {"previous-space indent on an empty line", "   a\r\n\r\nb", 1, 0, "\r", "   a\r\n\r\n   \r\nb", 2, 3,
         true, true},
        {"Shift+Enter opens a line above with the indent", "  ab\r\ncd", 0, 3, "\r", "  \r\n  ab\r\ncd", 0, 2,
         true, false, false, false, false, false, ssShift},
    });
}

TEST(EditorChars, BackSpaceInsideATabsFillerRemovesTheTab) {
    // With InTab the caret may stand inside a tab's filler; Backspace there removes the tab,
    // also when the tab opens the row (it never joins the line above).
    for (const std::string& Text : {std::string("x\r\n\tab"), std::string("x\r\nc\tab")}) {
        SCOPED_TRACE(Text);
        TInputEditor W(Text);
        W->GetCaret()->InTab = true;
        W->GetCaret()->BackSpaceUnIndent = false;
        W->GetCaret()->SetTabSpaceCount(4);
        W->SetRowCol(1, 2);
        ASSERT_EQ(W.Caret(), std::make_pair(1, 2));
        W.Type("\b");
        EXPECT_EQ(W.Text(), Text.substr(0, Text.find('\t')) + "ab");
        EXPECT_EQ(W->GetRow(), 1);
    }
}

TEST(EditorChars, SelectionsAreReplacedAndShiftEnterLeavesThem) {
    TInputEditor W("abcdef\r\nghi");
    W->SetRowCol(0, 1);
    W.Key(VK_RIGHT, ssShift);
    W.Key(VK_RIGHT, ssShift);
    W.Type("\r", ssShift);
    EXPECT_EQ(W.Text(), "abcdef\r\nghi") << "Shift+Enter with a selection does nothing";
    EXPECT_EQ(W->GetSelectionState(), selSelected);
    W.Type(A);
    EXPECT_EQ(W.Text(), "a" + A + "def\r\nghi");
    EXPECT_EQ(W.Caret(), std::make_pair(0, 3));
    W.Key(VK_DOWN, ssShift);
    W.Type("\b");
    EXPECT_EQ(W.Text(), "a" + A);
    W.Key(VK_HOME, ssShift);
    W.Type("\r");
    EXPECT_EQ(W.Text(), "\r\n");
    EXPECT_EQ(W.Caret(), std::make_pair(1, 0));
}

TEST(EditorChars, AnImeResultIsInsertedOnceAndItsEchoIgnored) {
    TInputEditor W("ab");
    W->SetRowCol(0, 1);
    const std::string Result = cp932::Literal("日本語");
    W.Ime(Result);
    EXPECT_EQ(W.Text(), "a" + Result + "b");
    EXPECT_EQ(W.Caret(), std::make_pair(0, 7));
    EXPECT_EQ(W->GetImeSkipCount(), 0);
    // The key typed next appears.
    W.Type("x");
    EXPECT_EQ(W.Text(), "a" + Result + "xb");
    // One undo step for the result.
    W->GetScreenStrings()->Undo();
    W->GetScreenStrings()->Undo();
    EXPECT_EQ(W.Text(), "ab");
    // A read-only control takes neither the result nor its echo.
    W->SetReadOnly(true);
    W.Ime(Result);
    EXPECT_EQ(W.Text(), "ab");
}

TEST(EditorChars, KeyPressCanCancelACharacterAndWantTabsGatesTab) {
    TInputEditor W("ab");
    W->OnKeyPress = [](TObject*, char& Key) {
        if (Key == 'q') Key = 0;
        if (Key == 'u') Key = 'U';
    };
    W->SetRowCol(0, 2);
    W.Type("qu");
    EXPECT_EQ(W.Text(), "abU");
    W->WantTabs = false;
    W.Type("\t");
    EXPECT_EQ(W.Text(), "abU");
    EXPECT_EQ(W.Host->SendMessage(WM_GETDLGCODE) & DLGC_WANTTAB, 0);
}

TEST(EditorChars, CandidateListHidesTheCaretAndTheImeSeesTheCaretRowOnly) {
    TInputEditor W("first\r\nab" + A + "cd\r\nlast");
    W->SetRowCol(1, 4);
    ASSERT_TRUE(W.Host->CaretVisible());
    W.Host->SendMessage(WM_IME_NOTIFY, IMN_OPENCANDIDATE);
    EXPECT_FALSE(W.Host->CaretVisible());
    W.Host->SendMessage(WM_IME_NOTIFY, IMN_CLOSECANDIDATE);
    EXPECT_TRUE(W.Host->CaretVisible());
    TImeDocumentFeed Feed;
    EXPECT_NE(W.Host->SendMessage(WM_IME_REQUEST, IMR_DOCUMENTFEED, reinterpret_cast<intptr_t>(&Feed)), 0);
    EXPECT_EQ(Feed.Text, "ab" + A + "cd");
    EXPECT_EQ(Feed.CaretByte, 4);
    // The composition window stands at the caret cell.
    const TPoint Expected{W->TextLeft() + 4 * W->GetColWidth(), W->TextTop() + W->GetRowHeight()};
    EXPECT_EQ(W.Host->ImePos.X, Expected.X);
    EXPECT_EQ(W.Host->ImePos.Y, Expected.Y);
}

} // namespace
