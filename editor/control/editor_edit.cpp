// The editor's editing operations: deleting and replacing the selection, stream and box
// inserts, the clipboard with its box format, select all, undo and redo, and row marks.
#include "editor/control/editor.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "editor/model/screen_strings.h"

namespace {

// The lines of a text, split at CR LF, CR or LF; a final break does not start a line.
std::vector<std::string_view> SplitTextLines(std::string_view P) {
    std::vector<std::string_view> Lines;
    size_t Start = 0;
    for (size_t I = 0; I < P.size(); ++I) {
        if (P[I] != '\r' && P[I] != '\n') continue;
        Lines.push_back(P.substr(Start, I - Start));
        if (P[I] == '\r' && I + 1 < P.size() && P[I + 1] == '\n') ++I;
        Start = I + 1;
    }
    if (Start < P.size()) Lines.push_back(P.substr(Start));
    return Lines;
}

// P up to its first NUL: the operations take zero-terminated text.
std::string_view UpToNul(std::string_view P) {
    const size_t Nul = P.find('\0');
    return Nul == std::string_view::npos ? P : P.substr(0, Nul);
}

// Text with Line inserted before the 1-based byte Pos; a shorter text is padded with spaces.
std::string InsertAt(std::string_view Text, int Pos, std::string_view Line) {
    std::string Out;
    const int Before = std::max(Pos - 1, 0);
    const int Len = static_cast<int>(Text.size());
    if (Before <= Len) {
        Out.reserve(Text.size() + Line.size());
        Out.append(Text.substr(0, static_cast<size_t>(Before)));
        Out.append(Line);
        Out.append(Text.substr(static_cast<size_t>(Before)));
    } else {
        Out.reserve(static_cast<size_t>(Before) + Line.size());
        Out.append(Text);
        Out.append(static_cast<size_t>(Before - Len), ' ');
        Out.append(Line);
    }
    return Out;
}

TRowMarks MarkBit(int N) {
    return static_cast<TRowMarks>(1u << N);
}

} // namespace

int TEditor::TextLength() const {
    int Total = 0;
    const int Count = RowsCount();
    for (int R = 0; R < Count; ++R)
        Total += static_cast<int>(RowText(R).size()) + (RowAttr(R) == raCrlf ? 2 : 0);
    return Total;
}

int TEditor::PaddedColToByte(int ARow, int ACol) const {
    const int Width = RowWidth(ARow);
    if (ACol > Width) return static_cast<int>(RowText(ARow).size()) + (ACol - Width);
    return ColToByte(ARow, ACol);
}

void TEditor::SelectionRemovedRows(TEditorStringList& List) const {
    List.Clear();
    if (FSelectionState != selSelected) return;
    if (FSelectionMode == smBox) {
        const TColumnParams P = ColumnParams();
        for (int R = FSelFrame.StartRow; R <= FSelFrame.EndRow; ++R) {
            // The characters removed are those that start in [StartCol, EndCol): a double-byte
            // character or a tab that starts before the box stays.
            const std::string_view S = RowText(R);
            int Col = 0, Lb = -1, Rb = 0;
            size_t I = 0;
            while (I < S.size()) {
                const int Len = CharLengthAt(S, I);
                if (Col >= FSelFrame.StartCol) {
                    if (Lb < 0) Lb = static_cast<int>(I) + 1;
                    if (Col >= FSelFrame.EndCol) break;
                    Rb = static_cast<int>(I) + Len;
                }
                Col = S[I] == '\t' ? TabStop(Col, P) : Col + Len;
                I += static_cast<size_t>(Len);
            }
            const int Length = static_cast<int>(S.size());
            if (Lb < 0) {
                // No character of the row starts at the box's left edge: the insert point is
                // that edge, past the end of a short row.
                Lb = Length + 1 + std::max(0, FSelFrame.StartCol - Col);
            }
            Rb = std::max(Rb, Lb - 1);
            std::string Text(S.substr(0, static_cast<size_t>(Lb - 1 < Length ? Lb - 1 : Length)));
            if (Rb < Length) Text.append(S.substr(static_cast<size_t>(Rb)));
            const int Index = List.AddRow(Text);
            List.SetRowAttribute(Index, RowAttr(R));
            List.SetData(Index, Lb);
        }
        return;
    }
    const TSelectionRange& SR = FSelRange;
    const std::string_view First = RowText(SR.StartRow);
    const int StartByte = std::clamp(SR.StartByte, 0, static_cast<int>(First.size()));
    std::string Text(First.substr(0, static_cast<size_t>(StartByte)));
    if (SR.EndRow < RowsCount()) {
        const std::string_view Last = RowText(SR.EndRow);
        const int After = std::clamp(SR.LastByte + 1, 0, static_cast<int>(Last.size()));
        Text.append(Last.substr(static_cast<size_t>(After)));
    }
    const int Index = List.AddRow(Text);
    List.SetRowAttribute(Index, RowAttr(SR.EndRow));
    List.SetData(Index, StartByte + 1);
}

