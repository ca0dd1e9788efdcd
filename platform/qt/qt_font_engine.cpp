// Cell-placed text on 32-bit pixel buffers with QPainter.
#include "platform/qt/qt_font_engine.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "platform/cp932.h"
#include "platform/qt/font_map.h"
#include "platform/qt/qt_text.h"

namespace qtbackend {

namespace {
constexpr TFontStyles kBold = 1, kItalic = 2, kUnderline = 4, kStrikeOut = 8;
} // namespace

TQtFontEngine::TQtFontEngine() {
    for (int B = 0; B < 256; ++B) {
        if (B < 0x20 || B == 0x7F || cp932::IsLeadByte(static_cast<unsigned char>(B))) continue;
        FSingleBytes[static_cast<size_t>(B)] = ToQString(std::string(1, static_cast<char>(B)));
    }
}

QFont TQtFontEngine::QtFont(const TFont& Font) {
    if (FHasCached && Font.Name == FCachedFor.Name && Font.Height == FCachedFor.Height &&
        Font.Style == FCachedFor.Style)
        return FCached;
    QFont F = MappedFont(Font.Name, Font.Height);
    F.setBold(Font.Style & kBold);
    F.setItalic(Font.Style & kItalic);
    F.setUnderline(Font.Style & kUnderline);
    F.setStrikeOut(Font.Style & kStrikeOut);
    F.setKerning(false);
    FCachedFor = Font;
    FCached = F;
    FHasCached = true;
    return F;
}

TTextMetric TQtFontEngine::Metrics(const TFont& Font) {
    const QFont F = QtFont(Font);
    const QFontMetrics M(F);
    TTextMetric T;
    T.Ascent = M.ascent();
    T.Descent = M.descent();
    T.Height = T.Ascent + T.Descent;
    T.ExternalLeading = std::max(0, M.leading());
    // The fixed-pitch faces the editor uses have one half-width cell for every ASCII
    // character; a proportional face reports its average.
    T.AveCharWidth = QFontInfo(F).fixedPitch() ? M.horizontalAdvance(QLatin1Char('x')) : M.averageCharWidth();
    if (T.AveCharWidth <= 0) T.AveCharWidth = M.horizontalAdvance(QLatin1Char('x'));
    T.MaxCharWidth = M.maxWidth();
    return T;
}

void TQtFontEngine::DrawGlyphs(const TPixelBuffer& Target, const TRect& Clip, int X, int Y,
                               std::string_view Bytes, int CellWidth, const TFont& Font) {
    if (!Target.Pixels || Clip.IsEmpty()) return;
    QImage Image(reinterpret_cast<uchar*>(Target.Pixels), Target.Width, Target.Height,
                 static_cast<qsizetype>(Target.Stride) * 4, QImage::Format_RGB32);
    QPainter P(&Image);
    P.setClipRect(QRect(Clip.Left, Clip.Top, Clip.Width(), Clip.Height()));
    const QFont F = QtFont(Font);
    P.setFont(F);
    const TColor C = ColorToRGB(Font.Color);
    P.setPen(QColor(GetRValue(C), GetGValue(C), GetBValue(C)));
    const int Baseline = Y + QFontMetrics(F).ascent();
    const size_t N = Bytes.size();
    for (size_t I = 0; I < N;) {
        const int CellX = X + static_cast<int>(I) * CellWidth;
        const bool Pair = cp932::IsLeadByte(Bytes[I]) && I + 1 < N;
        const int Cells = Pair ? 2 : 1;
        // Cells wholly outside the clip are skipped (one cell of slack for overhangs).
        if (CellX + (Cells + 1) * CellWidth > Clip.Left && CellX - CellWidth < Clip.Right) {
            if (Pair) {
                P.drawText(QPoint(CellX, Baseline), ToQString(std::string(Bytes.substr(I, 2))));
            } else {
                const QString& S = FSingleBytes[static_cast<unsigned char>(Bytes[I])];
                if (!S.isEmpty() && S != QLatin1String(" ")) P.drawText(QPoint(CellX, Baseline), S);
            }
        }
        I += static_cast<size_t>(Cells);
    }
}

TQtFontEngine& QtFontEngine() {
    static TQtFontEngine Engine;
    return Engine;
}

} // namespace qtbackend
