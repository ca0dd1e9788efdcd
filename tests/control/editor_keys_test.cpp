// The editor's key table driven by WM_KEYDOWN and WM_KEYUP on a control with a window:
// caret moves at the edges, Shift selections, auto-repeat steps, pages, word moves, Delete.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/editor_input_support.h"
#include "editor/model/wrap_option.h"

namespace {

using namespace input_test;

// A control that can show a search hit.
class THitEditor : public TEditor {
public:
    explicit THitEditor(TComponent* AOwner) : TEditor(AOwner) {}
    void MakeHit(int ARow, int ACol, int Length) {
        SetRowCol(ARow, ACol);
        FHitSelecting = true;
        StartSelection();
        SetCol(ACol + Length);
        ExtendSelection();
        FHitSelecting = false;
    }
};

const std::string Alphabet = "abcdefghijklmnopqrstuvwxyz";

std::string Lines(int N) {
    std::string S;
    for (int I = 0; I < N; ++I) S += "line " + std::to_string(I) + "\r\n";
    return S;
}

TEST(EditorKeys, CaretKeysAtTheEdgesAndAcrossLines) {
    struct TCase {
        const char* Name;
        std::string Text;
        bool NextLine, FreeCaret, Wrap;
        int Row, Col;
        uint8_t Vk;
        TShiftState Shift;
        int ToRow, ToCol;
    } Cases[] = {
        {"Left at column 0 after a line break, NextLine off", "ab\r\ncd", false, true, false, 1, 0, VK_LEFT,
         0, 1, 0},
        {"Left at column 0 after a line break, NextLine on", "ab\r\ncd", true, true, false, 1, 0, VK_LEFT, 0,
         0, 2},
        {"Left at column 0 of a wrapped line's second row", Alphabet, false, true, true, 1, 0, VK_LEFT, 0, 0,
         19},
        {"Left at (0, 0)", "ab", true, true, false, 0, 0, VK_LEFT, 0, 0, 0},
        {"Left over a double-byte character", "x" + A, false, true, false, 0, 3, VK_LEFT, 0, 0, 1},
        {"Right at the end of a line, NextLine on", "ab\r\ncd", true, false, false, 0, 2, VK_RIGHT, 0, 1, 0},
        {"Right at the end of a line, NextLine off", "ab\r\ncd", false, false, false, 0, 2, VK_RIGHT, 0, 0,
         2},
        {"Right at the end, free caret keeps moving", "ab\r\ncd", true, true, false, 0, 2, VK_RIGHT, 0, 0, 3},
        {"Right at the free caret's column limit", "ab\r\ncd", true, true, false, 0, 1000, VK_RIGHT, 0, 1, 0},
        {"Right at the end of the text", "ab", true, false, false, 0, 2, VK_RIGHT, 0, 0, 2},
        {"Right over a double-byte character", A + "x", false, true, false, 0, 0, VK_RIGHT, 0, 0, 2},
        {"Up on row 0", "ab\r\ncd", false, true, false, 0, 1, VK_UP, 0, 0, 1},
        {"Down on the last row", "ab\r\ncd", false, true, false, 1, 1, VK_DOWN, 0, 1, 1},
        {"Down onto the row after a final line break", "ab\r\n", false, true, false, 0, 1, VK_DOWN, 0, 1, 1},
        {"Home", "abcd", false, true, false, 0, 3, VK_HOME, 0, 0, 0},
        {"Ctrl+Home", "ab\r\ncd", false, true, false, 1, 2, VK_HOME, ssCtrl, 0, 0},
        {"End", "abcd\r\n", false, true, false, 0, 1, VK_END, 0, 0, 4},
        {"End on the row after the final line break", "ab\r\n", false, true, false, 1, 3, VK_END, 0, 1, 0},
        {"Ctrl+End without a final line break", "ab\r\ncde", false, true, false, 0, 0, VK_END, ssCtrl, 1, 3},
        {"Ctrl+End after a final line break", "ab\r\ncde\r\n", false, true, false, 0, 0, VK_END, ssCtrl, 2,
         0},
        {"PgUp at the top puts the caret on row 0", "ab\r\ncd\r\nef", false, true, false, 2, 1, VK_PRIOR, 0,
         0, 1},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TInputEditor W(C.Text);
        W->GetCaret()->NextLine = C.NextLine;
        W->GetCaret()->FreeCaret = C.FreeCaret;
        if (C.Wrap) {
            W->GetWrapOption()->SetWrapByte(20);
            W->SetWordWrap(true);
        }
        W->SetRowCol(C.Row, C.Col);
        ASSERT_EQ(W.Caret(), std::make_pair(C.Row, C.Col));
        const std::string Before = W.Text();
        W.Key(C.Vk, C.Shift);
        EXPECT_EQ(W.Caret(), std::make_pair(C.ToRow, C.ToCol));
        EXPECT_EQ(W.Text(), Before);
        EXPECT_EQ(W->GetSelectionState(), selNone);
    }
}

TEST(EditorKeys, ShiftBuildsExtendsAndDropsTheSelection) {
    TInputEditor W("abcdef\r\nghijkl\r\n");
    W->SetRowCol(0, 1);
    W.Key(VK_RIGHT, ssShift);
    W.Key(VK_RIGHT, ssShift);
    EXPECT_EQ(W->GetSelectionState(), selSelected);
    EXPECT_EQ(W->GetSelText(), "bc");
    W.Key(VK_DOWN, ssShift);
    EXPECT_EQ(W->GetSelText(), "bcdef\r\nghi");
    // Back over the anchor: the selection runs the other way.
    W.Key(VK_UP, ssShift);
    W.Key(VK_HOME, ssShift);
    EXPECT_EQ(W->GetSelText(), "a");
    EXPECT_EQ(W->GetSelStart(), 0);
    // An unshifted key drops it and moves.
    W.Key(VK_END);
    EXPECT_EQ(W->GetSelectionState(), selNone);
    EXPECT_EQ(W.Caret(), std::make_pair(0, 6));
    // Ctrl+Shift+End selects to the end of the text.
    W->SetRowCol(1, 2);
    W.Key(VK_END, ssShift | ssCtrl);
    EXPECT_EQ(W->GetSelText(), "ijkl\r\n");
}

TEST(EditorKeys, ShiftFromAShownHitStartsANewSelectionAtTheCaret) {
    TInputEditor W(std::unique_ptr<TEditor>(TEditor::Create<THitEditor>(nullptr)), "abcdefgh");
    static_cast<THitEditor*>(W.E.get())->MakeHit(0, 1, 3);
    ASSERT_EQ(W->GetSelectionState(), selHit);
    ASSERT_EQ(W->GetSelText(), "bcd");
    W.Key(VK_RIGHT, ssShift);
    EXPECT_EQ(W->GetSelectionState(), selSelected);
    EXPECT_EQ(W->GetSelText(), "e");
    // An unshifted key drops a hit too.
    static_cast<THitEditor*>(W.E.get())->MakeHit(0, 1, 3);
    W.Key(VK_LEFT);
    EXPECT_EQ(W->GetSelectionState(), selNone);
}

TEST(EditorKeys, AutoRepeatStepsAndTheImeWindowWaitForTheRelease) {
    TInputEditor W(Lines(200), 300, 150);
    W->GetSpeed()->CaretVerticalAc = 3;
    const int Last = W->GetRowCount() - 1;
    W->SetRowCol(Last, 0);
    W.KeyDown(VK_DOWN);
    EXPECT_EQ(W->GetRow(), Last + 1) << "a first press moves one row";
    W.Host->ImePos = TPoint{-7, -7};
    W.KeyDown(VK_DOWN, 0, true);
    EXPECT_EQ(W->GetRow(), Last + 4) << "a repeat on the last visible row moves three";
    EXPECT_TRUE(W->GetKeyRepeating());
    EXPECT_TRUE(W->GetImeWindowPending());
    EXPECT_EQ(W.Host->ImePos.X, -7) << "the composition window waits while the key repeats";
    W.KeyUp(VK_DOWN);
    EXPECT_FALSE(W->GetKeyRepeating());
    EXPECT_FALSE(W->GetImeWindowPending());
    EXPECT_NE(W.Host->ImePos.X, -7);
    // Up repeats fast on the first visible row only.
    W->SetRowCol(W->GetTopRow() + 2, 0);
    W.KeyDown(VK_UP, 0, true);
    EXPECT_EQ(W->GetRow(), W->GetTopRow() + 1);
    W.KeyUp(VK_UP);
}

TEST(EditorKeys, PagesMoveHalfAWindowPerUnitAndKeepTheCaretsDistance) {
    // A window of 21 visible rows.
    std::unique_ptr<TInputEditor> W;
    for (int H = 200; H < 400 && !(W && (*W)->GetRowCount() == 21); ++H)
        W = std::make_unique<TInputEditor>(Lines(300), 300, H);
    ASSERT_EQ((*W)->GetRowCount(), 21);
    TEditor& E = *W->E;
    E.GetSpeed()->PageVerticalRange = 2;
    E.GetSpeed()->PageVerticalRangeAc = 3;
    E.SetRowCol(5, 0);
    W->Key(VK_NEXT);
    EXPECT_EQ(E.GetTopRow(), 20);
    EXPECT_EQ(E.GetRow(), 25);
    W->KeyDown(VK_NEXT, 0, true);
    EXPECT_EQ(E.GetTopRow(), 50);
    EXPECT_EQ(E.GetRow(), 55);
    W->KeyUp(VK_NEXT);
    W->Key(VK_PRIOR);
    EXPECT_EQ(E.GetTopRow(), 30);
    EXPECT_EQ(E.GetRow(), 35);
    // Ctrl+Down scrolls the view, and takes the caret along when it would leave it.
    E.SetTopRow(0);
    E.SetRowCol(0, 0);
    W->Key(VK_DOWN, ssCtrl);
    EXPECT_EQ(E.GetTopRow(), 1);
    EXPECT_EQ(E.GetRow(), 1);
    W->Key(VK_UP, ssCtrl);
    EXPECT_EQ(E.GetTopRow(), 0);
    EXPECT_EQ(E.GetRow(), 1);
}

TEST(EditorKeys, WordMovesStopAtTokens) {
    struct TCase {
        const char* Name;
        std::string Text;
        bool EndStop;
        uint8_t Vk;
        int Row, Col;
        std::vector<std::pair<int, int>> Stops;
    } Cases[] = {
        {"forward over starts", "abc def,ghi", false, VK_RIGHT, 0, 0, {{0, 4}, {0, 8}, {0, 11}, {0, 11}}},
        {"backward over starts", "abc def,ghi", false, VK_LEFT, 0, 11, {{0, 8}, {0, 4}, {0, 0}, {0, 0}}},
        {"forward with token ends", "abc def", true, VK_RIGHT, 0, 0, {{0, 3}, {0, 4}, {0, 7}}},
        {"backward with token ends", "abc def", true, VK_LEFT, 0, 7, {{0, 4}, {0, 3}, {0, 0}}},
        {"forward across a line break", "ab\r\ncd", false, VK_RIGHT, 0, 2, {{1, 0}}},
        {"backward across a line break", "ab\r\ncd", false, VK_LEFT, 1, 0, {{0, 2}}},
        {"forward over double-byte words", A + A + " x", false, VK_RIGHT, 0, 0, {{0, 5}}},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TInputEditor W(C.Text);
        W->GetCaret()->TokenEndStop = C.EndStop;
        W->SetRowCol(C.Row, C.Col);
        for (const auto& Stop : C.Stops) {
            W.Key(C.Vk, ssCtrl);
            EXPECT_EQ(W.Caret(), Stop);
        }
    }
}

TEST(EditorKeys, DeleteRemovesACharacterOrJoinsTheNextLine) {
    struct TCase {
        const char* Name;
        std::string Text;
        int Row, Col;
        std::string After;
        int ToRow, ToCol;
    } Cases[] = {
        {"beyond the end of a line pads and joins", "ab\r\ncd", 0, 6, "ab    cd", 0, 6},
        {"the last line's line break", "ab\r\ncd\r\n", 1, 2, "ab\r\ncd", 1, 2},
        {"a double-byte character", "x" + A + "y", 0, 1, "xy", 0, 1},
        {"a tab", "a\tb", 0, 1, "ab", 0, 1},
        {"the end of a text without a final line break", "ab", 0, 2, "ab", 0, 2},
        {"on the row after the final line break", "ab\r\n", 1, 0, "ab\r\n", 1, 0},
        {"the line break after a wrapped line", Alphabet + "\r\nk", 1, 6, Alphabet + "k", 1, 6},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TInputEditor W(C.Text);
        if (C.Text.size() > 20) {
            W->GetWrapOption()->SetWrapByte(20);
            W->SetWordWrap(true);
        }
        W->SetRowCol(C.Row, C.Col);
        W.Key(VK_DELETE);
        EXPECT_EQ(W.Text(), C.After);
        EXPECT_EQ(W.Caret(), std::make_pair(C.ToRow, C.ToCol));
    }
}

TEST(EditorKeys, DeleteIsOneUndoStepAndReadOnlyEditsNothing) {
    TInputEditor W("abc\r\ndef");
    W->SetRowCol(0, 3);
    W.Key(VK_DELETE);
    EXPECT_EQ(W.Text(), "abcdef");
    W->GetScreenStrings()->Undo();
    EXPECT_EQ(W.Text(), "abc\r\ndef");
    // Delete with a selection deletes it.
    W->SetRowCol(0, 1);
    W.Key(VK_DOWN, ssShift);
    W.Key(VK_DELETE);
    EXPECT_EQ(W.Text(), "aef");
    EXPECT_EQ(W.Caret(), std::make_pair(0, 1));
    W->SetReadOnly(true);
    W.Key(VK_DELETE);
    W.Type(std::string("x\b\t\r") + A);
    W.Type("\r", ssShift);
    EXPECT_EQ(W.Text(), "aef");
    W.Key(VK_RIGHT);
    EXPECT_EQ(W.Caret(), std::make_pair(0, 2)) << "navigation still works";
}

TEST(EditorKeys, OnKeyDownCanCancelAKeyAndOnKeyUpSeesTheRelease) {
    TInputEditor W("abc");
    std::vector<uint16_t> Downs, Ups;
    W->OnKeyDown = [&](TObject*, uint16_t& Key, TShiftState Shift) {
        Downs.push_back(Key);
        if (Key == VK_RIGHT && (Shift & ssCtrl)) Key = 0;
    };
    W->OnKeyUp = [&](TObject*, uint16_t& Key, TShiftState) { Ups.push_back(Key); };
    W.Key(VK_RIGHT);
    EXPECT_EQ(W->GetCol(), 1);
    W.Key(VK_RIGHT, ssCtrl);
    EXPECT_EQ(W->GetCol(), 1);
    EXPECT_EQ(Downs, (std::vector<uint16_t>{VK_RIGHT, VK_RIGHT}));
    EXPECT_EQ(Ups, (std::vector<uint16_t>{VK_RIGHT, VK_RIGHT}));
}

} // namespace
