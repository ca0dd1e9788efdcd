// TEditor's text-area painting: the rows in the colours of the colouring scheme, the
// selection and hit colours, the end-of-row and end-of-file marks, dotted underlines, the
// caret-row underline, the selection repaint and the row invalidation.
#include "editor/control/editor.h"

#include <algorithm>
#include <cstring>

#include "editor/colouring/fountain_parser.h"
#include "editor/control/dot_lines.h"
#include "editor/control/editor_screen.h"
#include "editor/control/editor_view_info.h"
#include "editor/model/screen_strings.h"
#include "platform/cp932.h"

namespace {

TColor Or(TColor Value, TColor Default) {
    return Value == clNoColor ? Default : Value;
}

// Whether byte 999 (column 999) of a text longer than 1000 bytes starts a double-byte
// character; the row then shows 1001 bytes.
bool LeadAtColumnLimit(std::string_view Text) {
    constexpr size_t Last = TEditor::MaxCols - 1;
    if (Text.size() <= TEditor::MaxCols) return false;
    size_t I = 0;
    while (I < Last) I += cp932::IsLeadByte(Text[I]) ? 2 : 1;
    return I == Last && cp932::IsLeadByte(Text[Last]);
}

// The bytes of Text that are drawn: at most 1000, or 1001 after a lead byte in column 999.
size_t DrawnBytes(std::string_view Text) {
    if (Text.size() <= TEditor::MaxCols) return Text.size();
    return LeadAtColumnLimit(Text) ? TEditor::MaxCols + 1 : TEditor::MaxCols;
}

// Whether byte Index of Text is the second byte of a double-byte character.
bool IsTrailAt(std::string_view Text, int Index) {
    if (Index <= 0 || Index >= static_cast<int>(Text.size())) return false;
    int I = 0;
    while (I < Index) I += cp932::IsLeadByte(Text[static_cast<size_t>(I)]) ? 2 : 1;
    return I > Index;
}

// The pixel patterns of the line marks; the pen is set by the caller.
void RetMarkLines(TCanvas& C, int X, int Y, int H, int W) {
    const int D = std::max(1, H / 8), F = std::max(D, 3), Cx = X + W / 2, B = Y + H - 2 * D;
    C.MoveTo(Cx, Y + 2 * D);
    C.LineTo(Cx, B);
    C.LineTo(Cx + F, B - F);
    C.MoveTo(Cx, B);
    C.LineTo(Cx - F, B - F);
}

void WrapMarkLines(TCanvas& C, int X, int Y, int H, int W) {
    const int E = std::max(2, W * 3 / 5), Cy = Y + H / 2;
    C.MoveTo(X + W, Cy - E);
    C.LineTo(X + W - E, Cy);
    C.LineTo(X + W + 1, Cy + E + 1);
}

void HideMarkLines(TCanvas& C, int X, int Y, int H, int W) {
    const int E = std::max(2, W * 3 / 5), Cy = Y + H / 2;
    C.MoveTo(X + W - E, Cy - E);
    C.LineTo(X + W, Cy);
    C.LineTo(X + W - E - 1, Cy + E + 1);
}

} // namespace

// ---- dotted lines ------------------------------------------------------------------------------

void DrawDotLine(TCanvas& Canvas, int X, int Y, TColor BkColor, TColor Color, int Length) {
    Canvas.SetBrushColor(BkColor);
    Canvas.FillRect(Rect(X, Y, X + Length, Y + 1));
    bool Dot = true;
    LineDDA(X, Y, X + Length, Y, [&](int PX, int PY) {
        if (Dot) Canvas.SetPixel(PX, PY, Color);
        Dot = !Dot;
    });
}

const TBitmap& TDotLineCollection::DotLineBitmap(TColor Color, TColor BkColor) {
    for (const TDotLineItem& I : FItems)
        if (I.Color == Color && I.BkColor == BkColor) return *I.Bitmap;
    TDotLineItem Item{Color, BkColor, std::make_unique<TBitmap>(BitmapWidth, 1)};
    DrawDotLine(Item.Bitmap->Canvas(), 0, 0, BkColor, Color, BitmapWidth);
    FItems.push_back(std::move(Item));
    return *FItems.back().Bitmap;
}

TDotLineCollection& DotLines() {
    static TDotLineCollection Cache;
    return Cache;
}

