// A window host double whose drawing canvas records every call before it reaches the
// rasterised surface, so that tests can both count what was painted and look at pixels.
#pragma once

#include "support/fake_window_host.h"
// The recording double's call records are built with partial initialisers.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include "support/recording_canvas.h"
#pragma GCC diagnostic pop

// Records each call (TRecordingCanvas) and passes it on to Target.
class TTeeCanvas : public TRecordingCanvas {
public:
    explicit TTeeCanvas(TCanvas& Target) : FTarget(Target) {}

    void SetFont(const TFont& Font) override {
        TRecordingCanvas::SetFont(Font);
        FTarget.SetFont(Font);
    }
    TTextMetric GetTextMetrics() override { return FTarget.GetTextMetrics(); }
    void SetBrushColor(TColor Color) override {
        TRecordingCanvas::SetBrushColor(Color);
        FTarget.SetBrushColor(Color);
    }
    void SetBrushStyle(TBrushStyle Style) override {
        TRecordingCanvas::SetBrushStyle(Style);
        FTarget.SetBrushStyle(Style);
    }
    void SetPenColor(TColor Color) override {
        TRecordingCanvas::SetPenColor(Color);
        FTarget.SetPenColor(Color);
    }
    void FillRect(const TRect& R) override {
        TRecordingCanvas::FillRect(R);
        FTarget.FillRect(R);
    }
    void MoveTo(int X, int Y) override {
        TRecordingCanvas::MoveTo(X, Y);
        FTarget.MoveTo(X, Y);
    }
    void LineTo(int X, int Y) override {
        TRecordingCanvas::LineTo(X, Y);
        FTarget.LineTo(X, Y);
    }
    void SetPixel(int X, int Y, TColor Color) override {
        TRecordingCanvas::SetPixel(X, Y, Color);
        FTarget.SetPixel(X, Y, Color);
    }
    TColor GetPixel(int X, int Y) const override { return FTarget.GetPixel(X, Y); }
    void ExtTextOut(int X, int Y, TTextOutOptions Options, const TRect& Rect, std::string_view Bytes,
                    int CellWidth) override {
        TRecordingCanvas::ExtTextOut(X, Y, Options, Rect, Bytes, CellWidth);
        FTarget.ExtTextOut(X, Y, Options, Rect, Bytes, CellWidth);
    }
    void BitBlt(int X, int Y, int W, int H, const TBitmap& Source, int SX, int SY, TRasterOp Rop) override {
        TRecordingCanvas::BitBlt(X, Y, W, H, Source, SX, SY, Rop);
        FTarget.BitBlt(X, Y, W, H, Source, SX, SY, Rop);
    }
    void PatBlt(const TRect& R, TRasterOp Rop) override {
        TRecordingCanvas::PatBlt(R, Rop);
        FTarget.PatBlt(R, Rop);
    }
    TRect ClipRect() const override { return FTarget.ClipRect(); }

private:
    TCanvas& FTarget;
};

// The fake host with a recording canvas in front of its surface.
class TPaintRecordingHost : public TFakeWindowHost {
public:
    TPaintRecordingHost(TMessageReceiver& Receiver, int Width, int Height, TFontEngine* Engine)
        : TFakeWindowHost(Receiver, Width, Height, Engine), Tee(TFakeWindowHost::Canvas()) {}
    TCanvas& Canvas() override { return Tee; }
    TTeeCanvas Tee;
};
