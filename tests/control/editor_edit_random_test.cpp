// Random mouse, clipboard, undo and mark input on a windowed TEditor, checked step by step
// against a plain text model, with the screen-row invariants after every step and undo all /
// redo all at the end of each run.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "control/editor_edit_support.h"
#include "editor/control/editor_popup_menu.h"
#include "editor/model/screen_strings.h"
#include "editor/model/wrap_option.h"
#include "model/screen_strings_support.h"
#include "platform/cp932.h"

using namespace edit_test;

namespace {

// The text as rows (no tabs, word wrap off): the rows and whether a final line break follows.
struct TModelRows {
    std::vector<std::string> Rows;
    bool FinalBreak = false;

    explicit TModelRows(const std::string& Text) {
        size_t Start = 0;
        for (size_t At; (At = Text.find("\r\n", Start)) != std::string::npos; Start = At + 2)
            Rows.push_back(Text.substr(Start, At - Start));
        if (Start < Text.size()) Rows.push_back(Text.substr(Start));
        FinalBreak = !Text.empty() && Start == Text.size();
    }
    std::string Join() const {
        std::string S;
        for (size_t I = 0; I < Rows.size(); ++I) {
            if (I) S += "\r\n";
            S += Rows[I];
        }
        if (FinalBreak) S += "\r\n";
        return S;
    }
};

// Byte index of the first character of Row that starts at or after column Col, and the
// column where it starts (the row's width when none does).
size_t ByteAtCol(const std::string& Row, int Col, int& Reached) {
    size_t B = 0;
    Reached = 0;
    while (B < Row.size() && Reached < Col) {
        const int Len = cp932::IsLeadByte(Row[B]) && B + 1 < Row.size() ? 2 : 1;
        Reached += Len;
        B += static_cast<size_t>(Len);
    }
    return B;
}

// Row with Text put at column Col, padded with spaces when the row is shorter.
void InsertAtCol(std::string& Row, int Col, const std::string& Text) {
    int Reached = 0;
    const size_t B = ByteAtCol(Row, Col, Reached);
    if (Reached < Col) Row.append(static_cast<size_t>(Col - Reached), ' ');
    Row.insert(B + (Reached < Col ? static_cast<size_t>(Col - Reached) : 0), Text);
}

// The characters of rows F.StartRow .. F.EndRow that start in [StartCol, EndCol): removed
// from the rows, and returned as the box text (each row followed by CR LF).
std::string TakeBox(TModelRows& M, const TSelectionFrame& F, bool Remove) {
    std::string Box;
    for (int R = F.StartRow; R <= F.EndRow; ++R) {
        if (R < static_cast<int>(M.Rows.size())) {
            std::string& Row = M.Rows[static_cast<size_t>(R)];
            int A = 0, B = 0;
            const size_t From = ByteAtCol(Row, F.StartCol, A);
            const size_t To = std::max(From, ByteAtCol(Row, F.EndCol, B));
            Box += Row.substr(From, To - From);
            if (Remove) Row.erase(From, To - From);
        }
        Box += "\r\n";
    }
    return Box;
}

// A box insert of Lines with its top-left corner at (Row, Col) of a text without selection.
void PutBox(TModelRows& M, int Row, int Col, const std::vector<std::string>& Lines) {
    const int Count = static_cast<int>(M.Rows.size());
    for (size_t I = 0; I < Lines.size(); ++I) {
        const int R = Row + static_cast<int>(I);
        if (R < static_cast<int>(M.Rows.size()))
            InsertAtCol(M.Rows[static_cast<size_t>(R)], Col, Lines[I]);
        else
            M.Rows.push_back(std::string(static_cast<size_t>(Col), ' ') + Lines[I]);
    }
    if (Row + static_cast<int>(Lines.size()) - 1 >= Count - 1) M.FinalBreak = true;
}

std::vector<std::string> ClipLines(const std::string& Text) {
    TModelRows M(Text);
    return M.Rows;
}

// How often the runs moved or copied by drag and pasted a box, so that a run which never
// reaches them fails.
struct TCoverage {
    int Drops = 0;
    int BoxPastes = 0;
    int Cuts = 0;
};

class TInputRun {
public:
    static inline TCoverage Coverage;

    TInputRun(uint32_t Seed, bool WordWrap) : FRng(Seed), FWrap(WordWrap), T(RandomText()) {
        T->SetUndoListMax(100000);
        T->GetLeftbar()->SetVisible(true);
        if (FWrap) {
            T->GetWrapOption()->SetWrapByte(16);
            T->SetWordWrap(true);
        }
        FRef = EditorText(*T.E);
        FStart = FRef;
    }

