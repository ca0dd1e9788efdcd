// The editor's caret and selection position model: row and column moves, the byte-offset
// view of positions, the selection state machine and the caret-hide bracket.
#include "editor/control/editor.h"

#include <algorithm>

#include "editor/model/screen_strings.h"
#include "editor/model/wrap_option.h"

namespace {

char CodeAt(const std::string& Map, int Col) {
    return Col >= 0 && Col < static_cast<int>(Map.size()) ? Map[static_cast<size_t>(Col)] : '\0';
}

} // namespace

// ---- rows as the caret sees them -------------------------------------------------------------

int TEditor::RowsCount() const { return FList ? FList->GetCount() : 0; }

std::string_view TEditor::RowText(int ARow) const {
    if (ARow < 0 || ARow >= RowsCount()) return {};
    return FList->RowView(ARow);
}

TRowAttribute TEditor::RowAttr(int ARow) const {
    if (ARow < 0 || ARow >= RowsCount()) return raEof;
    return FList->GetRowAttribute(ARow);
}

int TEditor::LineStartRow(int ARow) const {
    int R = std::min(ARow, RowsCount());
    while (R > 0 && RowAttr(R - 1) == raWrapped) --R;
    return R;
}

int TEditor::LineEndRow(int ARow) const {
    if (ARow < 0) return ARow;
    int R = ARow;
    const int Last = RowsCount() - 1;
    while (R < Last && RowAttr(R) == raWrapped) ++R;
    return R;
}

TColumnParams TEditor::ColumnParams() const {
    TColumnParams P;
    P.Delimiters = FDelimiters;
    P.TabSpaceCount = GetTabSpaceCount();
    P.WordWrap = GetWordWrap();
    P.WrapByte = GetWrapOption() ? GetWrapOption()->GetWrapByte() : 80;
    return P;
}

std::string TEditor::ColumnMap(int ARow) const { return MakeColumnMap(RowText(ARow), ColumnParams()); }

int TEditor::RowWidth(int ARow) const { return DisplayWidth(RowText(ARow), ColumnParams()); }

int TEditor::ColToByte(int ARow, int ACol) const {
    const std::string_view S = RowText(ARow);
    if (ACol <= 0 || S.empty()) return 0;
    return ColumnToByteIndex(S, ACol, ColumnParams());
}

// Bytes from the start of row ARow to the start of the next: CR LF counts 2, the end of the
// text 1 (so that an offset can name the end), a wrap 0.
int TEditor::SpanOfRow(int ARow) const {
    const int Len = static_cast<int>(RowText(ARow).size());
    switch (RowAttr(ARow)) {
    case raCrlf: return Len + 2;
    case raEof: return Len + 1;
    default: return Len;
    }
}

// ---- caret moves -----------------------------------------------------------------------------

void TEditor::AdjustCol(bool Vertical, int Direction) {
    const std::string Map = ColumnMap(FRow);
    const int W = static_cast<int>(Map.size());
    if (!Vertical)
        FWantColValid = false;
    else if (FWantColValid)
        FCol = FWantCol;
    auto Remember = [&](int C) {
        if (Vertical && !FWantColValid) {
            FWantCol = C;
            FWantColValid = true;
        }
    };
    const TEditorCaret& C = *FCaret;
    if (!C.FreeCaret && FCol > W) {
        const bool ButtonDown = LeftButtonDown();
        if (C.KeepCaret) Remember(ButtonDown ? W : FCol);
        if (!(C.FreeRow && Vertical && !ButtonDown)) {
            FCol = W;
            if (!C.KeepCaret) FWantColValid = false;
        }
    }
    if (CodeAt(Map, FCol) == cmTrail) {
        Remember(FCol);
        FCol += Direction;
    }
    if (!C.InTab && CodeAt(Map, FCol) == cmTabFill) {
        Remember(FCol);
        while (CodeAt(Map, FCol) == cmTabFill) FCol += Direction;
    }
    if (GetWordWrap() && FCol >= W) {
        Remember(FCol);
        const int WrapByte = ColumnParams().WrapByte;
        if (RowAttr(FRow) == raWrapped)
            FCol = W - 1;
        else if (FCol >= WrapByte)
            FCol = std::max(W, WrapByte - 1);
        if (CodeAt(Map, FCol) == cmTrail) --FCol;
        if (!C.InTab)
            while (CodeAt(Map, FCol) == cmTabFill) --FCol;
    }
    if (FCol > MaxCols && CodeAt(Map, MaxCols - 1) != cmLead) FCol = MaxCols;
    FCol = std::max(FCol, 0);
    if (!FSettingRowCol) UpdateCaret();
}