std::string TEditor::JoinRows(const TEditorStringList& List) {
    std::string Out;
    const int Count = List.GetCount();
    for (int I = 0; I < Count; ++I) {
        Out.append(List.RowView(I));
        if (List.GetRowAttribute(I) == raCrlf) Out += "\r\n";
    }
    return Out;
}

void TEditor::DeleteSelection() {
    if (!HandleAllocated() || FSelectionState != selSelected || !FList) return;
    const TSelectionRange SR = FSelRange;
    const int Q = std::max(LineStartRow(SR.StartRow), SR.StartRow - 1);
    TEditorStringList List;
    SelectionRemovedRows(List);
    // The caret goes where the removed text started (a box: its top-left corner, also past
    // the end of a short row).
    const int O = RowColToOffset(Q, SR.StartRow, 0) + std::max(List.GetData(0) - 1, 0);
    const std::string Text = JoinRows(List);
    const int E = std::min(SR.EndRow, RowsCount() - 1);
    std::optional<TCaretUpdateGuard> Caret;
    std::optional<TUnderlineGuard> Underline;
    if (SR.StartRow != SR.EndRow) {
        Caret.emplace(*this);
        Underline.emplace(*this);
    }
    CancelSelection();
    FList->ReplaceRows(SR.StartRow, E - SR.StartRow + 1, Text);
    SetCaretOffset(Q, O);
}

void TEditor::ClearSelection() {
    DeleteSelection();
}

void TEditor::SetSelTextBuf(std::string_view AText) {
    if (FReadOnly || !FList) return;
    const std::string_view P = UpToNul(AText);
    if (P.empty()) {
        if (FSelectionState == selSelected)
            DeleteSelection();
        else if (FSelectionState == selHit)
            CancelSelection();
        return;
    }
    int Q, O, First, Rows;
    std::string Text;
    if (FSelectionState == selSelected) {
        const TSelectionRange& SR = FSelRange;
        Q = std::max(LineStartRow(SR.StartRow), SR.StartRow - 1);
        TEditorStringList List;
        SelectionRemovedRows(List);
        First = SR.StartRow;
        Rows = SR.EndRow - SR.StartRow + 1;
        if (List.GetCount() == 0) {
            Text = P;
            O = RowColToOffset(Q, First, 0);
        } else {
            const int At = List.GetData(0);
            List.PutRow(0, InsertAt(List.RowView(0), At, P));
            Text = JoinRows(List);
            O = RowColToOffset(Q, First, 0) + At - 1;
        }
    } else {
        Q = std::max(LineStartRow(FRow), FRow - 1);
        First = FRow;
        Rows = 1;
        const int B = PaddedColToByte(FRow, FCol);
        O = RowColToOffset(Q, FRow, 0) + B;
        Text = InsertAt(RowText(FRow), B + 1, P);
        if (RowAttr(FRow) == raCrlf) Text += "\r\n";
    }
    // Only the rows that exist are replaced: past the end the text is appended.
    const int Count = RowsCount();
    Rows = First >= Count ? 0 : std::min(Rows, Count - First);
    std::optional<TCaretUpdateGuard> Caret;
    std::optional<TUnderlineGuard> Underline;
    if (P.find('\r') != std::string_view::npos) {
        Caret.emplace(*this);
        Underline.emplace(*this);
    }
    CancelSelection();
    FList->ReplaceRows(First, Rows, Text);
    SetCaretOffset(Q, O + static_cast<int>(P.size()));
}

