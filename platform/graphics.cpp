// Rectangles, colours, bitmaps, the line walk and image lists.
#include "platform/graphics.h"

#include <algorithm>
#include <cstdlib>

#include "platform/raster_canvas.h"

namespace {
TFontEngine* GFontEngine = nullptr;

// The Windows defaults of the system colours the controls use.
TColor SystemColor(int Index) {
    switch (Index) {
    case 5:
        return clWhite; // window
    case 8:
        return clBlack; // window text
    case 13:
        return RGB(0x00, 0x78, 0xD7); // highlight
    case 14:
        return clWhite; // highlight text
    case 15:
        return RGB(0xF0, 0xF0, 0xF0); // button face
    case 16:
        return RGB(0xA0, 0xA0, 0xA0); // button shadow
    default:
        return clBlack;
    }
}
} // namespace

TColor ColorToRGB(TColor C) {
    if (C & clSystemColor) return SystemColor(C & 0xFF);
    return C & 0xFFFFFF;
}

uint32_t ColorToPixel(TColor C) {
    const TColor V = ColorToRGB(C);
    return 0xFF000000u | (uint32_t(GetRValue(V)) << 16) | (uint32_t(GetGValue(V)) << 8) |
           uint32_t(GetBValue(V));
}

TColor PixelToColor(uint32_t P) {
    return RGB((P >> 16) & 0xFF, (P >> 8) & 0xFF, P & 0xFF);
}

TRect IntersectRect(const TRect& A, const TRect& B) {
    TRect R{std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
            std::min(A.Bottom, B.Bottom)};
    if (R.IsEmpty()) return TRect{};
    return R;
}

TRect UnionRect(const TRect& A, const TRect& B) {
    if (A.IsEmpty()) return B.IsEmpty() ? TRect{} : B;
    if (B.IsEmpty()) return A;
    return TRect{std::min(A.Left, B.Left), std::min(A.Top, B.Top), std::max(A.Right, B.Right),
                 std::max(A.Bottom, B.Bottom)};
}

TRect OffsetRect(const TRect& R, int Dx, int Dy) {
    return TRect{R.Left + Dx, R.Top + Dy, R.Right + Dx, R.Bottom + Dy};
}

void TCanvas::Draw(int X, int Y, const TBitmap& Source) {
    BitBlt(X, Y, Source.Width(), Source.Height(), Source, 0, 0, SRCCOPY);
}

TFontEngine* FontEngine() {
    return GFontEngine;
}
void SetFontEngine(TFontEngine* Engine) {
    GFontEngine = Engine;
}

void LineDDA(int X1, int Y1, int X2, int Y2, const std::function<void(int X, int Y)>& Proc) {
    // Bresenham over the major axis; the end point is not visited.
    const int Dx = std::abs(X2 - X1), Dy = std::abs(Y2 - Y1);
    const int Sx = X1 < X2 ? 1 : -1, Sy = Y1 < Y2 ? 1 : -1;
    const int Steps = std::max(Dx, Dy);
    int X = X1, Y = Y1;
    int Err = (Dx >= Dy ? Dx : Dy) / 2;
    for (int I = 0; I < Steps; ++I) {
        Proc(X, Y);
        if (Dx >= Dy) {
            X += Sx;
            Err -= Dy;
            if (Err < 0) {
                Y += Sy;
                Err += Dx;
            }
        } else {
            Y += Sy;
            Err -= Dx;
            if (Err < 0) {
                X += Sx;
                Err += Dy;
            }
        }
    }
}

// --- TBitmap ---------------------------------------------------------------------------

TBitmap::TBitmap() : FCanvas(std::make_unique<TRasterCanvas>()) {}

TBitmap::TBitmap(int Width, int Height) : TBitmap() {
    SetSize(Width, Height);
}

TBitmap::~TBitmap() = default;

void TBitmap::SetSize(int Width, int Height) {
    FWidth = std::max(0, Width);
    FHeight = std::max(0, Height);
    FPixels.assign(static_cast<size_t>(FWidth) * FHeight, ColorToPixel(clWhite));
    FCanvas->Bind(Buffer());
}

TCanvas& TBitmap::Canvas() {
    return *FCanvas;
}

TPixelBuffer TBitmap::Buffer() {
    return TPixelBuffer{FPixels.empty() ? nullptr : FPixels.data(), FWidth, FHeight, FWidth};
}

void TBitmap::LoadMonochromeBits(int Width, int Height, const uint8_t* Bits, int BytesPerRow) {
    SetSize(Width, Height);
    const uint32_t Black = ColorToPixel(clBlack), White = ColorToPixel(clWhite);
    for (int Y = 0; Y < FHeight; ++Y)
        for (int X = 0; X < FWidth; ++X) {
            const bool Set = (Bits[Y * BytesPerRow + X / 8] >> (7 - X % 8)) & 1;
            FPixels[static_cast<size_t>(Y) * FWidth + X] = Set ? White : Black;
        }
}

void TBitmap::Assign(const TBitmap& Source) {
    if (&Source == this) return;
    FWidth = Source.FWidth;
    FHeight = Source.FHeight;
    FPixels = Source.FPixels;
    FCanvas->Bind(Buffer());
}

TColor TBitmap::GetPixel(int X, int Y) const {
    if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return -1;
    return PixelToColor(FPixels[static_cast<size_t>(Y) * FWidth + X]);
}

void TBitmap::SetPixel(int X, int Y, TColor Color) {
    if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return;
    FPixels[static_cast<size_t>(Y) * FWidth + X] = ColorToPixel(Color);
}

// --- TImageList --------------------------------------------------------------------------

TImageList::TImageList(int Width, int Height) : FWidth(Width), FHeight(Height) {}

TImageList::~TImageList() = default;

int TImageList::AddMasked(const TBitmap& Bitmap, TColor Transparent) {
    const int First = Count();
    if (FWidth <= 0 || FHeight <= 0) return First;
    const TColor Key = ColorToRGB(Transparent);
    const int N = std::max(1, Bitmap.Width() / FWidth);
    for (int I = 0; I < N; ++I) {
        TImage Img{std::make_unique<TBitmap>(FWidth, FHeight), std::make_unique<TBitmap>(FWidth, FHeight)};
        for (int Y = 0; Y < FHeight; ++Y)
            for (int X = 0; X < FWidth; ++X) {
                const TColor C = Bitmap.GetPixel(I * FWidth + X, Y);
                const bool Clear = C == -1 || C == Key;
                Img.Image->SetPixel(X, Y, Clear ? clBlack : C);
                Img.Mask->SetPixel(X, Y, Clear ? clWhite : clBlack);
            }
        FImages.push_back(std::move(Img));
    }
    return First;
}

void TImageList::Clear() {
    FImages.clear();
}

void TImageList::Draw(TCanvas& Canvas, int X, int Y, int Index) const {
    if (Index < 0 || Index >= Count()) return;
    const TImage& Img = FImages[static_cast<size_t>(Index)];
    // The mask keeps the background where the image is transparent and clears it elsewhere;
    // the image (black where transparent) is then ORed in.
    Canvas.BitBlt(X, Y, FWidth, FHeight, *Img.Mask, 0, 0, SRCAND);
    Canvas.BitBlt(X, Y, FWidth, FHeight, *Img.Image, 0, 0, SRCPAINT);
}