void TEditor::SetCol(int Value) {
    const int C = std::clamp(Value, 0, MaxCols + 1);
    const int Old = FCol;
    if (GetRuler()->GetVisible()) EraseRulerMark(Old);
    FCol = C;
    AdjustCol(false, Old < C ? 1 : -1);
    if (GetRuler()->GetVisible()) DrawRulerMark(FCol);
}

void TEditor::SetRow(int Value) {
    const int Count = RowsCount();
    if (Value == FRow && FRow != Count) return;
    const int OldCol = FCol;
    {
        TUnderlineGuard Underline(*this);
        FRow = std::clamp(Value, 0, Count);
        if (FRow == Count && Count > 0 && RowAttr(Count - 1) == raEof) FRow = Count - 1;
        AdjustCol(true, -1);
    }
    if (FCol != OldCol && GetRuler()->GetVisible()) {
        EraseRulerMark(OldCol);
        DrawRulerMark(FCol);
    }
}

void TEditor::SetRowCol(int ARow, int ACol) {
    if (ARow == FRow && ACol == FCol) return;
    bool Outer;
    {
        TFlagGuard Setting(FSettingRowCol, true);
        Outer = Setting.Old();
        SetRow(ARow);
        const std::string Map = ColumnMap(FRow);
        if (CodeAt(Map, ACol) == cmTrail) --ACol;
        if (!FCaret->InTab)
            while (CodeAt(Map, ACol) == cmTabFill) --ACol;
        SetCol(ACol);
    }
    // Inside an outer bracket that suppresses caret updates (a Lines update), the bracket's
    // end updates the caret.
    if (!Outer) UpdateCaret();
}

void TEditor::MoveCaretTo(int ARow, int ACol) {
    SetRow(ARow);
    SetCol(ACol);
}

int TEditor::RowColToOffset(int FromRow, int ARow, int ACol) const {
    if (ARow < FromRow) return 0;
    int Offset = 0;
    for (int R = std::max(FromRow, 0); R < ARow; ++R) Offset += SpanOfRow(R);
    return Offset + ColToByte(ARow, ACol);
}

void TEditor::OffsetToRowCol(int FromRow, int Offset, int& ARow, int& ACol) const {
    const int Count = RowsCount();
    int Rest = std::max(Offset, 0);
    const TColumnParams P = ColumnParams();
    for (int R = std::max(FromRow, 0); R < Count; ++R) {
        const int Span = SpanOfRow(R);
        if (Rest < Span || RowAttr(R) == raEof) {
            const std::string_view S = RowText(R);
            const size_t Bytes = std::min(static_cast<size_t>(Rest), S.size());
            ARow = R;
            ACol = std::min(DisplayWidth(S.substr(0, Bytes), P), DisplayWidth(S, P));
            return;
        }
        Rest -= Span;
    }
    ARow = Count;
    ACol = -1; // the width of whatever row SetRow settles on
}

void TEditor::SetCaretOffset(int FromRow, int Offset) {
    int R = 0, C = 0;
    OffsetToRowCol(FromRow, Offset, R, C);
    SetRow(R);
    SetCol(C >= 0 ? C : RowWidth(FRow));
}

// ---- selection -------------------------------------------------------------------------------

void TEditor::StartSelection() {
    CancelSelection();
    if (RowsCount() == 0) return;
    FSelectionState = selAnchored;
    FAnchorRow = FRow;
    FAnchorByte = ColToByte(FRow, FCol);
    FAnchorCol = FSelectionMode == smBox ? FCol : std::min(FCol, RowWidth(FRow));
    FSelRange = {FRow, FRow, FAnchorByte, FAnchorByte - 1};
    FSelFrame = {FRow, FRow, FAnchorCol, FAnchorCol};
    FPrevSelFrame = FSelFrame;
}

void TEditor::ExtendSelection() {
    if (FSelectionState == selAnchored) {
        FSelectionState = FHitSelecting ? selHit : selSelected;
        CalcSelection();
    } else if (FSelectionState == selSelected) {
        CalcSelection();
    }
}