void TEditor::SetSelTextBox(std::string_view AText) {
    if (FReadOnly || !FList) return;
    const std::string_view P = UpToNul(AText);
    if (P.empty()) {
        if (FSelectionState == selSelected) DeleteSelection();
        return;
    }
    const std::vector<std::string_view> Lines = SplitTextLines(P);
    const int N = static_cast<int>(Lines.size());
    if (N == 0) return;
    const int Count = RowsCount();
    TEditorStringList List;
    int F, K, T, Z;
    if (FSelectionState == selSelected) {
        F = FSelRange.StartRow;
        K = FSelFrame.StartCol + 1;
        T = FSelRange.EndRow + 1;
        Z = std::min(Count - 1, std::max(F + N - 1, FSelRange.EndRow));
        SelectionRemovedRows(List);
    } else {
        F = FRow;
        K = FCol + 1;
        T = FRow;
        Z = std::min(Count - 1, F + N - 1);
    }
    const TColumnParams Params = ColumnParams();
    int LastEnd = 0;
    for (int I = 0; I < N; ++I) {
        const std::string_view Line = Lines[static_cast<size_t>(I)];
        int At;
        if (I < List.GetCount()) {
            At = List.GetData(I);
            List.PutRow(I, InsertAt(List.RowView(I), At, Line));
        } else if (T < Count) {
            // The insert point is the first character that starts at or after column K - 1.
            const std::string_view S = RowText(T);
            int Col = 0;
            size_t B = 0;
            while (B < S.size() && Col < K - 1) {
                const int Len = CharLengthAt(S, B);
                Col = S[B] == '\t' ? TabStop(Col, Params) : Col + Len;
                B += static_cast<size_t>(Len);
            }
            At = static_cast<int>(B) + 1 + std::max(0, K - 1 - Col);
            const int Index = List.AddRow(InsertAt(S, At, Line));
            List.SetRowAttribute(Index, RowAttr(T));
            List.SetData(Index, At);
            ++T;
        } else {
            At = K;
            const int Index = List.AddRow(std::string(static_cast<size_t>(K - 1), ' ') + std::string(Line));
            List.SetRowAttribute(Index, raCrlf);
            List.SetData(Index, At);
        }
        if (I == N - 1) LastEnd = At - 1 + static_cast<int>(Line.size());
    }
    // A block that reaches the last row leaves the text ending with a line break.
    for (int I = 0; I < List.GetCount(); ++I)
        if (List.GetRowAttribute(I) == raEof) List.SetRowAttribute(I, raCrlf);
    // The caret's place as an offset from a row before the change, so that re-wrapping the
    // rows cannot move it: the rows of the block before the last line, then the line's end.
    const int Q = std::max(LineStartRow(F), F - 1);
    int O = RowColToOffset(Q, F, 0);
    for (int I = 0; I < N - 1; ++I)
        O += static_cast<int>(List.RowView(I).size()) + (List.GetRowAttribute(I) == raCrlf ? 2 : 0);
    O += LastEnd;
    const int Rows = F >= Count ? 0 : Z - F + 1;
    TCaretUpdateGuard Caret(*this);
    TUnderlineGuard Underline(*this);
    CancelSelection();
    FList->ReplaceRows(F, Rows, JoinRows(List));
    SetCaretOffset(Q, O);
}

