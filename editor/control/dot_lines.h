// Dotted lines for underlined text: the program-wide cache of one-pixel-high dot bitmaps.
#pragma once

#include <memory>
#include <vector>

#include "platform/graphics.h"

// Fills (X, Y, X + Length, Y + 1) with BkColor, then sets every other pixel of that row to
// Color, beginning with the first.
void DrawDotLine(TCanvas& Canvas, int X, int Y, TColor BkColor, TColor Color, int Length);

// One bitmap per colour pair, a pixel high and as wide as a screen, made on first use and
// kept until the program ends.
class TDotLineCollection {
public:
    static constexpr int BitmapWidth = 4096;

    const TBitmap& DotLineBitmap(TColor Color, TColor BkColor);
    int Count() const { return static_cast<int>(FItems.size()); }

private:
    struct TDotLineItem {
        TColor Color;
        TColor BkColor;
        std::unique_ptr<TBitmap> Bitmap;
    };
    std::vector<TDotLineItem> FItems;
};

// The cache of this program.
TDotLineCollection& DotLines();

// A dotted line from X1 up to X2 (exclusive) on pixel row Y, copied from the cached bitmap;
// the pattern starts with a dot at X1.
void DrawDotUnderline(TCanvas& Canvas, int X1, int Y, TColor BkColor, TColor Color, int X2);