void DrawDotUnderline(TCanvas& Canvas, int X1, int Y, TColor BkColor, TColor Color, int X2) {
    const TBitmap& B = DotLines().DotLineBitmap(Color, BkColor);
    // The bitmap is an even number of pixels wide, so the pattern goes on across pieces.
    for (int X = X1; X < X2; X += TDotLineCollection::BitmapWidth)
        Canvas.BitBlt(X, Y, std::min(X2 - X, TDotLineCollection::BitmapWidth), 1, B, 0, 0, SRCCOPY);
}

// ---- the paint hook and the areas --------------------------------------------------------------

void TEditor::Paint() {
    if (HandleAllocated()) PaintRect(FHost->Canvas().ClipRect());
}

void TEditor::PaintRect(const TRect& ARect) {
    if (!IsShowing() || FColWidth <= 0 || GetRowHeight() <= 0) return;
    TCanvas& C = FHost->Canvas();
    const int TL = TextLeft(), TT = TextTop(), RH = GetRowHeight();
    const int BarsRight = FImagebarWidth + FLeftbarWidth;
    auto Hits = [&](const TRect& Area) { return !IntersectRect(ARect, Area).IsEmpty(); };
    const bool CornerHit = Hits(Rect(0, 0, TL, TT));
    const bool RulerHit = FRuler->GetVisible() && Hits(Rect(TL, 0, FWidth, FRulerHeight));
    const bool ImageHit = FImagebar->GetVisible() && Hits(Rect(0, TT, FImagebarWidth, FHeight));
    const bool LeftHit = FLeftbar->GetVisible() && Hits(Rect(FImagebarWidth, TT, BarsRight, FHeight));
    const bool TextHit = Hits(Rect(TL, TT, FWidth, FHeight));
    // No underline while a selection exists.
    const bool Underline = FMarks->GetUnderline()->GetVisible() && FUnderlineHideCount == 0 &&
                           !HasSelection() && GetUnderlineY(FRow) != -1;

    // The rectangle on the grid: whole columns, whole row slots.
    const int Left = std::max(TL, TL + FColWidth * ((ARect.Left - TL) / FColWidth));
    int Top = std::max(TT, ARect.Top);
    Top = TT + (Top - TT) / RH * RH;
    const int Bottom = ARect.Bottom > Top ? TT + (ARect.Bottom - TT + RH - 1) / RH * RH : Top;
    const int First = (Top - TT) / RH + FTopRow;
    const int Last = First + (Bottom - Top) / RH - 1;

    TCaretUpdateGuard Caret(*this);
    if (CornerHit && FCornerBitmap && !FCornerBitmap->Empty()) C.Draw(0, 0, *FCornerBitmap);
    if (RulerHit) DrawRuler();
    if (First <= Last) {
        if (LeftHit) DrawLeftbarRows(First, Last);
        if (ImageHit) DrawImagebarRows(First, Last);
    }
    // The margins between the bars and the text and below the ruler.
    C.SetBrushStyle(bsSolid);
    C.SetBrushColor(FColor);
    const TRect Gaps[] = {
        IntersectRect(ARect, Rect(BarsRight, TT, TL, FHeight)),
        IntersectRect(ARect, Rect(TL, FRuler->GetVisible() ? FRulerHeight : 0, FWidth, TT))};
    for (const TRect& G : Gaps)
        if (!G.IsEmpty()) C.FillRect(G);

    if (TextHit && First <= Last) {
        TFountain* F = ActiveFountain();
        std::unique_ptr<TFountainParser> Parser = F ? F->CreateParser() : nullptr;
        const TColumnParams Params = ColumnParams();
        const bool SelectionDrawn =
            FSelectionState == selSelected || (FSelectionState == selHit && FHitStyle == hsDraw);
        const int Extra = HasSelection() ? FMargin->GetUnderlineExtra() : 0;
        TRect Row = Rect(Left, Top, ARect.Right, Top + FFontHeight + Extra);
        const int X = TL - FScrollX;
        const int Count = RowsCount();
        for (int R = First; R <= Last; ++R) {
            if (R < Count) {
                const std::string_view Text = DisplayRowText(R, Params);
                if (SelectionDrawn)
                    DrawRowWithSelection(Row, X, Parser.get(), R, Text, Row.Top);
                else
                    DrawRow(Row, X, Parser.get(), R, Text, Row.Top);
            } else {
                C.SetBrushStyle(bsSolid);
                C.SetBrushColor(FColor);
                C.FillRect(Row);
                if (FMarks->GetEofMark()->GetVisible() && R == Count &&
                    (Count == 0 || RowAttr(Count - 1) != raEof))
                    DrawEofMark(X, Row.Top);
            }
            // The pixel rows between row slots (line margin, underline row).
            if (Row.Bottom < Row.Top + RH) {
                C.SetBrushStyle(bsSolid);
                C.SetBrushColor(FColor);
                C.FillRect(Rect(Row.Left, Row.Bottom, Row.Right, Row.Top + RH));
            }
            Row = OffsetRect(Row, 0, RH);
        }
    }
    if (Underline) DrawUnderline(FRow);
}

