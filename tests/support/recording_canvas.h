// A canvas double that records every drawing call with the state it was made in.
#pragma once

#include <string>
#include <vector>

#include "platform/graphics.h"

struct TCanvasCall {
    enum TKind { ckFillRect, ckLine, ckPixel, ckText, ckBitBlt, ckPatBlt };
    TKind Kind;
    TRect Rect;         // fill / text rectangle / blit destination
    int X = 0, Y = 0;   // text origin, line start, pixel
    int X2 = 0, Y2 = 0; // line end
    std::string Text;
    int CellWidth = 0;
    TTextOutOptions Options = 0;
    TColor BrushColor = 0;
    TBrushStyle BrushStyle = bsSolid;
    TColor PenColor = 0;
    TColor PixelColor = 0;
    TFont Font;
    TRasterOp Rop = 0;
    const TBitmap* Source = nullptr;
};

class TRecordingCanvas : public TCanvas {
public:
    std::vector<TCanvasCall> Calls;
    TTextMetric Metrics{12, 10, 2, 0, 6, 12};
    TRect Clip{0, 0, 1000, 1000};

    std::vector<TCanvasCall> CallsOf(TCanvasCall::TKind Kind) const {
        std::vector<TCanvasCall> R;
        for (const auto& C : Calls)
            if (C.Kind == Kind) R.push_back(C);
        return R;
    }

    void SetFont(const TFont& Font) override { FFont = Font; }
    const TFont& GetFont() const override { return FFont; }
    TTextMetric GetTextMetrics() override { return Metrics; }
    void SetBrushColor(TColor Color) override { FBrush = Color; }
    TColor GetBrushColor() const override { return FBrush; }
    void SetBrushStyle(TBrushStyle Style) override { FBrushStyle = Style; }
    TBrushStyle GetBrushStyle() const override { return FBrushStyle; }
    void SetPenColor(TColor Color) override { FPen = Color; }
    TColor GetPenColor() const override { return FPen; }

    void FillRect(const TRect& R) override {
        auto C = Base(TCanvasCall::ckFillRect);
        C.Rect = R;
        Calls.push_back(C);
    }
    void MoveTo(int X, int Y) override { FPos = {X, Y}; }
    void LineTo(int X, int Y) override {
        auto C = Base(TCanvasCall::ckLine);
        C.X = FPos.X;
        C.Y = FPos.Y;
        C.X2 = X;
        C.Y2 = Y;
        Calls.push_back(C);
        FPos = {X, Y};
    }
    void SetPixel(int X, int Y, TColor Color) override {
        auto C = Base(TCanvasCall::ckPixel);
        C.X = X;
        C.Y = Y;
        C.PixelColor = Color;
        Calls.push_back(C);
    }
    TColor GetPixel(int, int) const override { return -1; }
    void ExtTextOut(int X, int Y, TTextOutOptions Options, const TRect& Rect, std::string_view Bytes,
                    int CellWidth) override {
        auto C = Base(TCanvasCall::ckText);
        C.X = X;
        C.Y = Y;
        C.Options = Options;
        C.Rect = Rect;
        C.Text = std::string(Bytes);
        C.CellWidth = CellWidth;
        Calls.push_back(C);
    }
    void BitBlt(int X, int Y, int W, int H, const TBitmap& Source, int SX, int SY, TRasterOp Rop) override {
        auto C = Base(TCanvasCall::ckBitBlt);
        C.Rect = Bounds(X, Y, W, H);
        C.X = SX;
        C.Y = SY;
        C.Rop = Rop;
        C.Source = &Source;
        Calls.push_back(C);
    }
    void PatBlt(const TRect& R, TRasterOp Rop) override {
        auto C = Base(TCanvasCall::ckPatBlt);
        C.Rect = R;
        C.Rop = Rop;
        Calls.push_back(C);
    }
    TRect ClipRect() const override { return Clip; }

private:
    TCanvasCall Base(TCanvasCall::TKind Kind) const {
        TCanvasCall C{Kind, {}};
        C.BrushColor = FBrush;
        C.BrushStyle = FBrushStyle;
        C.PenColor = FPen;
        C.Font = FFont;
        return C;
    }
    TFont FFont;
    TColor FBrush = clWhite;
    TBrushStyle FBrushStyle = bsSolid;
    TColor FPen = clBlack;
    TPoint FPos;
};
