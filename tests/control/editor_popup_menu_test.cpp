// The editor's popup menu: its items, the states it sets when it opens, its commands, the
// shortcuts it takes before the keys reach the control, and where it opens.
#include <gtest/gtest.h>

#include <string>

#include "control/editor_edit_support.h"
#include "editor/control/editor_popup_menu.h"
#include "editor/model/screen_strings.h"
#include "platform/cp932.h"

using namespace edit_test;

namespace {

TEditorPopupMenu& MenuOf(TDriven& T) {
    auto* M = dynamic_cast<TEditorPopupMenu*>(T->GetPopupMenu());
    EXPECT_NE(M, nullptr);
    return *M;
}

TEST(EditorPopupMenu, ItemsCaptionsShortcutsAndTags) {
    TDriven T("abc");
    TEditorPopupMenu& M = MenuOf(T);
    const TMenuItem* Root = M.GetItems();
    struct TRow {
        const char* Caption;
        const char* ShortCut;
        bool Enabled;
    } Rows[] = {
        {"マーク設定", "", true},
        {"マークジャンプ", "", true},
        {"-", "", true},
        {"元に戻す(&U)", "Ctrl+Z", false},
        {"やり直し(&R)", "Ctrl+A", false},
        {"-", "", true},
        {"切り取り(&T)", "Ctrl+X", false},
        {"コピー(&C)", "Ctrl+C", false},
        {"貼り付け(&P)", "Ctrl+V", false},
        {"Box貼り付け(&B)", "Ctrl+B", false},
        {"削除(&D)", "", false},
        {"-", "", true},
        {"すべて選択(&A)", "", false},
        {"-", "", true},
        {"Box選択モード(&K)", "Ctrl+K", true},
    };
    ASSERT_EQ(Root->GetCount(), static_cast<int>(std::size(Rows)));
    for (int I = 0; I < Root->GetCount(); ++I) {
        SCOPED_TRACE(Rows[I].Caption);
        const TMenuItem* Item = Root->GetItem(I);
        EXPECT_EQ(Item->Caption, cp932::Literal(Rows[I].Caption));
        EXPECT_EQ(ShortCutToText(Item->ShortCut), Rows[I].ShortCut);
        EXPECT_EQ(Item->Enabled, Rows[I].Enabled); // as created, before the menu first opens
    }
    for (int N = 0; N <= 9; ++N) {
        const TMenuItem* Set = M.MarkSetMenu->GetItem(N);
        const TMenuItem* Jump = M.MarkJumpMenu->GetItem(N);
        EXPECT_EQ(Set->Caption, std::to_string(N));
        EXPECT_EQ(Set->Tag, N);
        EXPECT_EQ(Jump->Tag, N);
        EXPECT_EQ(ShortCutToText(Set->ShortCut), "Shift+Ctrl+" + std::to_string(N));
        EXPECT_EQ(ShortCutToText(Jump->ShortCut), "Ctrl+" + std::to_string(N));
    }
}

TEST(EditorPopupMenu, StatesWhenTheMenuOpens) {
    struct TRow {
        const char* Name;
        bool ReadOnly, Selection, ClipText, Undo;
        // undo, redo, cut, copy, paste, box paste, delete, select all
        bool Expected[8];
    } Rows[] = {
        {"read-only with a selection",
         true,
         true,
         true,
         true,
         {false, false, false, true, false, false, false, true}},
        {"writable with everything",
         false,
         true,
         true,
         true,
         {true, false, true, true, true, true, true, true}},
        {"writable, nothing selected",
         false,
         false,
         false,
         false,
         {false, false, false, false, false, false, false, true}},
    };
    for (const TRow& R : Rows) {
        SCOPED_TRACE(R.Name);
        TDriven T("abcdef");
        if (R.Undo) {
            T->SetRowCol(0, 6);
            T->SetSelTextBuf("g");
        }
        if (R.ClipText) T.Clip.SetText("clip");
        if (R.Selection) {
            T->SetRowCol(0, 1);
            T->StartSelection();
            T->SetRowCol(0, 3);
            T->ExtendSelection();
        }
        T->SetReadOnly(R.ReadOnly);
        TEditorPopupMenu& M = MenuOf(T);
        T.Send(WM_CONTEXTMENU, 0, MAKELPARAM(10, 10));
        ASSERT_EQ(T.Presenter.Shown.size(), 1u);
        const TMenuItem* Items[8] = {M.UndoItem,  M.RedoItem,     M.CutItem,    M.CopyItem,
                                     M.PasteItem, M.BoxPasteItem, M.DeleteItem, M.SelectAllItem};
        for (int I = 0; I < 8; ++I) EXPECT_EQ(Items[I]->Enabled, R.Expected[I]) << Items[I]->Caption;
        EXPECT_TRUE(M.BoxSelectionItem->Enabled);
        EXPECT_TRUE(M.MarkSetMenu->Enabled);
    }
    // After the text has been emptied, select all is disabled.
    TDriven T("abc");
    T->Clear();
    T.Send(WM_CONTEXTMENU, 0, MAKELPARAM(10, 10));
    EXPECT_FALSE(MenuOf(T).SelectAllItem->Enabled);
}

TEST(EditorPopupMenu, ShortcutsActOnlyWhileTheirItemIsEnabled) {
    std::string Text;
    for (int I = 0; I < 30; ++I) Text += "row" + std::to_string(I) + "\r\n";
    TDriven T(Text);
    TEditorPopupMenu& M = MenuOf(T);
    // Shift+Ctrl+3 toggles mark 3 on the caret row; on another row it moves the mark there.
    T->SetRowCol(4, 0);
    EXPECT_TRUE(T.ShortCutKey('3', true, true));
    EXPECT_EQ(T->GetRowMarks(4), 1u << 3);
    EXPECT_TRUE(T.ShortCutKey('3', true, true));
    EXPECT_EQ(T->GetRowMarks(4), 0u);
    EXPECT_TRUE(T.ShortCutKey('3', true, true));
    T->SetRowCol(20, 0);
    EXPECT_TRUE(T.ShortCutKey('3', true, true));
    EXPECT_EQ(T->GetRowMarks(4), 0u);
    EXPECT_EQ(T->GetRowMarks(20), 1u << 3);
    T.Send(WM_CONTEXTMENU, 0, MAKELPARAM(1, 1));
    EXPECT_TRUE(M.MarkSetMenu->GetItem(3)->Checked);
    EXPECT_FALSE(M.MarkSetMenu->GetItem(4)->Checked);
    // Ctrl+3 jumps there; Ctrl+5 with no such mark does nothing.
    T->SetRowCol(1, 2);
    EXPECT_TRUE(T.ShortCutKey('3', false, true));
    EXPECT_EQ(T->GetRow(), 20);
    EXPECT_TRUE(T.ShortCutKey('5', false, true));
    EXPECT_EQ(T->GetRow(), 20);

    // Ctrl+A redoes and does not select; with nothing to redo the key is not taken.
    T->SetRowCol(0, 0);
    T->SetSelTextBuf("x");
    EXPECT_FALSE(T.ShortCutKey('A', false, true));
    EXPECT_TRUE(T.ShortCutKey('Z', false, true));
    EXPECT_EQ(T->RowText(0), "row0");
    EXPECT_TRUE(T.ShortCutKey('A', false, true));
    EXPECT_EQ(T->RowText(0), "xrow0");
    EXPECT_NE(T->GetSelectionState(), selSelected);

    // Ctrl+C and Ctrl+X need a selection; Ctrl+V pastes; Ctrl+B pastes a box.
    EXPECT_FALSE(T.ShortCutKey('C', false, true));
    T->SetRowCol(0, 1);
    T->StartSelection();
    T->SetRowCol(0, 5);
    T->ExtendSelection();
    EXPECT_TRUE(T.ShortCutKey('X', false, true));
    EXPECT_EQ(T.Clip.GetText(), "row0");
    EXPECT_EQ(T->RowText(0), "x");
    T->SetRowCol(1, 0);
    EXPECT_TRUE(T.ShortCutKey('V', false, true));
    EXPECT_EQ(T->RowText(1), "row0row1");
    T.Clip.SetText("A\r\nB\r\n");
    T->SetRowCol(2, 1);
    EXPECT_TRUE(T.ShortCutKey('B', false, true));
    EXPECT_EQ(T->RowText(2), "rAow2");
    EXPECT_EQ(T->RowText(3), "rBow3");
    // Ctrl+K toggles box selection mode and its check mark.
    EXPECT_TRUE(T.ShortCutKey('K', false, true));
    EXPECT_EQ(T->GetSelectionMode(), smBox);
    EXPECT_TRUE(M.BoxSelectionItem->Checked);
    EXPECT_TRUE(T.ShortCutKey('K', false, true));
    EXPECT_EQ(T->GetSelectionMode(), smNormal);
    // Other keys are not the menu's.
    EXPECT_FALSE(T.ShortCutKey('Q', false, true));
    EXPECT_FALSE(T.ShortCutKey('Z', false, false));

    // Read-only: the editing shortcuts are not taken.
    T->SetReadOnly(true);
    EXPECT_FALSE(T.ShortCutKey('Z', false, true));
    EXPECT_FALSE(T.ShortCutKey('V', false, true));
}

TEST(EditorPopupMenu, OpensAtThePointerOrBelowTheCaret) {
    TDriven T("abc\r\ndef");
    T.Send(WM_CONTEXTMENU, 0, MAKELPARAM(33, 44));
    T->SetRowCol(1, 2);
    T.Send(WM_CONTEXTMENU, 0, MAKELPARAM(-1, -1));
    ASSERT_EQ(T.Presenter.Shown.size(), 2u);
    EXPECT_EQ(T.Presenter.Shown[0], (TPoint{33, 44}));
    // The fake host's screen is its client area.
    EXPECT_EQ(T.Presenter.Shown[1],
              (TPoint{T->TextLeft() + 2 * T->GetColWidth(), T->TextTop() + 2 * T->GetRowHeight()}));
    // An item chosen in the menu runs its command.
    T->SetRowCol(0, 0);
    T->StartSelection();
    T->SetRowCol(0, 2);
    T->ExtendSelection();
    T.Presenter.Choose = MenuOf(T).DeleteItem;
    T.Send(WM_CONTEXTMENU, 0, MAKELPARAM(1, 1));
    EXPECT_EQ(EditorText(*T.E), "c\r\ndef");
}

TEST(MenuShortCuts, TextAndBack) {
    struct TRow {
        const char* Text;
        TShortCut Value;
    } Rows[] = {
        {"Ctrl+Z", TShortCut(scCtrl | 'Z')},
        {"Shift+Ctrl+3", TShortCut(scShift | scCtrl | '3')},
        {"F5", TShortCut(VK_F1 + 4)},
        {"Alt+Del", TShortCut(scAlt | VK_DELETE)},
    };
    for (const TRow& R : Rows) {
        EXPECT_EQ(TextToShortCut(R.Text), R.Value) << R.Text;
        EXPECT_EQ(ShortCutToText(R.Value), R.Text);
    }
    EXPECT_EQ(TextToShortCut("Ctrl+"), scNone);
    EXPECT_EQ(TextToShortCut("Ctrl+Nothing"), scNone);
    EXPECT_EQ(TextToShortCut("ctrl+z"), TShortCut(scCtrl | 'Z'));
}

} // namespace