std::string_view TEditor::DisplayRowText(int ARow, const TColumnParams& Params) {
    const std::string_view Row = FList->RowView(ARow);
    if (Row.find('\t') == std::string_view::npos) return Row;
    FPaintText.clear();
    int Width = 0;
    for (size_t I = 0; I < Row.size();) {
        const char B = Row[I];
        if (I + 1 < Row.size() && cp932::IsLeadByte(B)) {
            FPaintText.append(Row.data() + I, 2);
            Width += 2;
            I += 2;
        } else if (B == '\t') {
            const int Stop = TabStop(Width, Params);
            FPaintText.append(static_cast<size_t>(Stop - Width), ' ');
            Width = Stop;
            ++I;
        } else {
            FPaintText.push_back(B);
            ++Width;
            ++I;
        }
    }
    return FPaintText;
}

// ---- rows --------------------------------------------------------------------------------------

void TEditor::DrawRow(const TRect& R, int X, TFountainParser* Parser, int ARow, std::string_view Text,
                      int Y) {
    if (!IsShowing()) return;
    if (FList->GetBracketIndex(ARow) == -2) FList->UpdateRowAttributes(ARow, false);
    TCanvas& C = FHost->Canvas();
    C.SetFont(FFont);
    C.SetBrushStyle(bsSolid);
    C.SetBrushColor(FColor);
    DrawRowBody(R, X, Parser, ARow, Text, Y, false);
}

void TEditor::DrawSelectedRow(const TRect& R, int X, TFountainParser* Parser, int ARow, std::string_view Text,
                              int Y) {
    if (!IsShowing()) return;
    if (FList->GetBracketIndex(ARow) == -2) FList->UpdateRowAttributes(ARow, false);
    const TEditorColors& Colors = *FView->GetColors();
    const TFountainColor* S = FSelectionState == selHit ? Colors.GetHit() : Colors.GetSelect();
    TCanvas& C = FHost->Canvas();
    TFont Font = FFont;
    Font.Color = Or(S->GetColor(), FColor);
    C.SetFont(Font);
    C.SetBrushStyle(bsSolid);
    C.SetBrushColor(Or(S->GetBkColor(), FFont.Color));
    DrawRowBody(R, X, Parser, ARow, Text, Y, true);
}

// What DrawRow and DrawSelectedRow share once the canvas holds the row's font and brush:
// the background (with the text itself unless italics could overhang), the tokens, the
// OnDrawLine event and the row-end mark.
void TEditor::DrawRowBody(const TRect& R, int X, TFountainParser* Parser, int ARow, std::string_view Text, int Y,
                          bool Selected) {
    TCanvas& C = FHost->Canvas();
    if (FItalicMode)
        C.FillRect(R);
    else
        TextOutCells(R, X, etoOpaque | etoClipped, Text, Y);
    const int Len = static_cast<int>(Text.size());
    if ((Len + 5) * FColWidth < FScrollX) return;
    TRect Clip = R;
    Clip.Right = std::min(R.Right, TextLeft() + MaxCols * FColWidth - FScrollX);
    const std::string_view Line = Len > 0 ? DrawRowTokens(Clip, X, Parser, ARow, Text, Y, Selected) : Text;
    DoDrawLine(R, X, Selected, ARow, Line, Y);
    DrawRowEndMark(R, X, ARow, Text, Y, Selected);
}