    void Run(int Steps) {
        for (int Step = 0; Step < Steps; ++Step) {
            const int Op = Below(15);
            SCOPED_TRACE("step " + std::to_string(Step) + " op " + std::to_string(Op));
            DoOp(Op);
            ASSERT_EQ(EditorText(*T.E), FRef);
            ASSERT_EQ(screen_test::CheckRows(*T->GetScreenStrings(), nullptr), "");
            for (int R = 0; R < T->RowsCount(); ++R)
                ASSERT_EQ(T->RowText(R).find_first_of("\r\n"), std::string_view::npos) << "row " << R;
            ASSERT_EQ(T->GetDragState(), dsNone);
            ASSERT_LE(T->GetRow(), T->RowsCount());
            if (::testing::Test::HasFatalFailure()) return;
        }
        // Undo all and redo all, from the newest step.
        while (!FRedoTexts.empty()) UndoRedo(true);
        const std::string End = FRef;
        int Undone = 0;
        while (T->CanUndo()) {
            T->Undo();
            ++Undone;
        }
        EXPECT_EQ(Undone, static_cast<int>(FHistory.size()));
        EXPECT_EQ(EditorText(*T.E), FStart);
        int Redone = 0;
        while (T->CanRedo()) {
            T->Redo();
            ++Redone;
        }
        EXPECT_EQ(Redone, Undone);
        EXPECT_EQ(EditorText(*T.E), End);
        EXPECT_EQ(screen_test::CheckRows(*T->GetScreenStrings(), nullptr), "");
    }

private:
    int Below(int N) { return static_cast<int>(FRng() % static_cast<uint32_t>(N)); }

    std::string RandomText() {
        static const char* const Pieces[] = {"ab", "cde", " ", "x", "あ", "漢字", "ｶ", "12", "。"};
        std::string S;
        for (int L = Below(9) + 1; L > 0; --L) {
            for (int P = Below(7); P > 0; --P) S += cp932::Literal(Pieces[Below(9)]);
            if (L > 1 || Below(2)) S += "\r\n";
        }
        return S;
    }

    // A visible cell of the text area.
    TPoint RandomPoint() {
        const int Row = T->GetTopRow() + Below(std::max(1, std::min(T->GetRowCount(), T->RowsCount() + 1)));
        const int Col = T->GetTopCol() + Below(24);
        return T.At(Row, Col);
    }

    // One text change of the control (one undo step), whether or not the text differs.
    void Changed(const std::string& NewRef) {
        FRef = NewRef;
        ++FChanges;
    }

    void SelectByDrag() {
        const TPoint From = RandomPoint();
        // A click first: a press inside the selection would drag it.
        T.Click(From);
        T.Down(From);
        TPoint To = RandomPoint();
        if (Below(5) == 0) To.Y = T->TextTop() - 2; // above the text: scrolls up
        T.Move(To);
        T.Move(To);
        T.Up(To);
    }

    void SelectRows() {
        const int X = T->TextLeft() - 2;
        T.Down(TPoint{X, RandomPoint().Y});
        T.Move(TPoint{X, RandomPoint().Y});
        T.Up(TPoint{X, RandomPoint().Y});
    }

    // Drags the normal selection to a random cell, moving or copying it.
    void DragSelection() {
        if (T->GetSelectionState() != selSelected || T->GetSelectionMode() != smNormal ||
            T->GetSelLength() == 0)
            return SelectByDrag();
        const TSelectionFrame F = T->GetSelFrame();
        if (F.StartRow < T->GetTopRow() || F.StartRow >= T->GetTopRow() + T->GetRowCount() ||
            F.StartCol < T->GetTopCol())
            return;
        const int A = T->GetSelStart(), Len = T->GetSelLength();
        const std::string S = FRef.substr(static_cast<size_t>(A), static_cast<size_t>(Len));
        ASSERT_EQ(T->GetSelText(), S);
        const bool Copy = Below(2) == 0;
        T.Down(T.At(F.StartRow, F.StartCol));
        ASSERT_EQ(T->GetDragState(), dsPending);
        const TPoint To = RandomPoint();
        T.Host->KeysDown[VK_CONTROL] = Copy;
        T.Move(TPoint{To.X + 7, To.Y});
        T.Move(To);
        const bool Inside = T->IsInSelection(T->GetRow(), T->GetCol());
        // A drop beyond the end of a row pads the row with spaces up to the drop column.
        int D = T->RowColToOffset(0, T->GetRow(), T->GetCol());
        const int Pad = CaretPad();
        T.Up(To);
        T.Host->KeysDown[VK_CONTROL] = false;
        if (Inside) return;
        std::string Ref = FRef;
        Ref.insert(static_cast<size_t>(D), static_cast<size_t>(Pad), ' ');
        const int At = D < A ? A + Pad : A;
        D += Pad;
        std::string N = Ref;
        if (Copy)
            N.insert(static_cast<size_t>(D), S);
        else if (D < At)
            N = Ref.substr(0, static_cast<size_t>(D)) + S +
                Ref.substr(static_cast<size_t>(D), static_cast<size_t>(At - D)) +
                Ref.substr(static_cast<size_t>(At + Len));
        else
            N = Ref.substr(0, static_cast<size_t>(At)) +
                Ref.substr(static_cast<size_t>(At + Len), static_cast<size_t>(D - At - Len)) + S +
                Ref.substr(static_cast<size_t>(D));
        Changed(N);
        ++Coverage.Drops;
        EXPECT_EQ(T->RowColToOffset(0, T->GetRow(), T->GetCol()), (Copy || D < At ? D : D - Len) + Len);
    }