// ---- clipboard ---------------------------------------------------------------------------------

TClipboardFormat TEditor::BoxClipboardFormat() {
    static const TClipboardFormat Format = RegisterClipboardFormat("TEditor Box Type");
    return Format;
}

bool TEditor::ClipboardHasText() {
    TClipboard* C = Clipboard();
    return C && C->HasFormat(CF_TEXT);
}

void TEditor::CopyToClipboard() {
    TClipboard* C = Clipboard();
    if (!C || FSelectionState != selSelected) return;
    const std::string Text = GetSelText();
    if (FSelectionMode != smBox) {
        C->SetText(Text);
        return;
    }
    TClipboardOpen Open(*C);
    C->SetText(Text);
    C->SetFormatData(BoxClipboardFormat(), Text + '\0');
}

void TEditor::CutToClipboard() {
    if (FSelectionState != selSelected) return;
    CopyToClipboard();
    DeleteSelection();
}

void TEditor::PasteFromClipboard() {
    TClipboard* C = Clipboard();
    if (!C || !C->HasFormat(CF_TEXT)) return;
    const std::string Text = C->GetText();
    if (C->HasFormat(BoxClipboardFormat()))
        SetSelTextBox(Text);
    else
        SetSelTextBuf(Text);
}

void TEditor::BoxPasteFromClipboard() {
    TClipboard* C = Clipboard();
    if (!C || !C->HasFormat(CF_TEXT)) return;
    SetSelTextBox(C->GetText());
}

// ---- select all, undo and redo -----------------------------------------------------------------

void TEditor::SelectAll() {
    TCaretUpdateGuard Caret(*this);
    SetSelStart(0);
    SetSelLength(TextLength());
}

void TEditor::Undo() {
    if (!FList) return;
    CancelSelection();
    FList->Undo();
}

void TEditor::Redo() {
    if (!FList) return;
    CancelSelection();
    FList->Redo();
}

bool TEditor::CanUndo() const {
    return FList && FList->GetUndoObj()->CanUndo();
}

bool TEditor::CanRedo() const {
    return FList && FList->GetUndoObj()->CanRedo();
}

// ---- row marks ---------------------------------------------------------------------------------

void TEditor::PutRowMark(int ARow, int N) {
    if (N < 0 || N > 15 || !FList) return;
    const TRowMarks Bit = MarkBit(N);
    // MarksInUse holds every mark some row carries: the rows are searched only when N is
    // among them.
    if (N <= 9 && (FList->MarksInUse() & Bit) != 0) {
        const int Count = RowsCount();
        for (int R = 0; R < Count; ++R)
            if ((FList->GetRowMarks(R) & Bit) != 0) {
                SetRowMarks(R, static_cast<TRowMarks>(FList->GetRowMarks(R) & ~Bit));
                break;
            }
    }
    if (ARow >= 0 && ARow < RowsCount()) SetRowMarks(ARow, static_cast<TRowMarks>(GetRowMarks(ARow) | Bit));
}

void TEditor::DeleteRowMark(int ARow, int N) {
    if (N < 0 || N > 15) return;
    SetRowMarks(ARow, static_cast<TRowMarks>(GetRowMarks(ARow) & ~MarkBit(N)));
}

void TEditor::GotoRowMark(int N) {
    if (N < 0 || N > 15 || !FList || (FList->MarksInUse() & MarkBit(N)) == 0) return;
    const int Count = RowsCount();
    for (int R = 0; R < Count; ++R) {
        if ((FList->GetRowMarks(R) & MarkBit(N)) == 0) continue;
        if (R < FTopRow || R >= FTopRow + FRowCount) SetTopRow(R - FRowCount / 2);
        SetRow(R);
        return;
    }
}
