// The selection's deletion as the keys and characters use it: the rows of the selection with
// the selected characters removed, those rows joined, and DeleteSelection.
#include <algorithm>

#include "editor/control/editor.h"
#include "editor/model/screen_strings.h"

std::vector<TRemovedRow> TEditor::SelectionRemovedRows() const {
    std::vector<TRemovedRow> Rows;
    if (FSelectionState != selSelected) return Rows;
    const TColumnParams P = ColumnParams();
    if (FSelectionMode == smBox) {
        for (int R = FSelFrame.StartRow; R <= FSelFrame.EndRow && R < RowsCount(); ++R) {
            const std::string_view S = RowText(R);
            // Characters whose first column lies in [StartCol, EndCol) are removed; a box
            // that starts beyond the row's end records where the row would reach it.
            int Col = 0;
            size_t I = 0, Lb = std::string::npos, Rb = 0;
            while (I < S.size()) {
                const int N = CharLengthAt(S, I);
                const int W = S[I] == '\t' ? TabStop(Col, P) - Col : N;
                if (Col >= FSelFrame.StartCol && Lb == std::string::npos) Lb = I;
                if (Col >= FSelFrame.StartCol && Col < FSelFrame.EndCol) Rb = I + static_cast<size_t>(N);
                Col += W;
                I += static_cast<size_t>(N);
            }
            TRemovedRow Row;
            Row.Attr = RowAttr(R);
            if (Lb == std::string::npos) {
                Row.Text = std::string(S);
                Row.Data = static_cast<int>(S.size()) + std::max(0, FSelFrame.StartCol - Col) + 1;
            } else {
                Row.Text = std::string(S.substr(0, Lb));
                if (Rb > Lb)
                    Row.Text.append(S.substr(Rb));
                else
                    Row.Text.append(S.substr(Lb));
                Row.Data = static_cast<int>(Lb) + 1;
            }
            Rows.push_back(std::move(Row));
        }
        return Rows;
    }
    TRemovedRow Row;
    const std::string_view First = RowText(FSelRange.StartRow);
    Row.Text = std::string(
        First.substr(0, std::min<size_t>(First.size(), static_cast<size_t>(FSelRange.StartByte))));
    if (FSelRange.EndRow < RowsCount()) {
        const std::string_view Last = RowText(FSelRange.EndRow);
        const size_t After = static_cast<size_t>(FSelRange.LastByte + 1);
        if (After < Last.size()) Row.Text.append(Last.substr(After));
    }
    Row.Attr = RowAttr(FSelRange.EndRow);
    Row.Data = FSelRange.StartByte + 1;
    Rows.push_back(std::move(Row));
    return Rows;
}

std::string TEditor::JoinRows(const std::vector<TRemovedRow>& Rows) {
    std::string T;
    for (const TRemovedRow& R : Rows) {
        T += R.Text;
        if (R.Attr == raCrlf) T += "\r\n";
    }
    return T;
}

void TEditor::DeleteSelection() {
    if (!HandleAllocated() || FSelectionState != selSelected) return;
    const TSelectionRange Range = FSelRange;
    const int Q = std::max(LineStartRow(Range.StartRow), Range.StartRow - 1);
    const int O = RowColToOffset(Q, FSelFrame.StartRow, FSelFrame.StartCol);
    const std::string Text = JoinRows(SelectionRemovedRows());
    const int E = std::min(Range.EndRow, RowsCount() - 1);
    const bool SeveralRows = Range.EndRow > Range.StartRow;
    if (SeveralRows) {
        BeginCaretUpdate();
        HideUnderline();
    }
    try {
        CancelSelection();
        if (E >= Range.StartRow) FList->ReplaceRows(Range.StartRow, E - Range.StartRow + 1, Text);
        SetCaretOffset(Q, O);
    } catch (...) {
        if (SeveralRows) {
            ShowUnderline();
            EndCaretUpdate();
        }
        throw;
    }
    if (SeveralRows) {
        ShowUnderline();
        EndCaretUpdate();
    }
}