std::string_view TEditor::DrawRowTokens(TRect Clip, int X, TFountainParser* Parser, int ARow,
                                        std::string_view Text, int Y, bool Selected) {
    const int Len = static_cast<int>(Text.size());
    std::string_view Line = Text;
    if (GetWordWrap() && ARow < RowsCount() - 1 && FList->GetRowAttribute(ARow) == raWrapped) {
        FPaintJoin.assign(Text);
        FPaintJoin.append(FList->RowView(ARow + 1));
        Line = FPaintJoin;
        Clip.Right = std::min(Clip.Right, X + Len * FColWidth);
    }
    if (Parser == nullptr) return Line;
    TRowAttributeData Data;
    FList->GetRowAttributeData(ARow, Data);
    Parser->NewData(Line, Data);

    TCanvas& C = FHost->Canvas();
    const TEditorColors& Colors = *FView->GetColors();
    const TFountainColor* S = FSelectionState == selHit ? Colors.GetHit() : Colors.GetSelect();
    const TColor SelBk = Or(S->GetBkColor(), FFont.Color), SelFg = Or(S->GetColor(), FColor);
    const int TL = TextLeft();
    TFont Font = FFont;
    for (;;) {
        if (Parser->NextToken() == tokEnd) break;
        const int Start = Parser->SourcePos();
        if (Start >= Len) break;
        const int TX = X + Start * FColWidth;
        if (TX + Parser->TokenLength() * FColWidth < TL || TX > Clip.Right) {
            if (TX > Clip.Right) break;
            continue;
        }
        const TFountainColor* FC = Parser->TokenToFountainColor();
        TColor Bk = FColor, Fg = FFont.Color;
        TFontStyles Style = FFont.Style;
        if (Selected) {
            if (FC != nullptr) Style = FC->GetStyle();
            if (!FItalicMode && (FC == nullptr || Style == FFont.Style)) continue;
            Bk = SelBk;
            Fg = SelFg;
        } else {
            if (FC != nullptr) {
                Bk = Or(FC->GetBkColor(), FColor);
                Fg = Or(FC->GetColor(), FFont.Color);
                Style = FC->GetStyle();
            }
            if (!FItalicMode && Bk == FColor && Fg == FFont.Color && Style == FFont.Style) continue;
        }
        Font.Color = Fg;
        Font.Style = Style;
        C.SetFont(Font);
        C.SetBrushColor(Bk);
        // In italic mode the fill is already there: glyphs go over it, so that a slanted
        // glyph is not cut by its neighbour's cell background.
        C.SetBrushStyle(FItalicMode && (Selected || Bk == FColor) ? bsClear : bsSolid);
        TextOutCells(Clip, TX, etoClipped, Parser->TokenString(), Y);
    }
    C.SetBrushStyle(bsSolid);
    return Line;
}

void TEditor::DrawRowEndMark(const TRect& R, int X, int ARow, std::string_view Text, int Y, bool Selected) {
    const int Len = static_cast<int>(Text.size());
    const int Limit = TextLeft() + MaxCols * FColWidth - FScrollX;
    const int End = X + Len * FColWidth;
    const int MarkX = LeadAtColumnLimit(Text) ? Limit + FColWidth : std::min(End, Limit);
    if (MarkX >= R.Right || MarkX + FColWidth <= R.Left) return;
    const TRowAttribute A = FList->GetRowAttribute(ARow);
    if (Len <= MaxCols || MarkX >= End) {
        if (FMarks->GetEofMark()->GetVisible() && ARow == RowsCount() - 1 && A == raEof)
            DrawEofMark(MarkX, Y);
        else if (FMarks->GetRetMark()->GetVisible() && A == raCrlf)
            Selected ? DrawSelectedRetMark(MarkX, Y) : DrawRetMark(MarkX, Y);
        else if (FMarks->GetWrapMark()->GetVisible() && A == raWrapped)
            Selected ? DrawSelectedWrapMark(MarkX, Y) : DrawWrapMark(MarkX, Y);
    } else if (FMarks->GetHideMark()->GetVisible()) {
        Selected ? DrawSelectedHideMark(MarkX, Y) : DrawHideMark(MarkX, Y);
    }
}

int TEditor::SelX(int ACol) const {
    return std::max(TextLeft(), TextLeft() + (ACol - FTopCol) * FColWidth);
}