    // Spaces that text put at the caret pads its row with (the caret beyond the row's end).
    int CaretPad() const { return std::max(0, T->GetCol() - T->RowWidth(T->GetRow())); }

    // What the rows look like after the selection is removed (model), and the removed text.
    std::string RemoveSelection(std::string& Removed) {
        if (T->GetSelectionMode() == smBox) {
            TModelRows M(FRef);
            Removed = TakeBox(M, T->GetSelFrame(), true);
            // The text of a box of one row is that row's bytes alone.
            if (T->GetSelFrame().StartRow == T->GetSelFrame().EndRow) Removed.resize(Removed.size() - 2);
            return M.Join();
        }
        const int A = T->GetSelStart(), Len = T->GetSelLength();
        Removed = FRef.substr(static_cast<size_t>(A), static_cast<size_t>(Len));
        return FRef.substr(0, static_cast<size_t>(A)) + FRef.substr(static_cast<size_t>(A + Len));
    }

    void CopyOrCut(bool Cut) {
        const bool Selected = T->GetSelLength() > 0 && T->GetSelectionState() == selSelected;
        const uint8_t Key = Cut ? 'X' : 'C';
        if (!Selected) {
            EXPECT_EQ(T.ShortCutKey(Key, false, true), T->GetSelLength() > 0);
            return;
        }
        std::string Removed;
        const std::string After = RemoveSelection(Removed);
        const bool Box = T->GetSelectionMode() == smBox;
        ASSERT_TRUE(T.ShortCutKey(Key, false, true));
        EXPECT_EQ(T.Clip.GetText(), Removed);
        EXPECT_EQ(T.Clip.HasFormat(TEditor::BoxClipboardFormat()), Box);
        if (Cut) {
            Changed(After);
            ++Coverage.Cuts;
        }
    }

    void Paste(bool AsBox) {
        if (!T.Clip.HasFormat(CF_TEXT)) {
            EXPECT_FALSE(T.ShortCutKey(AsBox ? 'B' : 'V', false, true));
            return;
        }
        const bool Box = AsBox || T.Clip.HasFormat(TEditor::BoxClipboardFormat());
        // A box goes in without a selection (a click first) in this model.
        if (Box) T.Click(RandomPoint());
        const std::string Clip = T.Clip.GetText();
        if (Box) {
            if (T->GetRow() < T->GetTopRow()) return;
            TModelRows M(FRef);
            const std::vector<std::string> Lines = ClipLines(Clip);
            const int Row = T->GetRow(), Col = T->GetCol();
            ASSERT_TRUE(T.ShortCutKey(AsBox ? 'B' : 'V', false, true));
            if (Lines.empty()) return;
            PutBox(M, Row, Col, Lines);
            Changed(M.Join());
            ++Coverage.BoxPastes;
            EXPECT_EQ(T->GetRow(), Row + static_cast<int>(Lines.size()) - 1);
            return;
        }
        std::string Removed;
        std::string N = FRef;
        int At = T->RowColToOffset(0, T->GetRow(), T->GetCol());
        if (T->GetSelectionState() != selSelected) {
            N.insert(static_cast<size_t>(At), static_cast<size_t>(CaretPad()), ' ');
            At += CaretPad();
        } else {
            if (T->GetSelectionMode() == smBox) {
                // The text goes into the first row of the removed box, at its left edge.
                TModelRows M(FRef);
                TakeBox(M, T->GetSelFrame(), true);
                const TSelectionFrame F = T->GetSelFrame();
                if (F.StartRow < static_cast<int>(M.Rows.size()))
                    InsertAtCol(M.Rows[static_cast<size_t>(F.StartRow)], F.StartCol, Clip);
                else {
                    // The row after a final line break: appended as the last row.
                    M.Rows.push_back(std::string(static_cast<size_t>(F.StartCol), ' ') + Clip);
                    M.FinalBreak = false;
                }
                ASSERT_TRUE(T.ShortCutKey('V', false, true));
                Changed(M.Join());
                return;
            }
            N = RemoveSelection(Removed);
            At = T->GetSelStart();
        }
        N.insert(static_cast<size_t>(At), Clip);
        ASSERT_TRUE(T.ShortCutKey('V', false, true));
        Changed(N);
        EXPECT_EQ(T->RowColToOffset(0, T->GetRow(), T->GetCol()), At + static_cast<int>(Clip.size()));
    }

