// Glyphs and font metrics for raster canvases, through Qt's fonts.
#pragma once

#include <QFont>
#include <array>

#include "platform/graphics.h"

namespace qtbackend {

// Draws every byte in one cell (a double-byte character over two) with QPainter on the
// pixel buffer itself; glyphs are placed at their cell's left edge, never by the font's
// advances.
class TQtFontEngine : public TFontEngine {
public:
    TQtFontEngine();
    TTextMetric Metrics(const TFont& Font) override;
    void DrawGlyphs(const TPixelBuffer& Target, const TRect& Clip, int X, int Y, std::string_view Bytes,
                    int CellWidth, const TFont& Font) override;

    // The Qt font for a TFont (face mapped, style applied).
    QFont QtFont(const TFont& Font);

private:
    TFont FCachedFor;
    QFont FCached;
    bool FHasCached = false;
    std::array<QString, 256> FSingleBytes; // the character of each single byte
};

// The engine of this process (made on first use; needs the QApplication).
TQtFontEngine& QtFontEngine();

} // namespace qtbackend
