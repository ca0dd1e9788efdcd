// TEditor's window: creation, the text messages, metrics and scrolling, invalidation, the
// caret's shape and place, and the caret-row underline. Everything here does nothing while
// no window exists.
#include "editor/control/editor.h"

#include <algorithm>

#include "editor/control/editor_screen.h"
#include "editor/model/screen_strings.h"

// ---- the window ------------------------------------------------------------------------------

TCreateParams TEditor::CreateParams() const {
    TCreateParams P;
    P.Style = WS_CHILD;
    if (FVisible) P.Style |= WS_VISIBLE;
    if (FTabStop) P.Style |= WS_TABSTOP;
    if (FBorderStyle == bsSingle) {
        if (FCtl3D)
            P.ExStyle |= WS_EX_CLIENTEDGE;
        else
            P.Style |= WS_BORDER;
    }
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) P.Style |= WS_HSCROLL;
    if (FScrollBars == ssVertical || FScrollBars == ssBoth) P.Style |= WS_VSCROLL;
    P.Width = FWidth;
    P.Height = FHeight;
    return P;
}

void TEditor::CreateWnd(TUiForm* Parent) {
    if (HandleAllocated() || WindowFactory() == nullptr) return;
    FParentForm = Parent;
    AttachHost(WindowFactory()->CreateWindowHost(*this, CreateParams(), Parent));
}

void TEditor::AttachHost(std::unique_ptr<TWindowHost> Host) {
    FHost = std::move(Host);
    if (FHost) WindowCreated();
}

void TEditor::DestroyWnd() {
    FCaretShown = false;
    FHost.reset();
}

void TEditor::RecreateWnd() {
    if (!HandleAllocated()) return;
    const TCreateParams P = CreateParams();
    FHost->SetStyle(P.Style, P.ExStyle);
    WindowCreated();
}

void TEditor::WindowCreated() {
    FHost->SetBackgroundColor(FColor);
    FHost->SetCursor(FCursor);
    UpdateMetrics();
    UpdateScrollBars();
    BuildLeftbarEdge();
    UpdateRulerBitmaps();
    BuildCornerBitmap();
}

void TEditor::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETTEXT:
        Message.Result = GetTextBuf(reinterpret_cast<char*>(Message.LParam), static_cast<int>(Message.WParam));
        return;
    case WM_GETTEXTLENGTH:
        Message.Result = GetTextLen();
        return;
    case WM_SETTEXT:
        if (Message.LParam != 0) SetTextBuf(reinterpret_cast<const char*>(Message.LParam));
        Message.Result = 1;
        return;
    case WM_GETDLGCODE:
        if (FHost) FHost->DefWindowProc(Message);
        Message.Result |= DLGC_WANTARROWS | DLGC_WANTCHARS;
        if (WantTabs) Message.Result |= DLGC_WANTTAB;
        if (WantReturns) Message.Result |= DLGC_WANTALLKEYS;
        return;
    case WM_SIZE:
        if (FHost) {
            const TRect B = FHost->BoundsRect();
            FWidth = B.Width();
            FHeight = B.Height();
        }
        RefreshView();
        Message.Result = 0;
        return;
    case WM_PAINT:
        Paint();
        return;
    default:
        if (FHost) FHost->DefWindowProc(Message);
    }
}

// ---- metrics -----------------------------------------------------------------------------------

int TEditor::GetRowHeight() const {
    return (FMargin ? FMargin->GetUnderlineExtra() + FMargin->GetLine() : 0) + FFontHeight;
}

int TEditor::TextTop() const { return FMargin->GetTop() + (FRuler->GetVisible() ? FRulerHeight : 0); }

int TEditor::TextLeft() const {
    return FMargin->GetLeft() + (FImagebar->GetVisible() ? FImagebarWidth : 0) +
           (FLeftbar->GetVisible() ? FLeftbarWidth : 0);
}

void TEditor::UpdateMetrics() {
    if (!HandleAllocated()) return;
    TCanvas& C = FHost->Canvas();
    C.SetFont(FFont);
    const TTextMetric M = C.GetTextMetrics();
    FFontHeight = M.Height + M.ExternalLeading;
    FColWidth = FMargin->GetCharacter() + M.AveCharWidth;
    int Available = FHeight - TextTop() - 5;
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) Available -= FHost->SystemMetric(SM_CYHSCROLL);
    const int Pitch = std::max(1, GetRowHeight());
    FRowCount = std::max(1, Available / Pitch);
    UpdateColCount();
    TFountain* F = ActiveFountain();
    FItalicMode = (FFont.Style & fsItalic) != 0 || (F && F->HasItalicColor(F));
    if (FRuler->GetVisible()) UpdateRulerHeight();
    if (FLeftbar->GetVisible()) {
        UpdateLeftbarColumn();
        UpdateLeftbarWidth();
    }
    UpdateImagebarWidth();
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
        ScrollText(0, Delta * GetRowHeight(), Rect(0, TextTop(), FWidth, FHeight));
        FHost->SetScrollPos(sbVertical, FTopRow);
        if (FKeyRepeating)
            FImeWindowPending = true;
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
        ScrollText(Delta, 0, Rect(TextLeft(), 0, FWidth, FHeight));
        FHost->SetScrollPos(sbHorizontal, FTopCol);
        if (FKeyRepeating)
            FImeWindowPending = true;
        DoTopColChange();
    }
}

void TEditor::ScrollText(int Dx, int Dy, const TRect& ClipRect) {
    if (!HandleAllocated()) return;
    TUnderlineGuard Underline(*this);
    FScrollX -= Dx;
    const TRect Uncovered = FHost->ScrollWindow(Dx, Dy, ClipRect);
    FHost->InvalidateRect(Uncovered, emNoErase);
    FHost->Update();
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
    if (FKeyRepeating)
        FImeWindowPending = true;
    else
        FHost->SetImeCompositionWindow(TPoint{X, Y}, FFont);
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
