// TEditor's text-area painting: the row invalidation, the painter, the selection repaint and
// the caret-row underline.
#include "editor/control/editor.h"

#include <algorithm>

#include "editor/control/editor_screen.h"
#include "editor/model/screen_strings.h"

// ---- invalidation and painting -----------------------------------------------------------------

void TEditor::InvalidateRows(int FromRow, int ToRow) {
    if (!HandleAllocated()) return;
    const int Lo = std::clamp(std::min(FromRow, ToRow), FTopRow, FTopRow + FRowCount);
    const int Hi = std::clamp(std::max(FromRow, ToRow), FTopRow, FTopRow + FRowCount);
    const int Top = TextTop() + (Lo - FTopRow) * GetRowHeight();
    const int Bottom = TextTop() + (Hi - FTopRow) * GetRowHeight() + FFontHeight;
    FHost->InvalidateRect(Rect(0, Top, FWidth, Bottom), emNoErase);
    FHost->Update();
}

void TEditor::InvalidateRow(int ARow) {
    if (!HandleAllocated() || ARow < FTopRow || ARow > FTopRow + FRowCount) return;
    const int Top = TextTop() + (ARow - FTopRow) * GetRowHeight();
    FHost->InvalidateRect(Rect(TextLeft(), Top, FWidth, Top + FFontHeight), emNoErase);
}

// Text-area painting belongs to the painter; without it a window shows its background.
void TEditor::Paint() {}

void TEditor::RepaintSelection() {
    if (!HandleAllocated() || RowsCount() == 0) return;
    // Without the cell-wise painter, the rows of both frames are repainted whole.
    InvalidateRows(std::min(FPrevSelFrame.StartRow, FSelFrame.StartRow),
                   std::max(FPrevSelFrame.EndRow, FSelFrame.EndRow));
    FPrevSelFrame = FSelFrame;
}

// ---- caret-row underline -----------------------------------------------------------------------

int TEditor::GetUnderlineY(int ARow) const {
    if (!HandleAllocated()) return -1;
    const int Y = TextTop() + GetRowHeight() * (ARow - FTopRow) + FFontHeight;
    return Y <= TextTop() || Y >= FHeight ? -1 : Y;
}

void TEditor::DrawUnderline(int ARow) {
    if (!IsShowing()) return;
    const int Y = GetUnderlineY(ARow);
    if (Y == -1) return;
    TCaretUpdateGuard Caret(*this);
    TCanvas& C = FHost->Canvas();
    const TColor Mark = FMarks->GetUnderline()->GetColor();
    C.SetPenColor(Mark == clNoColor ? FFont.Color : Mark);
    C.MoveTo(TextLeft(), Y);
    C.LineTo(FWidth, Y);
}

void TEditor::EraseUnderline(int ARow) {
    if (!IsShowing()) return;
    const int Y = GetUnderlineY(ARow);
    if (Y == -1) return;
    TCaretUpdateGuard Caret(*this);
    TCanvas& C = FHost->Canvas();
    C.SetPenColor(FColor);
    C.MoveTo(TextLeft(), Y);
    C.LineTo(FWidth, Y);
}

// The count is kept with or without a window, so that brackets stay balanced.
void TEditor::HideUnderline() {
    if (FUnderlineHideCount++ == 0 && FMarks && FMarks->GetUnderline()->GetVisible() && !HasSelection())
        EraseUnderline(FRow);
}

void TEditor::ShowUnderline() {
    if (FUnderlineHideCount == 0) return;
    if (--FUnderlineHideCount == 0 && FMarks && FMarks->GetUnderline()->GetVisible() && !HasSelection())
        DrawUnderline(FRow);
}