void TEditor::CalcSelection() {
    if (!HasSelection()) return;
    const int CaretByte = ColToByte(FRow, FCol);
    TSelectionRange& SR = FSelRange;
    SR.StartRow = std::min(FAnchorRow, FRow);
    SR.EndRow = std::max(FAnchorRow, FRow);
    if (FAnchorRow == FRow) {
        SR.StartByte = std::min(FAnchorByte, CaretByte);
        SR.LastByte = std::max(FAnchorByte, CaretByte) - 1;
    } else if (FAnchorRow < FRow) {
        SR.StartByte = FAnchorByte;
        SR.LastByte = CaretByte - 1;
    } else {
        SR.StartByte = CaretByte;
        SR.LastByte = FAnchorByte - 1;
    }
    TSelectionFrame& F = FSelFrame;
    F.StartRow = SR.StartRow;
    F.EndRow = SR.EndRow;
    if (FSelectionMode == smBox) {
        F.StartCol = std::min(FAnchorCol, FCol);
        F.EndCol = std::max(FAnchorCol, FCol);
    } else {
        const int AnchorWidth = RowWidth(FAnchorRow);
        const int CaretWidth = RowWidth(FRow);
        if (FAnchorRow == FRow) {
            F.StartCol = std::min(std::min(FAnchorCol, FCol), CaretWidth);
            F.EndCol = std::min(std::max(FAnchorCol, FCol), CaretWidth);
        } else if (FAnchorRow < FRow) {
            F.StartCol = std::min(FAnchorCol, AnchorWidth);
            F.EndCol = std::min(FCol, CaretWidth);
        } else {
            F.StartCol = std::min(FCol, CaretWidth);
            F.EndCol = std::min(FAnchorCol, AnchorWidth);
        }
    }
    if (FSelectionState == selSelected || (FSelectionState == selHit && FHitStyle == hsDraw)) RepaintSelection();
    DoSelectionChange(true);
}

// The state is dropped with or without a window, so that no stale selection survives a
// change of the text; the repaint and the caret need the window.
void TEditor::CancelSelection() {
    if (!HasSelection()) return;
    const bool WasCaretHit = FSelectionState == selHit && FHitStyle == hsCaret;
    const TSelectionFrame Old = FSelFrame;
    FSelectionState = selNone;
    FHitLength = 0;
    if (HandleAllocated()) {
        if (WasCaretHit) UpdateCaret();
        const int First = std::max(Old.StartRow - 1, FTopRow);
        const int Last = std::min(Old.EndRow + 1, FTopRow + FRowCount);
        if (First <= Last) InvalidateRows(First, Last);
    }
    FWantColValid = false;
    DoSelectionChange(false);
}

void TEditor::SetSelectionMode(TEditorSelectionMode Value) {
    if (FDragState == dsDragging || Value == FSelectionMode) return;
    FSelectionMode = Value;
    if (HasSelection()) {
        if (Value == smBox) SetCursor(FCaret->GetCursors()->DefaultCursor);
        CalcSelection();
        Invalidate();
    }
    DoSelectionModeChange();
}

// ---- byte-offset view ------------------------------------------------------------------------

int TEditor::GetSelStart() const {
    if (RowsCount() == 0) return 0;
    int R, B;
    if (HasSelection()) {
        R = FSelRange.StartRow;
        B = FSelRange.StartByte;
    } else {
        R = FRow;
        B = ColToByte(FRow, FCol);
    }
    int Offset = 0;
    for (int I = 0; I < R && I < RowsCount(); ++I)
        Offset += static_cast<int>(RowText(I).size()) + (RowAttr(I) == raCrlf ? 2 : 0);
    return Offset + B;
}

std::string TEditor::BoxRowText(int ARow, int FromCol, int ToCol) const {
    const std::string_view S = RowText(ARow);
    const TColumnParams P = ColumnParams();
    std::string Out;
    int Col = 0;
    for (size_t I = 0; I < S.size() && Col < ToCol;) {
        const int Len = CharLengthAt(S, I);
        int Next;
        if (S[I] == '\t')
            Next = TabStop(Col, P);
        else
            Next = Col + Len;
        if (Col >= FromCol) Out.append(S.substr(I, static_cast<size_t>(Len)));
        Col = Next;
        I += static_cast<size_t>(Len);
    }
    return Out;
}

