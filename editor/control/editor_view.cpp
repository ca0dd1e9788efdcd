// TEditor's view: metrics of the cell grid, the scroll positions and scroll bars, the
// scrolling of the window contents, and the caret's shape, place and visibility. Everything
// here does nothing while no window exists.
#include "editor/control/editor.h"

#include <algorithm>

#include "editor/control/editor_screen.h"
#include "editor/model/screen_strings.h"

// ---- metrics -----------------------------------------------------------------------------------

int TEditor::GetRowHeight() const {
    return (FMargin ? FMargin->GetUnderlineExtra() + FMargin->GetLine() : 0) + FFontHeight;
}

int TEditor::TextTop() const { return FMargin->GetTop() + (FRuler->GetVisible() ? FRulerHeight : 0); }

int TEditor::TextLeft() const {
    return FMargin->GetLeft() + (FImagebar->GetVisible() ? FImagebarWidth : 0) +
           (FLeftbar->GetVisible() ? FLeftbarWidth : 0);
}

// The bar sizes are measured last, from the new cell; when they moved the text area, the
// rows and columns are counted again, so that the counts never describe the previous layout.
void TEditor::UpdateMetrics() {
    if (!HandleAllocated()) return;
    TCanvas& C = FHost->Canvas();
    C.SetFont(FFont);
    const TTextMetric M = C.GetTextMetrics();
    FFontHeight = M.Height + M.ExternalLeading;
    FColWidth = FMargin->GetCharacter() + M.AveCharWidth;
    auto CountCells = [this] {
        int Available = FHeight - TextTop() - 5;
        if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) Available -= FHost->SystemMetric(SM_CYHSCROLL);
        FRowCount = std::max(1, Available / std::max(1, GetRowHeight()));
        UpdateColCount();
    };
    CountCells();
    const int OldTop = TextTop(), OldLeft = TextLeft();
    TFountain* F = ActiveFountain();
    FItalicMode = (FFont.Style & fsItalic) != 0 || (F && F->HasItalicColor(F));
    if (FRuler->GetVisible()) UpdateRulerHeight();
    if (FLeftbar->GetVisible()) {
        UpdateLeftbarColumn();
        UpdateLeftbarWidth();
    }
    UpdateImagebarWidth();
    if (TextTop() != OldTop || TextLeft() != OldLeft) CountCells();
}

void TEditor::UpdateColCount() {
    if (!HandleAllocated()) return;
    int Available = FWidth - TextLeft() - FColWidth / 2;
    if (FScrollBars == ssVertical || FScrollBars == ssBoth) Available -= FHost->SystemMetric(SM_CYVSCROLL);
    FColCount = FColWidth > 0 ? Available / FColWidth : 0;
}

void TEditor::UpdateScrollBars() {
    if (!HandleAllocated()) return;
    FMaxTopRow = std::max(0, RowsCount() + FRowCount - 1);
    FTopRow = std::min(FTopRow, FMaxTopRow);
    FTopCol = std::min(FTopCol, MaxCols - FColCount / 2);
    FScrollX = FTopCol * FColWidth;
    if (FScrollBars == ssVertical || FScrollBars == ssBoth) {
        TScrollInfo I;
        I.Min = 0;
        I.Max = std::max(FRowCount, FMaxTopRow);
        I.Page = FRowCount;
        I.Pos = FTopRow;
        I.TrackPos = FTopRow;
        FHost->SetScrollInfo(sbVertical, SIF_ALL, I);
    }
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) {
        TScrollInfo I;
        I.Min = 0;
        I.Max = FColCount / 2 + MaxCols;
        I.Page = FColCount;
        I.Pos = FTopCol;
        I.TrackPos = FTopCol;
        FHost->SetScrollInfo(sbHorizontal, SIF_ALL, I);
    }
}

void TEditor::RefreshView() {
    if (!HandleAllocated()) return;
    UpdateMetrics();
    UpdateScrollBars();
    Invalidate();
}

void TEditor::SetScrollBars(TEditorScrollStyle Value) {
    if (Value == FScrollBars) return;
    FScrollBars = Value;
    if (!HandleAllocated()) return;
    FHost->ShowScrollBar(sbHorizontal, Value == ssHorizontal || Value == ssBoth);
    FHost->ShowScrollBar(sbVertical, Value == ssVertical || Value == ssBoth);
    UpdateMetrics();
    UpdateScrollBars();
}

// ---- scrolling ---------------------------------------------------------------------------------

void TEditor::SetTopRow(int Value) {
    if (!HandleAllocated()) return;
    TCaretUpdateGuard Caret(*this);
    TUnderlineGuard Underline(*this);
    const int Old = FTopRow;
    FTopRow = std::max(0, std::min(Value, RowsCount()));
    const int Delta = std::clamp(Old - FTopRow, -(FRowCount + 1), FRowCount + 1);
    if (Delta * GetRowHeight() != 0) {
        // The image bar and the left bar scroll with the text; the ruler does not.
        ScrollText(0, Delta * GetRowHeight(), Rect(0, TextTop(), FWidth, FHeight));
        FHost->SetScrollPos(sbVertical, FTopRow);
        FollowImeWindow();
        DoTopRowChange();
    }
}

