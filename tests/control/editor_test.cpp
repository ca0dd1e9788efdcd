// TEditor as a component without a window: defaults, owned objects, properties with side
// effects, text changes, the settings handler, references and the text messages.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "editor/colouring/editor_fountain.h"
#include "editor/control/editor.h"
#include "editor/control/editor_view_info.h"
#include "editor/model/screen_strings.h"
#include "editor/model/undo.h"

namespace {

std::unique_ptr<TEditor> NewEditor() { return std::unique_ptr<TEditor>(TEditor::Create(nullptr)); }

struct TCounter : TObject {
    int Count = 0;
    void Handle(TObject*) { ++Count; }
    TNotifyEvent Event() { return TNotifyEvent::Of<&TCounter::Handle>(this); }
};

TEST(Editor, NewControlDefaults) {
    auto E = NewEditor();
    EXPECT_EQ(E->GetWidth(), 185);
    EXPECT_EQ(E->GetHeight(), 89);
    EXPECT_EQ(E->GetColor(), 0xFFFFFF);
    EXPECT_FALSE(E->GetParentColor());
    EXPECT_EQ(E->GetFont().Name, "FixedSys");
    EXPECT_EQ(E->GetFont().Color, 0x000000);
    EXPECT_EQ(E->GetBorderStyle(), TEditor::bsSingle);
    EXPECT_EQ(E->GetScrollBars(), ssNone);
    EXPECT_TRUE(E->WantTabs);
    EXPECT_TRUE(E->WantReturns);
    EXPECT_TRUE(E->GetTabStop());
    EXPECT_EQ(E->GetCursor(), crIBeam);
    EXPECT_EQ(E->GetUndoListMax(), 64);
    EXPECT_EQ(E->GetHitStyle(), hsSelect);
    EXPECT_FALSE(E->GetReadOnly());
    EXPECT_FALSE(E->GetModified());
    EXPECT_FALSE(E->GetWordWrap());
    EXPECT_EQ(E->GetFountain(), nullptr);
    EXPECT_FALSE(E->HandleAllocated());
    // The owned objects exist and the editor is attached to its rows.
    ASSERT_NE(E->GetLines(), nullptr);
    ASSERT_NE(E->GetScreenStrings(), nullptr);
    EXPECT_EQ(E->GetScreenStrings()->OwnerEditor(), static_cast<TEditorClient*>(E.get()));
    EXPECT_NE(E->GetScreen(), nullptr);
    EXPECT_NE(E->GetView(), nullptr);
    EXPECT_NE(E->GetSpeed(), nullptr);
    EXPECT_EQ(E->GetLines()->GetCount(), 0);
    EXPECT_EQ(E->ActiveFountain(), E->GetView()->GetEditorFountain());
    EXPECT_EQ(E->GetReserveWordList(), E->GetView()->GetEditorFountain()->GetReserveWordList());
}

TEST(Editor, UndoListMaxIsNeverBelow64) {
    auto E = NewEditor();
    const int Cases[][2] = {{10, 64}, {100, 100}, {64, 64}, {-1, 64}};
    for (const auto& C : Cases) {
        E->SetUndoListMax(C[0]);
        EXPECT_EQ(E->GetUndoListMax(), C[1]) << C[0];
    }
}

TEST(Editor, TextChangesSetModifiedAndFireOnChange) {
    auto E = NewEditor();
    TCounter Changes;
    E->OnChange = Changes.Event();
    E->GetLines()->Add("first");
    EXPECT_TRUE(E->GetModified());
    EXPECT_EQ(Changes.Count, 1);
    E->GetLines()->Add("second");
    EXPECT_EQ(Changes.Count, 2);
    EXPECT_EQ(E->GetLines()->GetTextStr(), "first\r\nsecond\r\n");

    E->SetModified(false);
    E->Clear();
    EXPECT_EQ(E->GetLines()->GetCount(), 0);
    EXPECT_EQ(E->GetRow(), 0);
    EXPECT_EQ(E->GetCol(), 0);
    EXPECT_TRUE(E->GetModified());
}

TEST(Editor, ClearDropsASelection) {
    auto E = NewEditor();
    E->GetLines()->SetTextStr("abc\r\ndef");
    E->SetSelStart(1);
    E->SetSelLength(5);
    ASSERT_TRUE(E->HasSelection());
    E->Clear();
    EXPECT_FALSE(E->HasSelection());
    EXPECT_EQ(E->GetSelText(), "");
}

TEST(Editor, LoadedClearsModified) {
    auto E = NewEditor();
    E->BeginLoading();
    E->GetLines()->SetTextStr("one\r\ntwo");
    E->SetModified(true);
    E->EndLoading();
    EXPECT_FALSE(E->GetModified());
    EXPECT_EQ(E->GetLines()->GetCount(), 2);
}

TEST(Editor, TextMessages) {
    auto E = NewEditor();
    // Row one "ab" ends with a line break, row two "c" does not.
    TMessage M{WM_SETTEXT, 0, reinterpret_cast<intptr_t>("ab\r\nc")};
    E->WndProc(M);
    ASSERT_EQ(E->RowsCount(), 2);
    TMessage Len{WM_GETTEXTLENGTH, 0, 0};
    E->WndProc(Len);
    EXPECT_EQ(Len.Result, 5);

    char Buffer[16];
    struct TRow {
        int Size;
        int Copied;
        std::string Text;
    } Rows[] = {{16, 5, "ab\r\nc"}, {4, 3, "ab\r"}, {1, 0, ""}};
    for (const TRow& R : Rows) {
        TMessage Get{WM_GETTEXT, static_cast<uintptr_t>(R.Size), reinterpret_cast<intptr_t>(Buffer)};
        E->WndProc(Get);
        EXPECT_EQ(Get.Result, R.Copied) << R.Size;
        EXPECT_EQ(std::string(Buffer), R.Text) << R.Size;
    }

    E->SetReadOnly(true);
    TMessage Set{WM_SETTEXT, 0, reinterpret_cast<intptr_t>("changed")};
    E->WndProc(Set);
    EXPECT_EQ(E->GetLines()->GetTextStr(), "ab\r\nc");

    TMessage Code{WM_GETDLGCODE, 0, 0};
    E->WantTabs = false;
    E->WndProc(Code);
    EXPECT_EQ(Code.Result & DLGC_WANTTAB, 0);
    EXPECT_NE(Code.Result & DLGC_WANTALLKEYS, 0);
    EXPECT_NE(Code.Result & DLGC_WANTCHARS, 0);
    EXPECT_NE(Code.Result & DLGC_WANTARROWS, 0);
}

TEST(Editor, SettingsChangedWithoutAWindow) {
    auto E = NewEditor();
    E->GetMarks()->GetUnderline()->SetVisible(true);
    EXPECT_EQ(E->GetMargin()->GetUnderlineExtra(), 1);
    E->GetMarks()->GetUnderline()->SetVisible(false);
    EXPECT_EQ(E->GetMargin()->GetUnderlineExtra(), 0);

    // A change of the view (its scheme) rescans the colouring state: every row has been
    // scanned from row 0, none is left in the not-scanned state within the horizon.
    E->GetLines()->SetTextStr("a\r\nb\r\nc");
    TEditorScreenStrings& List = *E->GetScreenStrings();
    List.ResetRowState(0);
    ASSERT_EQ(List.GetBracketIndex(0), -2);
    E->GetView()->SetCommenter("//");
    EXPECT_NE(List.GetBracketIndex(0), -2);

    // Without a window the undo history stays when the caret settings change.
    E->GetLines()->Add("d");
    ASSERT_TRUE(List.GetUndoObj()->CanUndo());
    E->GetCaret()->SetTabSpaceCount(4);
    EXPECT_TRUE(List.GetUndoObj()->CanUndo());
}

TEST(Editor, ViewReportsItsSchemeAndSwitches) {
    TEditorViewInfo View;
    TCounter Changes;
    View.OnChange = Changes.Event();
    View.SetQuotation("'ab");
    EXPECT_EQ(View.GetQuotation(), "'");
    EXPECT_EQ(Changes.Count, 1);
    View.SetQuotation("'");
    EXPECT_EQ(Changes.Count, 1);
    View.SetQuotation("");
    EXPECT_EQ(View.GetQuotation(), "");
    View.SetMail(true);
    View.SetMail(true);
    View.SetUrl(true);
    View.SetControlCode(true);
    View.SetHexPrefix("0x");
    EXPECT_EQ(Changes.Count, 6);
    // A change inside the scheme is a change of the view.
    View.GetColors()->GetAnk()->SetColor(0xFF);
    EXPECT_EQ(Changes.Count, 7);

    TEditorViewInfo Copy;
    TCounter CopyChanges;
    Copy.OnChange = CopyChanges.Event();
    Copy.Assign(&View);
    EXPECT_EQ(CopyChanges.Count, 1);
    EXPECT_TRUE(Copy.GetMail());
    EXPECT_EQ(Copy.GetHexPrefix(), "0x");
    EXPECT_EQ(Copy.GetColors()->GetAnk()->GetColor(), 0xFF);
}

TEST(Editor, SettingsObjectsAreCopiedNotTaken) {
    auto E = NewEditor();
    TEditorCaret Caret;
    Caret.FreeCaret = false;
    Caret.SetTabSpaceCount(4);
    E->SetCaret(&Caret);
    EXPECT_NE(E->GetCaret(), &Caret);
    EXPECT_FALSE(E->GetCaret()->FreeCaret);
    EXPECT_EQ(E->GetCaret()->GetTabSpaceCount(), 4);

    TEditorMargin Margin;
    Margin.SetLeft(1);
    E->SetMargin(&Margin);
    EXPECT_EQ(E->GetMargin()->GetLeft(), 1);

    TEditorWrapOption Wrap;
    Wrap.SetWrapByte(40);
    E->SetWrapOption(&Wrap);
    EXPECT_EQ(E->GetWrapOption()->GetWrapByte(), 40);
}

TEST(Editor, FountainReferenceIsDroppedWhenTheSchemeDies) {
    auto E = NewEditor();
    E->GetLines()->SetTextStr("text");
    auto* Scheme = new TEditorFountain(nullptr);
    E->SetFountain(Scheme);
    EXPECT_EQ(E->GetFountain(), Scheme);
    EXPECT_EQ(E->ActiveFountain(), Scheme);
    // The editor hears of the scheme's changes.
    TEditorScreenStrings& List = *E->GetScreenStrings();
    List.ResetRowState(0);
    Scheme->GetReserve()->SetColor(0xFF);
    EXPECT_NE(List.GetBracketIndex(0), -2);

    delete Scheme;
    EXPECT_EQ(E->GetFountain(), nullptr);
    EXPECT_EQ(E->ActiveFountain(), E->GetView()->GetEditorFountain());

    // Setting and clearing leaves no registration behind.
    TEditorFountain Other(nullptr);
    E->SetFountain(&Other);
    EXPECT_EQ(Other.GetNotifyEventList()->GetHandlerCount(), 1);
    E->SetFountain(nullptr);
    EXPECT_EQ(Other.GetNotifyEventList()->GetHandlerCount(), 0);
}

TEST(Editor, ReserveWordListIsCopiedIntoTheViewScheme) {
    auto E = NewEditor();
    TStringList Words;
    Words.Add("begin");
    Words.Add("end");
    E->SetReserveWordList(&Words);
    EXPECT_EQ(E->GetReserveWordList()->GetCount(), 2);
    EXPECT_NE(E->GetReserveWordList(), &Words);
}

TEST(Editor, ShareLinesShowsTheOtherText) {
    auto A = NewEditor();
    auto B = NewEditor();
    A->GetLines()->SetTextStr("shared\r\ntext\r\nhere");
    B->GetLines()->SetTextStr("own");
    B->SetRowCol(0, 2);
    B->ShareLines(nullptr);
    EXPECT_EQ(B->GetLines()->GetTextStr(), "own");
    B->ShareLines(A.get());
    EXPECT_EQ(B->GetScreenStrings(), A->GetScreenStrings());
    EXPECT_EQ(B->GetLines()->GetTextStr(), "shared\r\ntext\r\nhere");
    B->GetLines()->Add("more");
    EXPECT_EQ(A->GetLines()->GetCount(), 4);
    // The list outlives the editor that created it while another still shows it.
    A.reset();
    EXPECT_EQ(B->GetLines()->GetCount(), 4);
}

TEST(Editor, ReadOnlyAndHitStyle) {
    auto E = NewEditor();
    E->GetLines()->SetTextStr("abc");
    E->SetSelStart(0);
    E->SetSelLength(2);
    E->SetCursor(crDefault);
    E->SetReadOnly(true);
    EXPECT_EQ(E->GetCursor(), E->GetCaret()->GetCursors()->DefaultCursor);
    // A new hit style drops the selection first.
    E->SetHitStyle(hsDraw);
    EXPECT_EQ(E->GetHitStyle(), hsDraw);
    EXPECT_FALSE(E->HasSelection());
}

TEST(Editor, WindowOperationsDoNothingWithoutAWindow) {
    auto E = NewEditor();
    E->GetLines()->SetTextStr("one\r\ntwo\r\nthree");
    E->SetTopRow(2);
    E->SetTopCol(5);
    E->UpdateMetrics();
    E->UpdateScrollBars();
    E->RefreshView();
    E->ScrollText(0, 10, Rect(0, 0, 100, 100));
    E->InvalidateRows(0, 2);
    E->InvalidateRow(1);
    E->UpdateCaret();
    E->SetScrollBars(ssBoth);
    EXPECT_EQ(E->GetTopRow(), 0);
    EXPECT_EQ(E->GetTopCol(), 0);
    EXPECT_EQ(E->GetScrollX(), 0);
    EXPECT_EQ(E->GetFontHeight(), 0);
    EXPECT_EQ(E->GetColWidth(), 0);
    EXPECT_EQ(E->GetRowCount(), 1);
    EXPECT_EQ(E->GetMaxTopRow(), 0);
    EXPECT_EQ(E->GetUnderlineY(0), -1);
    EXPECT_FALSE(E->UpdateLeftbarColumn());
    EXPECT_EQ(E->GetLeftbarColumn(), E->GetLeftbar()->GetColumn());
    EXPECT_FALSE(E->GetCaretShown());
    EXPECT_EQ(E->GetScrollBars(), ssBoth);
    EXPECT_EQ(E->CreateParams().Style & (WS_HSCROLL | WS_VSCROLL), uint32_t(WS_HSCROLL | WS_VSCROLL));
}

} // namespace