int TEditor::GetSelLength() const {
    if (!HasSelection()) return 0;
    const TSelectionRange& SR = FSelRange;
    if (SR.StartRow == SR.EndRow) {
        const int Len = static_cast<int>(RowText(SR.StartRow).size());
        const int Last = std::min(SR.LastByte, Len - 1);
        return std::max(0, Last - std::max(SR.StartByte, 0) + 1);
    }
    int Total = 0;
    if (FSelectionMode == smBox) {
        for (int R = FSelFrame.StartRow; R <= FSelFrame.EndRow; ++R)
            Total += static_cast<int>(BoxRowText(R, FSelFrame.StartCol, FSelFrame.EndCol).size()) + 2;
        return Total;
    }
    auto Break = [&](int R) { return RowAttr(R) == raCrlf ? 2 : 0; };
    const int StartLen = static_cast<int>(RowText(SR.StartRow).size());
    Total += std::max(0, StartLen - std::clamp(SR.StartByte, 0, StartLen)) + Break(SR.StartRow);
    for (int R = SR.StartRow + 1; R < SR.EndRow; ++R) Total += static_cast<int>(RowText(R).size()) + Break(R);
    const int EndLen = static_cast<int>(RowText(SR.EndRow).size());
    Total += std::clamp(SR.LastByte + 1, 0, EndLen);
    return Total;
}

std::string TEditor::GetSelText() const {
    if (!HasSelection()) return {};
    const TSelectionRange& SR = FSelRange;
    if (SR.StartRow == SR.EndRow) {
        const std::string_view S = RowText(SR.StartRow);
        const int First = std::clamp(SR.StartByte, 0, static_cast<int>(S.size()));
        const int End = std::clamp(SR.LastByte + 1, First, static_cast<int>(S.size()));
        return std::string(S.substr(static_cast<size_t>(First), static_cast<size_t>(End - First)));
    }
    std::string Out;
    if (FSelectionMode == smBox) {
        for (int R = FSelFrame.StartRow; R <= FSelFrame.EndRow; ++R) {
            Out += BoxRowText(R, FSelFrame.StartCol, FSelFrame.EndCol);
            Out += "\r\n";
        }
        return Out;
    }
    for (int R = SR.StartRow; R <= SR.EndRow; ++R) {
        const std::string_view S = RowText(R);
        const int Len = static_cast<int>(S.size());
        const int First = R == SR.StartRow ? std::clamp(SR.StartByte, 0, Len) : 0;
        const int End = R == SR.EndRow ? std::clamp(SR.LastByte + 1, First, Len) : Len;
        Out.append(S.substr(static_cast<size_t>(First), static_cast<size_t>(End - First)));
        if (R < SR.EndRow && RowAttr(R) == raCrlf) Out += "\r\n";
    }
    return Out;
}

void TEditor::SetSelStart(int Value) {
    CancelSelection();
    if (RowsCount() == 0) return;
    if (Value <= 0)
        SetRowCol(0, 0);
    else
        SetCaretOffset(0, Value);
}

void TEditor::SetSelLength(int Value) {
    if (RowsCount() == 0) return;
    SetSelectionMode(smNormal);
    if (Value <= 0) {
        if (HasSelection()) {
            const TSelectionFrame F = FSelFrame;
            {
                TFlagGuard Setting(FSettingRowCol, true);
                MoveCaretTo(F.StartRow, F.StartCol);
            }
            CancelSelection();
            UpdateCaret();
        }
        return;
    }
    {
        TFlagGuard Setting(FSettingRowCol, true);
        if (HasSelection()) MoveCaretTo(FSelFrame.StartRow, FSelFrame.StartCol);
        StartSelection();
        int R = 0, C = 0;
        OffsetToRowCol(FRow, ColToByte(FRow, FCol) + Value, R, C);
        SetRow(R);
        SetCol(C >= 0 ? C : RowWidth(FRow));
    }
    UpdateCaret();
    ExtendSelection();
}

// ---- caret hiding, shape and place -----------------------------------------------------------

void TEditor::BeginCaretUpdate() {
    if (FCaretHideCount++ == 0 && Focused()) HideCaret();
}

void TEditor::EndCaretUpdate() {
    if (FCaretHideCount == 0) return;
    if (--FCaretHideCount == 0 && Focused()) ShowCaret();
}

void TEditor::UpdateCaret() {
    if (!HandleAllocated()) return;
    CreateCaretShape();
    ScrollCaretIntoView();
    PlaceCaret();
    ShowCaret();
}

void TEditor::ScrollCaretIntoView() {
    if (!HandleAllocated() || !Focused()) return;
    if (FRow < FTopRow)
        SetTopRow(FRow);
    else if (FRow > FTopRow + FRowCount - 1)
        SetTopRow(FRow - FRowCount + 1);
    if (FCol < FTopCol)
        SetTopCol(std::max(0, std::min(FCol, FTopCol - FColCount / 4)));
    else if (FCol > FTopCol + FColCount - 1)
        SetTopCol(std::min(std::max(FCol - FColCount + 1, FTopCol + FColCount / 4), MaxCols - FColCount / 2));
}
