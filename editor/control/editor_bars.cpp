// TEditor's bars: the image bar with the row marks, the left bar with its line numbers, the
// ruler with its caret mark, the corner, their sizes and the off-screen bitmaps they are
// copied from.
#include "editor/control/editor.h"

#include <algorithm>
#include <cstdio>

#include "editor/model/screen_strings.h"
#include "platform/resources.h"

namespace {

// The bitmaps that span the screen are made this large (or as large as the control).
constexpr int ScreenWidth = 3840;
constexpr int ScreenHeight = 2160;

// The ten digits, 5 pixels apart ("1" uses 3 of its columns); bit 1 background, bit 0 glyph.
constexpr int DigitFontWidth = 56;
constexpr int DigitFontHeight = 9;
constexpr uint8_t DigitFontBits[DigitFontHeight][8] = {
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, {0xCE, 0xF3, 0x9E, 0xC3, 0x30, 0xCE, 0x7F, 0xFF},
    {0xB4, 0xED, 0x6C, 0xDE, 0xDE, 0xB5, 0xBF, 0xFF}, {0xB6, 0xFD, 0xEC, 0xC6, 0xFD, 0xB5, 0xBF, 0xFF},
    {0xB6, 0xFB, 0xDA, 0xDA, 0x3D, 0xCE, 0x3F, 0xFF}, {0xB6, 0xF7, 0xE8, 0x7A, 0xDB, 0xB7, 0xBF, 0xFF},
    {0xB6, 0xEF, 0x6E, 0xDA, 0xDB, 0xB5, 0xBF, 0xFF}, {0xCE, 0xE1, 0x9E, 0xE7, 0x3B, 0xCE, 0x7F, 0xFF},
    {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
};

TColor Or(TColor Value, TColor Default) {
    return Value == clNoColor ? Default : Value;
}

TColor LeftbarBk(const TEditor& E) {
    return Or(E.GetLeftbar()->GetBkColor(), E.GetColor());
}
TColor LeftbarFg(const TEditor& E) {
    return Or(E.GetLeftbar()->GetColor(), E.GetFont().Color);
}
TColor RulerBk(const TEditor& E) {
    return Or(E.GetRuler()->GetBkColor(), E.GetColor());
}
TColor RulerFg(const TEditor& E) {
    return Or(E.GetRuler()->GetColor(), E.GetFont().Color);
}
TColor RulerMarkColor(const TEditor& E) {
    return Or(E.GetRuler()->GetMarkColor(), E.GetFont().Color);
}

void Fill(TBitmap& B, const TRect& R, TColor Color) {
    B.Canvas().SetBrushStyle(bsSolid);
    B.Canvas().SetBrushColor(Color);
    B.Canvas().FillRect(R);
}

// The built-in mark images, loaded on first use and kept for the whole program.
const TImageList& BuiltinImages(bool Digits) {
    static TImageList DigitList(8, 11), PictureList(11, 11);
    static const bool Loaded = [] {
        char Name[8];
        for (int I = 0; I < 10; ++I) {
            TBitmap B;
            std::snprintf(Name, sizeof Name, "DD%02d", I);
            if (LoadBitmapResource(Name, B)) DigitList.AddMasked(B, clRed);
        }
        for (int I = 0; I < 6; ++I) {
            TBitmap B;
            std::snprintf(Name, sizeof Name, "DM%02d", I);
            if (LoadBitmapResource(Name, B)) PictureList.AddMasked(B, clWhite);
        }
        return true;
    }();
    (void)Loaded;
    return Digits ? DigitList : PictureList;
}

// Draws image Index from List when it holds that many images, else from the built-in list.
void DrawMark(TCanvas& C, TComponent* List, bool Digits, int X, int Y, int Index) {
    const TImageList* Own = dynamic_cast<const TImageList*>(List);
    (Own != nullptr && Own->Count() > Index ? *Own : BuiltinImages(Digits)).Draw(C, X, Y, Index);
}

} // namespace

// ---- sizes -------------------------------------------------------------------------------------

void TEditor::UpdateImagebarWidth() {
    if (!HandleAllocated()) return;
    const TEditorImagebar& I = *FImagebar;
    FImagebarWidth =
        I.GetVisible() ? I.GetLeftMargin() + I.GetDigitWidth() + I.GetMarkWidth() + I.GetRightMargin() : 0;
}

bool TEditor::UpdateLeftbarColumn() {
    const TEditorLeftbar& L = *FLeftbar;
    if (!HandleAllocated() || !L.GetVisible() || !L.GetShowNumber()) {
        FLeftbarColumn = L.GetColumn();
        return false;
    }
    const int Count = RowsCount();
    int Last = Count - 1;
    if (L.GetShowNumberMode() == nmLine && Last > 0) Last = LineIndexOfRow(Last);
    const int N =
        std::max(0, Last + (Count > 0 && RowAttr(Count - 1) != raEof ? 1 : 0) + (L.GetZeroBase() ? 0 : 1));
    int Digits = 1;
    for (int V = N; V >= 10; V /= 10) ++Digits;
    const int Old = FLeftbarColumn;
    FLeftbarColumn = std::min(8, std::max(L.GetColumn(), Digits));
    return Old != FLeftbarColumn;
}

void TEditor::UpdateLeftbarWidth() {
    if (!HandleAllocated()) return;
    const TEditorLeftbar& L = *FLeftbar;
    FLeftbarWidth =
        L.GetVisible() ? L.GetLeftMargin() + FLeftbarColumn * FColWidth + L.GetRightMargin() + 2 : 0;
}

void TEditor::UpdateRulerHeight() {
    if (!HandleAllocated()) return;
    FRulerHeight = FRuler->GetVisible() ? (FRuler->GetEdge() ? 11 : 10) : 0;
}

int TEditor::RulerStripWidth() const {
    const int U = std::max(1, FRuler->GetGaugeRange() * FColWidth);
    return U * (std::max(ScreenWidth, FWidth) / U + 2);
}

// ---- line index checkpoints --------------------------------------------------------------------

namespace {
constexpr int LineMarkStep = 1024;
}

int TEditor::LineIndexOfRow(int ARow) const {
    if (!GetWordWrap()) return ARow;
    const int Count = RowsCount();
    ARow = std::clamp(ARow, 0, Count);
    if (FLineMarksList != FList || FLineMarksRows != Count) {
        FLineMarks.clear();
        FLineMarksList = FList;
        FLineMarksRows = Count;
    }
    if (FLineMarks.empty()) FLineMarks.push_back(0);
    const size_t Need = static_cast<size_t>(ARow / LineMarkStep);
    while (FLineMarks.size() <= Need) {
        const int From = static_cast<int>(FLineMarks.size() - 1) * LineMarkStep;
        int N = FLineMarks.back();
        for (int R = From; R < From + LineMarkStep; ++R)
            if (FList->GetRowAttribute(R) == raCrlf) ++N;
        FLineMarks.push_back(N);
    }
    int N = FLineMarks[Need];
    for (int R = static_cast<int>(Need) * LineMarkStep; R < ARow; ++R)
        if (FList->GetRowAttribute(R) == raCrlf) ++N;
    return N;
}

void TEditor::LineIndexChanged(int FromRow) {
    if (FLineMarksList != FList) FLineMarks.clear();
    const size_t Keep = static_cast<size_t>(std::max(0, FromRow) / LineMarkStep) + 1;
    if (FLineMarks.size() > Keep) FLineMarks.resize(Keep);
    FLineMarksList = FList;
    FLineMarksRows = RowsCount();
}

// ---- bitmaps -----------------------------------------------------------------------------------

void TEditor::CreateBitmaps() {
    for (auto* B : {&FLeftbarEdgeBitmap, &FRulerEdgeBitmap, &FCornerBitmap, &FDigitFont, &FRulerDigits,
                    &FMarkDigits, &FGaugeBitmap, &FRulerStrip, &FMarkStrip})
        *B = std::make_unique<TBitmap>();
    CreateDigitFont();
    BuildRulerEdge();
}

void TEditor::FreeBitmaps() {
    for (auto* B : {&FLeftbarEdgeBitmap, &FRulerEdgeBitmap, &FCornerBitmap, &FDigitFont, &FRulerDigits,
                    &FMarkDigits, &FGaugeBitmap, &FRulerStrip, &FMarkStrip})
        B->reset();
}

void TEditor::CreateDigitFont() {
    if (FDigitFont) FDigitFont->LoadMonochromeBits(DigitFontWidth, DigitFontHeight, &DigitFontBits[0][0], 8);
}

void TEditor::BuildRulerEdge() {
    if (!FRulerEdgeBitmap) return;
    TBitmap& B = *FRulerEdgeBitmap;
    B.SetSize(ScreenWidth, 2);
    Fill(B, Rect(0, 0, ScreenWidth, 1), clWhite);
    Fill(B, Rect(0, 1, ScreenWidth, 2), clGray);
}

void TEditor::BuildLeftbarEdge() {
    if (!FLeftbarEdgeBitmap) return;
    TBitmap& B = *FLeftbarEdgeBitmap;
    const int H = std::max(ScreenHeight, FHeight);
    B.SetSize(2, H);
    const bool Edge = FLeftbar->GetEdge();
    Fill(B, Rect(0, 0, 1, H), Edge ? clWhite : LeftbarBk(*this));
    Fill(B, Rect(1, 0, 2, H), Edge ? clGray : LeftbarFg(*this));
}

void TEditor::BuildCornerBitmap() {
    if (!HandleAllocated() || !FCornerBitmap) return;
    const int TL = TextLeft(), TT = TextTop();
    TBitmap& B = *FCornerBitmap;
    B.SetSize(TL, TT);
    if (B.Empty()) return;
    Fill(B, Rect(0, 0, TL, TT), FColor);
    const int Bars = FImagebarWidth + FLeftbarWidth;
    const bool LeftEdge = FLeftbar->GetVisible() && FLeftbar->GetEdge();
    if (LeftEdge) {
        Fill(B, Rect(0, 0, Bars, TT), LeftbarBk(*this));
        B.Canvas().Draw(Bars - 2, 0, *FLeftbarEdgeBitmap);
    }
    if (FRuler->GetVisible() && FRuler->GetEdge()) {
        const TRect R = Rect(LeftEdge ? Bars : 0, 0, TL, FRulerHeight);
        Fill(B, R, RulerBk(*this));
        B.Canvas().Draw(R.Left - 1, FRulerHeight - 2, *FRulerEdgeBitmap);
    }
}

void TEditor::SizeRulerStrips() {
    if (!FRulerStrip || !FMarkStrip) return;
    FRulerStrip->SetSize(RulerStripWidth(), FRulerHeight);
    FMarkStrip->SetSize(RulerStripWidth(), FRulerHeight);
    FRulerStripCol = -1;
}

void TEditor::UpdateRulerBitmaps() {
    if (!HandleAllocated()) return;
    UpdateRulerHeight();
    BuildRulerDigits();
    BuildRulerGauge();
    SizeRulerStrips();
}

void TEditor::BuildRulerDigits() {
    if (!FDigitFont || !FRulerDigits || !FMarkDigits) return;
    // Glyph pixels (black in the font) take G, the others B.
    auto Build = [&](TBitmap& Target, TColor G, TColor B) {
        Target.SetSize(DigitFontWidth, DigitFontHeight);
        for (int Y = 0; Y < DigitFontHeight; ++Y)
            for (int X = 0; X < DigitFontWidth; ++X)
                Target.SetPixel(X, Y, FDigitFont->GetPixel(X, Y) == clBlack ? G : B);
    };
    Build(*FRulerDigits, RulerFg(*this), RulerBk(*this));
    Build(*FMarkDigits, RulerBk(*this), RulerMarkColor(*this));
}

void TEditor::BuildRulerGauge() {
    if (!HandleAllocated() || !FGaugeBitmap) return;
    const int W = RulerStripWidth(), H = FRulerHeight, Range = FRuler->GetGaugeRange();
    const int U = Range * FColWidth;
    TBitmap& B = *FGaugeBitmap;
    B.SetSize(W, H);
    if (B.Empty() || U <= 0) return;
    Fill(B, Rect(0, 0, W, H), RulerBk(*this));
    TCanvas& C = B.Canvas();
    C.SetPenColor(RulerFg(*this));
    for (int Col = 0; Col < Range; ++Col) {
        const int Y0 = Col == 0 ? 0 : (Col == Range / 2 ? 3 : 6);
        C.MoveTo(Col * FColWidth, Y0);
        C.LineTo(Col * FColWidth, H - 1);
    }
    if (FRuler->GetEdge()) {
        C.Draw(0, H - 2, *FRulerEdgeBitmap);
    } else {
        C.MoveTo(0, H - 1);
        C.LineTo(U, H - 1);
    }
    for (int K = 0; K <= W / U; ++K) C.BitBlt((K + 1) * U, 0, U, H, B, K * U, 0, SRCCOPY);
}

void TEditor::BuildRulerStrip() {
    if (!HandleAllocated() || !FRulerStrip || !FMarkStrip || FRulerStrip->Empty() || FColWidth <= 0) return;
    const int Range = FRuler->GetGaugeRange(), U = Range * FColWidth;
    const int Start = FTopCol / Range * Range;
    const int Bottom = FRulerHeight - (FRuler->GetEdge() ? 2 : 1);
    auto Number = [&](TBitmap& Strip, const TBitmap& Digits, TColor Background) {
        TCanvas& C = Strip.Canvas();
        int X = 1, N = Start;
        char Text[16];
        for (int K = 0; K <= Strip.Width() / FColWidth / Range; ++K) {
            if (N > 999) Fill(Strip, Rect(X, 0, Strip.Width(), Bottom), Background);
            std::snprintf(Text, sizeof Text, "%d", N);
            for (const char* P = Text; *P != '\0'; ++P) {
                const int D = *P - '0', GlyphWidth = D == 1 ? 3 : 5;
                C.BitBlt(X, 0, GlyphWidth, DigitFontHeight, Digits, D * 5, 0, SRCCOPY);
                X += GlyphWidth;
            }
            if (N > 999) break;
            N += Range;
            X = 1 + (K + 1) * U;
        }
    };
    FRulerStrip->Canvas().Draw(0, 0, *FGaugeBitmap);
    Number(*FRulerStrip, *FRulerDigits, RulerBk(*this));
    Fill(*FMarkStrip, Rect(0, 0, FMarkStrip->Width(), FMarkStrip->Height()), RulerMarkColor(*this));
    Number(*FMarkStrip, *FMarkDigits, RulerMarkColor(*this));
    FRulerStripCol = FTopCol;
}

// ---- the ruler ---------------------------------------------------------------------------------

void TEditor::DrawRuler() {
    if (!IsShowing() || !FRulerStrip) return;
    if (FGaugeBitmap->Width() != RulerStripWidth() || FRulerStrip->Height() != FRulerHeight)
        UpdateRulerBitmaps();
    BuildRulerStrip();
    const int TL = TextLeft();
    FHost->Canvas().BitBlt(TL, 0, FWidth - TL, FRulerHeight, *FRulerStrip,
                           FColWidth * (FTopCol % FRuler->GetGaugeRange()), 0, SRCCOPY);
    DrawRulerMark(FCol);
}

// The caret column's cell of the ruler, between its ticks and above its bottom line or edge,
// in the mark strip's colours (DrawRulerMark) or the ruler strip's (EraseRulerMark).
void TEditor::DrawRulerMark(int ACol) {
    if (!IsShowing() || !FRuler->GetVisible() || ACol < FTopCol || ACol > FTopCol + FColCount || !FMarkStrip)
        return;
    if (FRulerStripCol != FTopCol) BuildRulerStrip();
    const int Off = ACol - FTopCol;
    FHost->Canvas().BitBlt(TextLeft() + FColWidth * Off + 1, 0, FColWidth - 1,
                           FRulerHeight - (FRuler->GetEdge() ? 2 : 1), *FMarkStrip,
                           1 + FColWidth * (Off + FTopCol % FRuler->GetGaugeRange()), 0, SRCCOPY);
}

void TEditor::EraseRulerMark(int ACol) {
    if (!IsShowing() || !FRuler->GetVisible() || ACol < FTopCol || ACol > FTopCol + FColCount || !FRulerStrip)
        return;
    if (FRulerStripCol != FTopCol) BuildRulerStrip();
    const int Off = ACol - FTopCol;
    FHost->Canvas().BitBlt(TextLeft() + FColWidth * Off + 1, 0, FColWidth - 1,
                           FRulerHeight - (FRuler->GetEdge() ? 2 : 1), *FRulerStrip,
                           1 + FColWidth * (Off + FTopCol % FRuler->GetGaugeRange()), 0, SRCCOPY);
}

// ---- the left bar ------------------------------------------------------------------------------

void TEditor::DrawLeftbarRows(int First, int Last) {
    if (!IsShowing()) return;
    TCanvas& C = FHost->Canvas();
    const int IW = FImagebarWidth, Right = FImagebarWidth + FLeftbarWidth - 2, RH = GetRowHeight();
    auto TopOf = [&](int R) { return TextTop() + (R - FTopRow) * RH; };
    if (FLeftbarEdgeBitmap) C.Draw(Right, TextTop(), *FLeftbarEdgeBitmap);
    C.SetBrushStyle(bsSolid);
    C.SetBrushColor(LeftbarBk(*this));
    TFont Font = FFont;
    Font.Color = LeftbarFg(*this);
    C.SetFont(Font);
    const TEditorLeftbar& L = *FLeftbar;
    if (!L.GetShowNumber()) {
        C.FillRect(Rect(IW, TopOf(First), Right, TopOf(Last + 1)));
        return;
    }
    const int Count = RowsCount();
    const bool LineMode = L.GetShowNumberMode() == nmLine;
    auto BeginsLine = [&](int R) { return R == 0 || (R <= Count && RowAttr(R - 1) == raCrlf); };
    // nmLine: the index of the next line to number.
    int Line = 0;
    if (LineMode && First <= Count) Line = LineIndexOfRow(First) + (BeginsLine(First) ? 0 : 1);
    char Text[24];
    for (int R = First; R <= Last; ++R) {
        const TRect Cell = Rect(IW, TopOf(R), Right, TopOf(R) + RH);
        int Index = -1;
        if (LineMode) {
            if (R <= Count && BeginsLine(R)) Index = Line++;
        } else if (R < Count || R == 0 || (R == Count && RowAttr(Count - 1) != raEof)) {
            Index = R;
        }
        if (Index < 0) {
            C.FillRect(Cell);
            continue;
        }
        std::snprintf(Text, sizeof Text, "%*d", FLeftbarColumn, Index + (L.GetZeroBase() ? 0 : 1));
        if (L.GetZeroLead())
            for (char* P = Text; *P == ' '; ++P) *P = '0';
        TextOutCells(Cell, L.GetLeftMargin() + IW, etoOpaque | etoClipped, Text, Cell.Top);
    }
}

void TEditor::InvalidateLeftbarRows(int FromRow, int ToRow) {
    if (!HandleAllocated()) return;
    const int Lo = std::clamp(std::min(FromRow, ToRow), FTopRow, FTopRow + FRowCount);
    const int Hi = std::clamp(std::max(FromRow, ToRow), FTopRow, FTopRow + FRowCount);
    const int IW = FImagebarWidth;
    FHost->InvalidateRect(Rect(IW, TextTop() + (Lo - FTopRow) * GetRowHeight(), IW + FLeftbarWidth,
                               TextTop() + (Hi - FTopRow) * GetRowHeight() + FFontHeight),
                          emNoErase);
    FHost->Update();
}

void TEditor::LeftbarWidthChanged(int OldWidth, int NewWidth) {
    if (!IsShowing()) return;
    const int IW = FImagebarWidth;
    const TRect Uncovered = FHost->ScrollWindow(NewWidth - OldWidth, 0, Rect(IW, 0, FWidth, FHeight));
    FHost->InvalidateRect(Uncovered, emNoErase);
    FHost->InvalidateRect(Rect(IW, 0, IW + NewWidth, FHeight), emNoErase);
    FHost->Update();
}

// ---- the image bar -----------------------------------------------------------------------------

void TEditor::DrawImagebarRows(int First, int Last) {
    if (!IsShowing()) return;
    TCanvas& C = FHost->Canvas();
    const int RH = GetRowHeight(), Count = RowsCount();
    const TEditorImagebar& I = *FImagebar;
    const TColor Bk =
        FLeftbar->GetVisible() && FLeftbar->GetBkColor() != clNoColor ? FLeftbar->GetBkColor() : FColor;
    for (int R = First; R <= Last; ++R) {
        const int Top = TextTop() + (R - FTopRow) * RH;
        C.SetBrushStyle(bsSolid);
        C.SetBrushColor(Bk);
        C.FillRect(Rect(0, Top, FImagebarWidth, Top + RH));
        if (R < 0 || R >= Count) continue;
        const TRowMarks Marks = FList->GetRowMarks(R);
        if (Marks == 0) continue;
        for (int Bit = 0; Bit < 10; ++Bit)
            if ((Marks & (1u << Bit)) != 0) {
                DrawMark(C, FImageDigits, true, I.GetLeftMargin(), Top + 2, Bit);
                break;
            }
        for (int Bit = 10; Bit < 16; ++Bit)
            if ((Marks & (1u << Bit)) != 0) {
                DrawMark(C, FImageMarks, false, I.GetLeftMargin() + I.GetDigitWidth(), Top + 2, Bit - 10);
                break;
            }
    }
}

TRowMarks TEditor::GetRowMarks(int ARow) const {
    return ARow >= 0 && ARow < RowsCount() ? FList->GetRowMarks(ARow) : 0;
}

void TEditor::SetRowMarks(int ARow, TRowMarks Marks) {
    if (ARow < 0 || ARow >= RowsCount()) return;
    const TRowMarks Old = FList->GetRowMarks(ARow);
    if (Old == Marks) return;
    FList->IncludeMarks(static_cast<TRowMarks>(Marks & ~Old));
    FList->ExcludeMarks(static_cast<TRowMarks>(Old & ~Marks));
    FList->SetRowMarks(ARow, Marks);
    if (FImagebar->GetVisible() && HandleAllocated()) {
        const int Top = TextTop() + (ARow - FTopRow) * GetRowHeight();
        FHost->InvalidateRect(Rect(0, Top, FImagebarWidth, Top + GetRowHeight()), emNoErase);
        FHost->Update();
    }
}
