// A font engine double: every character is a solid box in its cells, so tests can see
// where text went without real fonts.
#pragma once

#include "platform/cp932.h"
#include "platform/graphics.h"

// A byte's box spans its cell minus one pixel on the right and fills rows 1 .. Height - 2;
// a double-byte character's box spans both cells. Spaces draw nothing.
class TBlockFontEngine : public TFontEngine {
public:
    TTextMetric Metric{12, 10, 2, 1, 6, 12};

    TTextMetric Metrics(const TFont&) override { return Metric; }
    void DrawGlyphs(const TPixelBuffer& Target, const TRect& Clip, int X, int Y, std::string_view Bytes,
                    int CellWidth, const TFont& Font) override {
        const uint32_t Ink = ColorToPixel(Font.Color);
        for (size_t I = 0; I < Bytes.size();) {
            const int Cells = cp932::IsLeadByte(Bytes[I]) && I + 1 < Bytes.size() ? 2 : 1;
            if (Bytes[I] != ' ') {
                const int L = X + static_cast<int>(I) * CellWidth;
                const TRect Box =
                    IntersectRect(TRect{L, Y + 1, L + Cells * CellWidth - 1, Y + Metric.Height - 1}, Clip);
                for (int PY = Box.Top; PY < Box.Bottom; ++PY)
                    for (int PX = Box.Left; PX < Box.Right; ++PX)
                        Target.Pixels[static_cast<ptrdiff_t>(PY) * Target.Stride + PX] = Ink;
            }
            I += static_cast<size_t>(Cells);
        }
    }
};