void TEditor::DrawRowWithSelection(const TRect& R, int X, TFountainParser* Parser, int ARow,
                                   std::string_view Text, int Y) {
    const TSelectionFrame& S = FSelFrame;
    if (ARow < S.StartRow || ARow > S.EndRow) {
        DrawRow(R, X, Parser, ARow, Text, Y);
        return;
    }
    auto Part = [&](TRect P, bool Selected) {
        P = IntersectRect(P, R);
        if (P.IsEmpty()) return;
        if (Selected)
            DrawSelectedRow(P, X, Parser, ARow, Text, Y);
        else
            DrawRow(P, X, Parser, ARow, Text, Y);
    };
    if (FSelectionMode == smBox) {
        Part(SelectionColsRect(Text, ARow, 0, S.StartCol), false);
        Part(SelectionColsRect(Text, ARow, S.StartCol, S.EndCol), true);
        TRect After = SelectionColsRect(Text, ARow, S.EndCol, S.EndCol + FColCount);
        After.Right = FWidth;
        Part(After, false);
        return;
    }
    const int TL = TextLeft(), XS = SelX(S.StartCol), XE = SelX(S.EndCol);
    auto Span = [&](int L, int Rt) { return Rect(L, R.Top, Rt, R.Bottom); };
    if (S.StartRow == S.EndRow) {
        Part(Span(TL, XS), false);
        Part(Span(XS, XE), true);
        Part(Span(XE, FWidth), false);
    } else if (ARow == S.StartRow) {
        Part(Span(TL, XS), false);
        Part(Span(XS, FWidth), true);
    } else if (ARow == S.EndRow) {
        Part(Span(TL, XE), true);
        Part(Span(XE, FWidth), false);
    } else {
        DrawSelectedRow(R, X, Parser, ARow, Text, Y);
    }
}

TRect TEditor::SelectionColsRect(std::string_view Text, int ARow, int From, int To) const {
    const int Len = static_cast<int>(Text.size());
    From = std::clamp(From, 0, Len);
    To = std::clamp(To, 0, Len);
    const int TL = TextLeft();
    auto XOf = [&](int Col) {
        const int X = TL + Col * FColWidth - FScrollX + (IsTrailAt(Text, Col) ? FColWidth : 0);
        return std::max(X, TL);
    };
    const int Top = TextTop() + GetRowHeight() * (ARow - FTopRow);
    return Rect(XOf(From), Top, XOf(To), Top + FFontHeight + FMargin->GetUnderlineExtra());
}

// ---- cells and marks ---------------------------------------------------------------------------

void TEditor::TextOutCells(const TRect& R, int X, TTextOutOptions Options, std::string_view Text, int Y) {
    if (!IsShowing()) return;
    TCanvas& C = FHost->Canvas();
    bool Dotted = false;
    if ((C.GetFont().Style & fsUnderline) != 0) {
        TFont F = C.GetFont();
        F.Style = static_cast<TFontStyles>(F.Style & ~fsUnderline);
        C.SetFont(F);
        Dotted = true;
    }
    const size_t N = DrawnBytes(Text);
    C.ExtTextOut(X, Y, Options, R, Text.substr(0, N), FColWidth);
    const int End = X + static_cast<int>(N) * FColWidth;
    if (Dotted && X < R.Right && R.Left < End)
        DrawDotUnderline(C, std::max(X, R.Left), Y + FFontHeight - 1, C.GetBrushColor(), C.GetFont().Color,
                         std::min(End, R.Right));
}

void TEditor::DrawEofMark(int X, int Y) {
    if (!IsShowing()) return;
    const int TL = TextLeft(), TT = TextTop();
    const TRect R = Rect(std::clamp(X, TL, FWidth), std::clamp(Y, TT, FHeight),
                         std::clamp(X + 6 * FColWidth, TL, FWidth), std::clamp(Y + FFontHeight, TT, FHeight));
    TCanvas& C = FHost->Canvas();
    TFont F = FFont;
    F.Color = Or(FMarks->GetEofMark()->GetColor(), FFont.Color);
    C.SetFont(F);
    C.SetBrushStyle(bsSolid);
    C.SetBrushColor(FColor);
    TCaretUpdateGuard Caret(*this);
    TextOutCells(R, X, etoOpaque | etoClipped, "[EOF]", Y);
}

