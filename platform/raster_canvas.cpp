// Pixel-exact drawing on 32-bit buffers; text through the installed font engine.
#include "platform/raster_canvas.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kAlpha = 0xFF000000u;

// One word of the Win32 ternary raster operation: bit i of Rop3 is the result for the
// pattern, source and destination bits (i >> 2, i >> 1, i) & 1.
uint32_t Ternary(uint8_t Rop3, uint32_t P, uint32_t S, uint32_t D) {
    switch (Rop3) {
    case 0xCC:
        return S;
    case 0x88:
        return S & D;
    case 0xEE:
        return S | D;
    case 0x66:
        return S ^ D;
    case 0x33:
        return ~S;
    case 0x55:
        return ~D;
    case 0xF0:
        return P;
    case 0x5A:
        return P ^ D;
    default:
        break;
    }
    uint32_t R = 0;
    for (int I = 0; I < 8; ++I) {
        if (!((Rop3 >> I) & 1)) continue;
        R |= ((I & 4) ? P : ~P) & ((I & 2) ? S : ~S) & ((I & 1) ? D : ~D);
    }
    return R;
}

uint8_t Rop3Of(TRasterOp Rop) {
    return static_cast<uint8_t>((Rop >> 16) & 0xFF);
}

TTextMetric FallbackMetrics() {
    TTextMetric M;
    M.Height = 12;
    M.Ascent = 10;
    M.Descent = 2;
    M.AveCharWidth = 6;
    M.MaxCharWidth = 12;
    return M;
}

} // namespace

TRasterCanvas::TRasterCanvas(TPixelBuffer Buffer, TFontEngine* Engine) : FEngine(Engine) {
    Bind(Buffer);
}

void TRasterCanvas::Bind(TPixelBuffer Buffer) {
    FBuffer = Buffer;
    ResetClip();
}

void TRasterCanvas::SetClipRegion(const std::vector<TRect>& Rects) {
    const TRect Surface{0, 0, FBuffer.Width, FBuffer.Height};
    FClip.clear();
    if (Rects.empty()) {
        if (!Surface.IsEmpty()) FClip.push_back(Surface);
        return;
    }
    for (const TRect& R : Rects) {
        const TRect C = IntersectRect(R, Surface);
        if (!C.IsEmpty()) FClip.push_back(C);
    }
}

TRect TRasterCanvas::ClipRect() const {
    TRect B;
    for (const TRect& R : FClip) B = UnionRect(B, R);
    return B;
}

TRect TRasterCanvas::TakeDirty() {
    const TRect R = FDirty;
    FDirty = TRect{};
    return R;
}

void TRasterCanvas::MarkDirty(const TRect& R) {
    const TRect D = IntersectRect(R, ClipRect());
    if (D.IsEmpty()) return;
    const bool WasEmpty = FDirty.IsEmpty();
    FDirty = UnionRect(FDirty, D);
    if (WasEmpty && OnDirty) OnDirty();
}

TFontEngine* TRasterCanvas::Engine() const {
    return FEngine ? FEngine : FontEngine();
}

TTextMetric TRasterCanvas::GetTextMetrics() {
    TFontEngine* E = Engine();
    return E ? E->Metrics(FFont) : FallbackMetrics();
}

bool TRasterCanvas::InClip(int X, int Y) const {
    for (const TRect& R : FClip)
        if (R.Contains({X, Y})) return true;
    return false;
}

void TRasterCanvas::Fill(const TRect& Area, uint32_t Pixel) {
    MarkDirty(Area);
    for (const TRect& C : FClip) {
        const TRect R = IntersectRect(Area, C);
        for (int Y = R.Top; Y < R.Bottom; ++Y) {
            uint32_t* Row = FBuffer.Pixels + static_cast<ptrdiff_t>(Y) * FBuffer.Stride;
            std::fill(Row + R.Left, Row + R.Right, Pixel);
        }
    }
}

void TRasterCanvas::FillRect(const TRect& R) {
    Fill(R, ColorToPixel(FBrushColor));
}

void TRasterCanvas::MoveTo(int X, int Y) {
    FPenPos = {X, Y};
}

void TRasterCanvas::LineTo(int X, int Y) {
    const uint32_t P = ColorToPixel(FPenColor);
    MarkDirty(TRect{std::min(FPenPos.X, X), std::min(FPenPos.Y, Y), std::max(FPenPos.X, X) + 1,
                    std::max(FPenPos.Y, Y) + 1});
    LineDDA(FPenPos.X, FPenPos.Y, X, Y, [&](int PX, int PY) {
        if (InClip(PX, PY)) FBuffer.Pixels[static_cast<ptrdiff_t>(PY) * FBuffer.Stride + PX] = P;
    });
    FPenPos = {X, Y};
}

void TRasterCanvas::SetPixel(int X, int Y, TColor Color) {
    if (!InClip(X, Y)) return;
    FBuffer.Pixels[static_cast<ptrdiff_t>(Y) * FBuffer.Stride + X] = ColorToPixel(Color);
    MarkDirty(TRect{X, Y, X + 1, Y + 1});
}

TColor TRasterCanvas::GetPixel(int X, int Y) const {
    if (X < 0 || Y < 0 || X >= FBuffer.Width || Y >= FBuffer.Height) return -1; // CLR_INVALID
    return PixelToColor(FBuffer.Pixels[static_cast<ptrdiff_t>(Y) * FBuffer.Stride + X]);
}

