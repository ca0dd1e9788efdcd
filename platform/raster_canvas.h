// A canvas that draws on a buffer of 32-bit pixels: bitmaps and the backends' window surfaces.
#pragma once

#include <functional>
#include <vector>

#include "platform/graphics.h"

// Fills, lines, pixels and raster operations are done here, pixel-exactly as on Win32
// (rectangles exclude their right and bottom edges, lines their end point). Text goes
// through a TFontEngine. The clip is a list of disjoint rectangles (a region).
class TRasterCanvas : public TCanvas {
public:
    // Engine nullptr: FontEngine() at each call.
    explicit TRasterCanvas(TPixelBuffer Buffer = {}, TFontEngine* Engine = nullptr);

    // A new surface (after a resize); the clip becomes the whole surface.
    void Bind(TPixelBuffer Buffer);
    const TPixelBuffer& Buffer() const { return FBuffer; }
    // Limits drawing to these rectangles (inside the surface); an empty list means the whole surface.
    void SetClipRegion(const std::vector<TRect>& Rects);
    void ResetClip() { SetClipRegion({}); }

    void SetFont(const TFont& Font) override { FFont = Font; }
    const TFont& GetFont() const override { return FFont; }
    TTextMetric GetTextMetrics() override;
    void SetBrushColor(TColor Color) override { FBrushColor = Color; }
    TColor GetBrushColor() const override { return FBrushColor; }
    void SetBrushStyle(TBrushStyle Style) override { FBrushStyle = Style; }
    TBrushStyle GetBrushStyle() const override { return FBrushStyle; }
    void SetPenColor(TColor Color) override { FPenColor = Color; }
    TColor GetPenColor() const override { return FPenColor; }

    void FillRect(const TRect& R) override;
    void MoveTo(int X, int Y) override;
    void LineTo(int X, int Y) override;
    void SetPixel(int X, int Y, TColor Color) override;
    TColor GetPixel(int X, int Y) const override;
    void ExtTextOut(int X, int Y, TTextOutOptions Options, const TRect& Rect, std::string_view Bytes,
                    int CellWidth) override;
    void BitBlt(int X, int Y, int W, int H, const TBitmap& Source, int SX, int SY, TRasterOp Rop) override;
    void PatBlt(const TRect& R, TRasterOp Rop) override;
    TRect ClipRect() const override;

    // The bounding box of what was drawn since the last call, which empties it; a window
    // shows that part of its surface again.
    TRect TakeDirty();
    // Called when the dirty box becomes non-empty.
    std::function<void()> OnDirty;

private:
    void MarkDirty(const TRect& R);
    TFontEngine* Engine() const;
    bool InClip(int X, int Y) const;
    void Fill(const TRect& R, uint32_t Pixel);

    TPixelBuffer FBuffer;
    TFontEngine* FEngine;
    std::vector<TRect> FClip; // never empty while bound: at least the whole surface
    TFont FFont;
    TColor FBrushColor = clWhite;
    TBrushStyle FBrushStyle = bsSolid;
    TColor FPenColor = clBlack;
    TPoint FPenPos;
    TRect FDirty;
};

// Moves the pixels of Buffer inside Clip by (Dx, Dy); pixels that would come from outside
// Clip are left as they were. Returns the bounding box of the uncovered part (all of Clip
// when the move is as large as Clip, or goes both ways).
TRect ScrollPixels(TPixelBuffer& Buffer, int Dx, int Dy, const TRect& Clip);