void TEditor::DrawRetMark(int X, int Y) {
    if (X < TextLeft() || !IsShowing()) return;
    FHost->Canvas().SetPenColor(Or(FMarks->GetRetMark()->GetColor(), FFont.Color));
    RetMarkLines(FHost->Canvas(), X, Y, FFontHeight, FColWidth);
}

void TEditor::DrawWrapMark(int X, int Y) {
    if (X < TextLeft() || !IsShowing()) return;
    FHost->Canvas().SetPenColor(Or(FMarks->GetWrapMark()->GetColor(), FFont.Color));
    WrapMarkLines(FHost->Canvas(), X, Y, FFontHeight, FColWidth);
}

void TEditor::DrawHideMark(int X, int Y) {
    if (X < TextLeft() || !IsShowing()) return;
    FHost->Canvas().SetPenColor(Or(FMarks->GetHideMark()->GetColor(), FFont.Color));
    HideMarkLines(FHost->Canvas(), X, Y, FFontHeight, FColWidth);
}

namespace {
TColor SelectedMarkColor(const TEditorColors& Colors, bool Hit, TColor Background) {
    return Or((Hit ? Colors.GetHit() : Colors.GetSelect())->GetColor(), Background);
}
} // namespace

void TEditor::DrawSelectedRetMark(int X, int Y) {
    if (X < TextLeft() || !IsShowing()) return;
    FHost->Canvas().SetPenColor(SelectedMarkColor(*FView->GetColors(), FSelectionState == selHit, FColor));
    RetMarkLines(FHost->Canvas(), X, Y, FFontHeight, FColWidth);
}

void TEditor::DrawSelectedWrapMark(int X, int Y) {
    if (X < TextLeft() || !IsShowing()) return;
    FHost->Canvas().SetPenColor(SelectedMarkColor(*FView->GetColors(), FSelectionState == selHit, FColor));
    WrapMarkLines(FHost->Canvas(), X, Y, FFontHeight, FColWidth);
}

void TEditor::DrawSelectedHideMark(int X, int Y) {
    if (X < TextLeft() || !IsShowing()) return;
    FHost->Canvas().SetPenColor(SelectedMarkColor(*FView->GetColors(), FSelectionState == selHit, FColor));
    HideMarkLines(FHost->Canvas(), X, Y, FFontHeight, FColWidth);
}

void TEditor::DoDrawLine(const TRect& ARect, int X, bool Selected, int Index, std::string_view LineStr,
                         int Y) {
    if (OnDrawLine) OnDrawLine(this, LineStr, X, Y, Index, ARect, Selected);
}

// ---- the selection repaint ---------------------------------------------------------------------

void TEditor::PaintSelectionBand(TFountainParser* Parser, const TColumnParams& Params, int ARow, int Left,
                                 int Right, bool Selected) {
    if (ARow < FTopRow || ARow > FTopRow + FRowCount || ARow < 0 || ARow >= RowsCount() || Left >= Right)
        return;
    const int Top = TextTop() + GetRowHeight() * (ARow - FTopRow);
    const TRect R = Rect(Left, Top, Right, Top + FFontHeight + FMargin->GetUnderlineExtra());
    const std::string_view Text = DisplayRowText(ARow, Params);
    if (Selected)
        DrawSelectedRow(R, TextLeft() - FScrollX, Parser, ARow, Text, Top);
    else
        DrawRow(R, TextLeft() - FScrollX, Parser, ARow, Text, Top);
}

void TEditor::PaintSelectionCols(TFountainParser* Parser, const TColumnParams& Params, int ARow, int From,
                                 int To, bool ToRightEdge, bool Selected) {
    if (ARow < FTopRow || ARow > FTopRow + FRowCount || ARow < 0 || ARow >= RowsCount()) return;
    const std::string_view Text = DisplayRowText(ARow, Params);
    TRect R = SelectionColsRect(Text, ARow, From, To);
    if (ToRightEdge) R.Right = FWidth;
    if (R.IsEmpty()) return;
    if (Selected)
        DrawSelectedRow(R, TextLeft() - FScrollX, Parser, ARow, Text, R.Top);
    else
        DrawRow(R, TextLeft() - FScrollX, Parser, ARow, Text, R.Top);
}