void TRasterCanvas::ExtTextOut(int X, int Y, TTextOutOptions Options, const TRect& Rect,
                               std::string_view Bytes, int CellWidth) {
    if (Options & etoOpaque) Fill(Rect, ColorToPixel(FBrushColor));
    if (Bytes.empty()) return;
    const TTextMetric M = GetTextMetrics();
    const TRect Cells{X, Y, X + static_cast<int>(Bytes.size()) * CellWidth, Y + M.Height};
    const TRect Limit = (Options & etoClipped) ? IntersectRect(Cells, Rect) : Cells;
    if (Limit.IsEmpty()) return;
    if (FBrushStyle == bsSolid) Fill(Limit, ColorToPixel(FBrushColor));
    MarkDirty(Limit);
    TFontEngine* E = Engine();
    if (!E) return;
    for (const TRect& C : FClip) {
        const TRect R = IntersectRect(Limit, C);
        if (!R.IsEmpty()) E->DrawGlyphs(FBuffer, R, X, Y, Bytes, CellWidth, FFont);
    }
}

void TRasterCanvas::BitBlt(int X, int Y, int W, int H, const TBitmap& Source, int SX, int SY, TRasterOp Rop) {
    // The part of the source that exists, moved to the destination.
    TRect Src = IntersectRect(Bounds(SX, SY, W, H), TRect{0, 0, Source.Width(), Source.Height()});
    const uint8_t Rop3 = Rop3Of(Rop);
    const bool UsesSource = ((Rop3 >> 2) & 0x33) != (Rop3 & 0x33);
    if (!UsesSource) Src = Bounds(SX, SY, W, H);
    const TRect Dst = OffsetRect(Src, X - SX, Y - SY);
    const uint32_t P = ColorToPixel(FBrushColor);
    MarkDirty(Dst);

    // The source may be this canvas's own bitmap: read from a copy of the area.
    std::vector<uint32_t> Copy;
    const uint32_t* SrcPixels = Source.Pixels();
    int SrcStride = Source.Width();
    int SrcLeft = Src.Left, SrcTop = Src.Top;
    if (UsesSource && SrcPixels == FBuffer.Pixels && !Src.IsEmpty()) {
        Copy.resize(static_cast<size_t>(Src.Width()) * Src.Height());
        for (int R = 0; R < Src.Height(); ++R)
            std::copy_n(SrcPixels + static_cast<ptrdiff_t>(Src.Top + R) * SrcStride + Src.Left, Src.Width(),
                        Copy.begin() + static_cast<ptrdiff_t>(R) * Src.Width());
        SrcPixels = Copy.data();
        SrcStride = Src.Width();
        SrcLeft = 0;
        SrcTop = 0;
    }

    for (const TRect& C : FClip) {
        const TRect R = IntersectRect(Dst, C);
        for (int DY = R.Top; DY < R.Bottom; ++DY) {
            uint32_t* Row = FBuffer.Pixels + static_cast<ptrdiff_t>(DY) * FBuffer.Stride;
            const uint32_t* SRow =
                UsesSource ? SrcPixels + static_cast<ptrdiff_t>(DY - Dst.Top + SrcTop) * SrcStride + SrcLeft -
                                 Dst.Left
                           : nullptr;
            for (int DX = R.Left; DX < R.Right; ++DX) {
                const uint32_t S = UsesSource ? SRow[DX] : 0;
                Row[DX] = Ternary(Rop3, P, S, Row[DX]) | kAlpha;
            }
        }
    }
}

void TRasterCanvas::PatBlt(const TRect& Area, TRasterOp Rop) {
    const uint8_t Rop3 = Rop3Of(Rop);
    const uint32_t P = ColorToPixel(FBrushColor);
    MarkDirty(Area);
    for (const TRect& C : FClip) {
        const TRect R = IntersectRect(Area, C);
        for (int Y = R.Top; Y < R.Bottom; ++Y) {
            uint32_t* Row = FBuffer.Pixels + static_cast<ptrdiff_t>(Y) * FBuffer.Stride;
            for (int X = R.Left; X < R.Right; ++X) Row[X] = Ternary(Rop3, P, 0, Row[X]) | kAlpha;
        }
    }
}

TRect ScrollPixels(TPixelBuffer& Buffer, int Dx, int Dy, const TRect& ClipArea) {
    const TRect Clip = IntersectRect(ClipArea, TRect{0, 0, Buffer.Width, Buffer.Height});
    if (Clip.IsEmpty()) return TRect{};
    const TRect Moved = IntersectRect(OffsetRect(Clip, Dx, Dy), Clip);
    if (Moved.IsEmpty()) return Clip;
    if (Dx == 0 && Dy == 0) return TRect{};
    // Rows are walked away from the direction of the move so that no source is overwritten
    // before it is read; memmove handles the overlap inside a row.
    const int W = Moved.Width();
    for (int I = 0; I < Moved.Height(); ++I) {
        const int Y = Dy > 0 ? Moved.Bottom - 1 - I : Moved.Top + I;
        uint32_t* Dst = Buffer.Pixels + static_cast<ptrdiff_t>(Y) * Buffer.Stride + Moved.Left;
        const uint32_t* Src =
            Buffer.Pixels + static_cast<ptrdiff_t>(Y - Dy) * Buffer.Stride + Moved.Left - Dx;
        std::memmove(Dst, Src, static_cast<size_t>(W) * sizeof(uint32_t));
    }
    if (Dx != 0 && Dy != 0) return Clip;
    if (Dy > 0) return TRect{Clip.Left, Clip.Top, Clip.Right, Moved.Top};
    if (Dy < 0) return TRect{Clip.Left, Moved.Bottom, Clip.Right, Clip.Bottom};
    if (Dx > 0) return TRect{Clip.Left, Clip.Top, Moved.Left, Clip.Bottom};
    return TRect{Moved.Right, Clip.Top, Clip.Right, Clip.Bottom};
}