void TEditor::SetTopCol(int Value) {
    if (!HandleAllocated()) return;
    if (FRuler->GetVisible()) EraseRulerMark(FCol);
    TCaretUpdateGuard Caret(*this);
    const int Old = FTopCol;
    FTopCol = std::max(0, std::min(Value, MaxCols - FColCount / 2));
    const int Delta = (Old - FTopCol) * FColWidth;
    if (Delta != 0) {
        // The ruler scrolls with the text; the bars do not.
        ScrollText(Delta, 0, Rect(TextLeft(), 0, FWidth, FHeight));
        FHost->SetScrollPos(sbHorizontal, FTopCol);
        FollowImeWindow();
        DoTopColChange();
    }
    // The mark was erased before its cell moved; the repaint of the uncovered strip draws it
    // only when it lies inside that strip.
    if (FRuler->GetVisible()) DrawRulerMark(FCol);
}

void TEditor::ScrollText(int Dx, int Dy, const TRect& ClipRect) {
    if (!HandleAllocated()) return;
    TUnderlineGuard Underline(*this);
    FScrollX -= Dx;
    const TRect Uncovered = FHost->ScrollWindow(Dx, Dy, ClipRect);
    FHost->InvalidateRect(Uncovered, emNoErase);
    FHost->Update();
}

// ---- scroll bar messages -----------------------------------------------------------------------

void TEditor::WMVScroll(TMessage& Message) {
    Message.Result = 0;
    const uint32_t Request = LOWORD(Message.WParam);
    if (Request > SB_BOTTOM || !HandleAllocated()) return;
    int Delta = 0;
    switch (Request) {
    case SB_LINEUP: Delta = -1; break;
    case SB_LINEDOWN: Delta = 1; break;
    case SB_PAGEUP: Delta = std::min(-1, -FRowCount); break;
    case SB_PAGEDOWN: Delta = std::max(1, FRowCount); break;
    // The message carries 16 bits only; the bar's own track position has all 32.
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: Delta = FHost->GetScrollInfo(sbVertical).TrackPos - FTopRow; break;
    case SB_TOP: Delta = -FTopRow; break;
    case SB_BOTTOM: Delta = FMaxTopRow - FTopRow; break;
    default: break;
    }
    Delta = std::max(-FTopRow, std::min(Delta, FMaxTopRow - FTopRow));
    if (Delta == 0) return;
    SetTopRow(FTopRow + Delta);
    if (FCaret->LockScroll) SetRow(FRow + Delta);
}

void TEditor::WMHScroll(TMessage& Message) {
    Message.Result = 0;
    const uint32_t Request = LOWORD(Message.WParam);
    if (Request > SB_RIGHT || !HandleAllocated()) return;
    const int Last = FColCount / 2 + MaxCols;
    int Delta = 0;
    switch (Request) {
    case SB_LINELEFT: Delta = -1; break;
    case SB_LINERIGHT: Delta = 1; break;
    case SB_PAGELEFT: Delta = std::min(-1, -FColCount); break;
    case SB_PAGERIGHT: Delta = std::max(1, FColCount); break;
    // 16 bits are enough for the 1000 columns and a half page.
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: Delta = HIWORD(Message.WParam) - FTopCol; break;
    case SB_LEFT: Delta = -FTopCol; break;
    case SB_RIGHT: Delta = Last - FTopCol; break;
    default: break;
    }
    Delta = std::max(-FTopCol, std::min(Delta, Last - FTopCol));
    if (Delta != 0) SetTopCol(FTopCol + Delta);
}

// ---- invalidation and painting -----------------------------------------------------------------

void TEditor::Invalidate() {
    if (HandleAllocated()) FHost->Invalidate(emNoErase);
}

// ---- caret shape and place ---------------------------------------------------------------------

void TEditor::CreateCaretShape() {
    if (!HandleAllocated() || !Focused()) return;
    FHost->DestroyCaret();
    FCaretShown = false;
    if (FCaret->GetStyle() == csBrief) {
        int W = FColWidth - FMargin->GetCharacter();
        const std::string Map = ColumnMap(FRow);
        if (FCol >= 0 && FCol < static_cast<int>(Map.size()) && Map[static_cast<size_t>(FCol)] == cmLead) W *= 2;
        FHost->CreateCaret(W, 2);
    } else {
        FHost->CreateCaret(2, FFontHeight);
    }
}

void TEditor::PlaceCaret() {
    if (!HandleAllocated() || !Focused()) return;
    const int X = TextLeft() + (FCol - FTopCol) * FColWidth;
    int Y = TextTop() + GetRowHeight() * (FRow - FTopRow);
    if (FCaret->GetStyle() == csBrief) Y += FFontHeight - 2;
    FHost->SetCaretPos(X, Y);
    FollowImeWindow();
    DoCaretMoved();
}

void TEditor::ShowCaret() {
    if (FCaretHideCount != 0 || !HandleAllocated() || !Focused() || FCaretShown) return;
    if (FRow < FTopRow || FRow > FTopRow + FRowCount || FCol < FTopCol || FCol > FTopCol + FColCount) return;
    FHost->ShowCaret();
    FCaretShown = true;
}

void TEditor::HideCaret() {
    if (!HandleAllocated() || !FCaretShown) return;
    FHost->HideCaret();
    FCaretShown = false;
}

// ---- input method --------------------------------------------------------------------------------

void TEditor::UpdateImeWindow() {
    FImeWindowPending = false;
    if (!HandleAllocated()) return;
    const TPoint P{TextLeft() + (FCol - FTopCol) * FColWidth, TextTop() + GetRowHeight() * (FRow - FTopRow)};
    FHost->SetImeCompositionWindow(P, FFont);
}

// While a key repeats, the composition window would be moved at every step; it moves once
// when the key is released.
void TEditor::FollowImeWindow() {
    if (FKeyRepeating)
        FImeWindowPending = true;
    else
        UpdateImeWindow();
}
