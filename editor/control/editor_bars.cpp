// TEditor's bars: the image bar, the left bar with its line numbers, the ruler and the corner.
#include "editor/control/editor.h"

#include <algorithm>

// ---- bars, ruler and corner: built by the bar painter; hooks while it is missing ----------------

void TEditor::UpdateImagebarWidth() {
    if (!HandleAllocated()) return;
    const TEditorImagebar& I = *FImagebar;
    FImagebarWidth =
        I.GetVisible() ? I.GetLeftMargin() + I.GetDigitWidth() + I.GetMarkWidth() + I.GetRightMargin() : 0;
}
void TEditor::CreateBitmaps() {}
void TEditor::FreeBitmaps() {}
bool TEditor::UpdateLeftbarColumn() {
    const TEditorLeftbar& L = *FLeftbar;
    if (!HandleAllocated() || !L.GetVisible() || !L.GetShowNumber()) {
        FLeftbarColumn = L.GetColumn();
        return false;
    }
    const int Count = RowsCount();
    int Last = Count - 1;
    if (L.GetShowNumberMode() == nmLine && GetWordWrap()) {
        int Lines = 0;
        for (int R = 0; R < Last; ++R)
            if (RowAttr(R) == raCrlf) ++Lines;
        Last = Lines;
    }
    const int N = std::max(0, Last + (Count > 0 && RowAttr(Count - 1) != raEof ? 1 : 0) + (L.GetZeroBase() ? 0 : 1));
    int Digits = 1;
    for (int V = N; V >= 10; V /= 10) ++Digits;
    const int Old = FLeftbarColumn;
    FLeftbarColumn = std::min(8, std::max(L.GetColumn(), Digits));
    return Old != FLeftbarColumn;
}
void TEditor::UpdateLeftbarWidth() {
    if (!HandleAllocated()) return;
    const TEditorLeftbar& L = *FLeftbar;
    FLeftbarWidth = L.GetVisible() ? L.GetLeftMargin() + FLeftbarColumn * FColWidth + L.GetRightMargin() + 2 : 0;
}
void TEditor::UpdateRulerHeight() {
    if (!HandleAllocated()) return;
    FRulerHeight = FRuler->GetVisible() ? (FRuler->GetEdge() ? 11 : 10) : 0;
}
void TEditor::BuildLeftbarEdge() {}
void TEditor::BuildCornerBitmap() {}
void TEditor::UpdateRulerBitmaps() {}
void TEditor::DrawRulerMark(int /*ACol*/) {}
void TEditor::EraseRulerMark(int /*ACol*/) {}
void TEditor::InvalidateLeftbarRows(int FromRow, int ToRow) {
    if (!HandleAllocated()) return;
    const int Lo = std::clamp(std::min(FromRow, ToRow), FTopRow, FTopRow + FRowCount);
    const int Hi = std::clamp(std::max(FromRow, ToRow), FTopRow, FTopRow + FRowCount);
    const int Left = FImagebar->GetVisible() ? FImagebarWidth : 0;
    FHost->InvalidateRect(Rect(Left, TextTop() + (Lo - FTopRow) * GetRowHeight(), Left + FLeftbarWidth,
                               TextTop() + (Hi - FTopRow + 1) * GetRowHeight()),
                          emNoErase);
}
void TEditor::LeftbarWidthChanged(int /*OldWidth*/, int /*NewWidth*/) { Invalidate(); }