void TEditor::RepaintSelection() {
    if (!IsShowing() || RowsCount() == 0) return;
    // The frame as drawn is recorded on every path.
    struct TRecordFrame {
        TEditor& E;
        ~TRecordFrame() { E.FPrevSelFrame = E.FSelFrame; }
    } Record{*this};
    TCaretUpdateGuard Caret(*this);
    TFountain* F = ActiveFountain();
    std::unique_ptr<TFountainParser> Parser = F ? F->CreateParser() : nullptr;
    TFountainParser* P = Parser.get();
    const TColumnParams Params = ColumnParams();
    const int SR = FSelFrame.StartRow, ER = FSelFrame.EndRow, SC = FSelFrame.StartCol, EC = FSelFrame.EndCol;
    const int OSR = FPrevSelFrame.StartRow, OER = FPrevSelFrame.EndRow, OSC = FPrevSelFrame.StartCol,
              OEC = FPrevSelFrame.EndCol;
    const int AC = FAnchorCol, TL = TextLeft(), W = FWidth;
    // Rows From .. To, limited to the visible and existing rows.
    auto ForRows = [&](int From, int To, auto&& Proc) {
        const int Lo = std::max({From, FTopRow, 0});
        const int Hi = std::min({To, FTopRow + FRowCount, RowsCount() - 1});
        for (int R = Lo; R <= Hi; ++R) Proc(R);
    };
    auto Exists = [&](int R) { return R >= 0 && R < RowsCount(); };
    auto Band = [&](int R, int L, int Rt, bool Sel) { PaintSelectionBand(P, Params, R, L, Rt, Sel); };
    auto Cols = [&](int R, int From, int To, bool ToEdge, bool Sel) {
        PaintSelectionCols(P, Params, R, From, To, ToEdge, Sel);
    };

    if (FSelectionMode == smBox) {
        // Rows that left the box.
        if (ER < OER)
            ForRows(ER + 1, OER, [&](int R) { Band(R, TL, W, false); });
        else if (OSR < SR)
            ForRows(OSR, SR - 1, [&](int R) { Band(R, TL, W, false); });
        // Columns that left it.
        if (EC < OEC)
            ForRows(SR, ER, [&](int R) { Cols(R, EC, EC + FColCount, true, false); });
        else if (OSC < SC)
            ForRows(SR, ER, [&](int R) { Cols(R, 0, SC, false, false); });
        // Rows, then columns, that entered it.
        if (OER < ER)
            ForRows(OER, ER, [&](int R) { Cols(R, SC, EC, false, true); });
        else if (SR < OSR)
            ForRows(SR, OSR, [&](int R) { Cols(R, SC, EC, false, true); });
        if (OEC < EC || SC < OSC) ForRows(SR, ER, [&](int R) { Cols(R, SC, EC, false, true); });
        return;
    }

    // Cells that left the selection.
    if (ER < OER) {
        ForRows(ER, OER, [&](int R) { Band(R, R == ER ? SelX(EC) : TL, W, false); });
        if (OSR < ER) return;
    } else if (OSR < SR) {
        ForRows(OSR, SR, [&](int R) { Band(R, TL, R == SR ? SelX(SC) : W, false); });
        if (OER < SR) return;
    } else if (OSR == OER && ((OSC < AC && OER < ER) || (AC < OEC && SR < OSR))) {
        Band(OSR, SelX(OSC), SelX(OEC), false);
    }
    if (SR == OSR && ER == OER) {
        if (EC < OEC && Exists(ER))
            Band(ER, SelX(EC), SelX(OEC), false);
        else if (OSC < SC)
            Band(SR, SelX(OSC), SelX(SC), false);
    }
    // Cells that entered it.
    if (OER < ER) {
        ForRows(OER, ER, [&](int R) { Band(R, R == OER ? SelX(OEC) : TL, R == ER ? SelX(EC) : W, true); });
    } else if (SR < OSR) {
        ForRows(SR, OSR, [&](int R) { Band(R, R == SR ? SelX(SC) : TL, R == OSR ? SelX(OSC) : W, true); });
    } else if (SR == ER && ((SC < AC && ER < OER) || (AC < EC && OSR < SR))) {
        Band(SR, SelX(SC), SelX(EC), true);
    } else if (SR == OSR && ER == OER) {
        if (OEC < EC && Exists(ER))
            Band(ER, SelX(OEC), SelX(EC), true);
        else if (SC < OSC)
            Band(SR, SelX(SC), SelX(OSC), true);
    }
}

// ---- invalidation ------------------------------------------------------------------------------

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