    void UndoRedo(bool Redo) {
        const bool Can = Redo ? !FRedoTexts.empty() : !FHistory.empty();
        ASSERT_EQ(Redo ? T->CanRedo() : T->CanUndo(), Can);
        ASSERT_EQ(T.ShortCutKey(Redo ? 'A' : 'Z', false, true), Can);
        if (!Can) return;
        if (Redo) {
            FHistory.push_back(FRef);
            FRef = FRedoTexts.back();
            FRedoTexts.pop_back();
        } else {
            FRedoTexts.push_back(FRef);
            FRef = FHistory.back();
            FHistory.pop_back();
        }
        EXPECT_NE(T->GetSelectionState(), selSelected);
    }

    void DoOp(int Op) {
        const std::string Before = FRef;
        const int ChangesBefore = FChanges;
        switch (Op) {
        case 0:
            T.Click(RandomPoint());
            break;
        case 1:
        case 2:
            SelectByDrag();
            break;
        case 3:
            SelectRows();
            break;
        case 4:
        case 5:
            DragSelection();
            break;
        case 6:
            CopyOrCut(false);
            break;
        case 7:
            CopyOrCut(true);
            break;
        case 8:
            Paste(false);
            break;
        case 9:
            if (!FWrap) Paste(true);
            break;
        case 10: {
            // Select all through the context menu.
            T.Presenter.Choose = dynamic_cast<TEditorPopupMenu*>(T->GetPopupMenu())->SelectAllItem;
            T.Send(WM_CONTEXTMENU, 0, MAKELPARAM(5, 5));
            T.Presenter.Choose = nullptr;
            if (!FRef.empty()) {
                EXPECT_EQ(T->GetSelText(), FRef);
            }
            break;
        }
        case 11:
            UndoRedo(false);
            return;
        case 12:
            UndoRedo(true);
            return;
        case 13: {
            // Marks: toggle on the caret row, then jump to one.
            const int Digit = Below(10);
            T.ShortCutKey(static_cast<uint8_t>('0' + Digit), true, true);
            const int Jump = Below(10);
            const bool Exists = (T->GetScreenStrings()->MarksInUse() & (1u << Jump)) != 0;
            ASSERT_TRUE(T.ShortCutKey(static_cast<uint8_t>('0' + Jump), false, true));
            if (Exists) {
                EXPECT_NE(T->GetRowMarks(T->GetRow()) & (1u << Jump), 0u);
            }
            break;
        }
        case 14:
            if (!FWrap) {
                ASSERT_TRUE(T.ShortCutKey('K', false, true));
            }
            break;
        }
        if (FChanges != ChangesBefore) {
            FHistory.push_back(Before);
            FRedoTexts.clear();
        }
    }

    std::mt19937 FRng;
    bool FWrap;
    TDriven T;
    std::string FRef, FStart;
    std::vector<std::string> FHistory, FRedoTexts;
    int FChanges = 0;
};

TEST(EditorInputRandom, MouseClipboardUndoAndMarksAgainstAPlainText) {
    for (uint32_t Seed = 1; Seed <= 40; ++Seed) {
        SCOPED_TRACE("seed " + std::to_string(Seed));
        TInputRun(Seed, false).Run(120);
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(TInputRun::Coverage.Drops, 40);
    EXPECT_GT(TInputRun::Coverage.BoxPastes, 20);
    EXPECT_GT(TInputRun::Coverage.Cuts, 40);
}

TEST(EditorInputRandom, TheSameWithWordWrap) {
    for (uint32_t Seed = 100; Seed <= 120; ++Seed) {
        SCOPED_TRACE("seed " + std::to_string(Seed));
        TInputRun(Seed, true).Run(120);
        if (HasFatalFailure()) return;
    }
}

} // namespace
