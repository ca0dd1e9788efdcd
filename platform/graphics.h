// Drawing: colours, rectangles, fonts, the canvas interface, off-screen bitmaps and image lists.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A colour in $00BBGGRR order. System colours have the high bit set (clWindow, ...).
using TColor = int32_t;
// The colour value that means "no colour": each user substitutes its own default.
inline constexpr TColor clNoColor = 0x1FFFFFFF;

// Font style set (bit mask).
enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clSystemColor = static_cast<TColor>(0x80000000u);
inline constexpr TColor clWindow = clSystemColor | 5;
inline constexpr TColor clWindowText = clSystemColor | 8;
inline constexpr TColor clBtnFace = clSystemColor | 15;
inline constexpr TColor clBtnShadow = clSystemColor | 16;
inline constexpr TColor clHighlight = clSystemColor | 13;
inline constexpr TColor clHighlightText = clSystemColor | 14;

constexpr int GetRValue(TColor C) {
    return C & 0xFF;
}
constexpr int GetGValue(TColor C) {
    return (C >> 8) & 0xFF;
}
constexpr int GetBValue(TColor C) {
    return (C >> 16) & 0xFF;
}
constexpr TColor RGB(int R, int G, int B) {
    return (R & 0xFF) | ((G & 0xFF) << 8) | ((B & 0xFF) << 16);
}
// The plain $00BBGGRR value of a colour (system colours looked up; the top byte dropped).
TColor ColorToRGB(TColor C);

struct TPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPoint&) const = default;
};

// A rectangle; Right and Bottom are exclusive, as on Win32.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(TPoint P) const { return P.X >= Left && P.X < Right && P.Y >= Top && P.Y < Bottom; }
    bool operator==(const TRect&) const = default;
};
inline TRect Rect(int Left, int Top, int Right, int Bottom) {
    return TRect{Left, Top, Right, Bottom};
}
inline TRect Bounds(int Left, int Top, int Width, int Height) {
    return TRect{Left, Top, Left + Width, Top + Height};
}
// The common part; an empty rectangle when they do not overlap.
TRect IntersectRect(const TRect& A, const TRect& B);
// The smallest rectangle holding both (an empty one counts as nothing).
TRect UnionRect(const TRect& A, const TRect& B);
TRect OffsetRect(const TRect& R, int Dx, int Dy);

// A font as the controls name it: a Windows face name (CP932, mapped by the backend to an
// installed font of the same metrics), a character height in pixels, colour and style.
struct TFont {
    std::string Name = "FixedSys";
    int Height = 12;
    TColor Color = clBlack;
    TFontStyles Style = 0;
    bool operator==(const TFont&) const = default;
};

// What GetTextMetrics reports, in pixels.
struct TTextMetric {
    int Height = 0; // ascent + descent
    int Ascent = 0;
    int Descent = 0;
    int ExternalLeading = 0;
    int AveCharWidth = 0; // half-width character cell of the fixed-pitch faces
    int MaxCharWidth = 0;
};

// Raster operations of BitBlt and PatBlt: the Win32 ternary codes over pattern (brush),
// source and destination. Any ternary code works; these are the named ones.
using TRasterOp = uint32_t;
inline constexpr TRasterOp SRCCOPY = 0x00CC0020;     // S
inline constexpr TRasterOp SRCPAINT = 0x00EE0086;    // S | D
inline constexpr TRasterOp SRCAND = 0x008800C6;      // S & D
inline constexpr TRasterOp SRCINVERT = 0x00660046;   // S ^ D
inline constexpr TRasterOp SRCERASE = 0x00440328;    // S & ~D
inline constexpr TRasterOp NOTSRCCOPY = 0x00330008;  // ~S
inline constexpr TRasterOp NOTSRCERASE = 0x001100A6; // ~(S | D)
inline constexpr TRasterOp MERGECOPY = 0x00C000CA;   // P & S
inline constexpr TRasterOp MERGEPAINT = 0x00BB0226;  // ~S | D
inline constexpr TRasterOp PATCOPY = 0x00F00021;     // P
inline constexpr TRasterOp PATINVERT = 0x005A0049;   // P ^ D
inline constexpr TRasterOp DSTINVERT = 0x00550009;   // ~D
inline constexpr TRasterOp BLACKNESS = 0x00000042;
inline constexpr TRasterOp WHITENESS = 0x00FF0062;

enum TBrushStyle : uint8_t { bsSolid, bsClear };
// ExtTextOut options (bit mask).
enum TTextOutOption : uint8_t { etoOpaque = 1, etoClipped = 2 };
using TTextOutOptions = uint8_t;

class TBitmap;

// Somewhere to draw: a window's backing surface or an off-screen bitmap. Coordinates are
// pixels of the surface (a window's client coordinates). Every call is clipped to the
// canvas clip (inside WM_PAINT: the update region).
class TCanvas {
public:
    virtual ~TCanvas() = default;

    virtual void SetFont(const TFont& Font) = 0;
    virtual const TFont& GetFont() const = 0;
    // Metrics of the current font.
    virtual TTextMetric GetTextMetrics() = 0;

    virtual void SetBrushColor(TColor Color) = 0;
    virtual TColor GetBrushColor() const = 0;
    // bsClear draws text without its cell background.
    virtual void SetBrushStyle(TBrushStyle Style) = 0;
    virtual TBrushStyle GetBrushStyle() const = 0;
    // A solid pen one pixel wide.
    virtual void SetPenColor(TColor Color) = 0;
    virtual TColor GetPenColor() const = 0;

    // Fills with the brush colour.
    virtual void FillRect(const TRect& R) = 0;
    // Lines with the pen; LineTo leaves the end point undrawn and moves the pen there.
    virtual void MoveTo(int X, int Y) = 0;
    virtual void LineTo(int X, int Y) = 0;
    virtual void SetPixel(int X, int Y, TColor Color) = 0;
    virtual TColor GetPixel(int X, int Y) const = 0;

    // Text on the cell grid: byte i of Bytes lies in the cell at X + i * CellWidth, and a
    // double-byte character covers its two cells; glyphs are placed per cell, never by the
    // font's own advances. Y is the top of the cells, which are the font's Height tall.
    // etoOpaque fills Rect with the brush colour first; etoClipped clips the text to Rect.
    // With a solid brush the cells get the brush colour behind the glyphs; with bsClear only
    // the glyphs are drawn. The text colour is the font's.
    virtual void ExtTextOut(int X, int Y, TTextOutOptions Options, const TRect& Rect, std::string_view Bytes,
                            int CellWidth) = 0;

    // Combines W x H pixels of Source at (SX, SY) into the canvas at (X, Y). The source
    // may be the bitmap this canvas draws on.
    virtual void BitBlt(int X, int Y, int W, int H, const TBitmap& Source, int SX, int SY, TRasterOp Rop) = 0;
    // Combines the brush colour with the canvas inside R (PATCOPY, PATINVERT, DSTINVERT...).
    virtual void PatBlt(const TRect& R, TRasterOp Rop) = 0;
    // The whole bitmap at (X, Y), SRCCOPY.
    void Draw(int X, int Y, const TBitmap& Source);

    // The bounding box of the clip (inside WM_PAINT the update region's, else the surface).
    virtual TRect ClipRect() const = 0;
};

// The pixels a raster canvas draws on: 32-bit words 0xFFRRGGBB, row by row.
struct TPixelBuffer {
    uint32_t* Pixels = nullptr;
    int Width = 0;
    int Height = 0;
    int Stride = 0; // words per row
};
uint32_t ColorToPixel(TColor C);
TColor PixelToColor(uint32_t P);

// Draws text for raster canvases; the backend provides it (glyphs need the toolkit's fonts).
class TFontEngine {
public:
    virtual ~TFontEngine() = default;
    virtual TTextMetric Metrics(const TFont& Font) = 0;
    // Draws the glyphs of Bytes into Target, one cell of CellWidth per byte starting at
    // (X, Y = top of the cells), in Font.Color, inside Clip. Backgrounds are the caller's.
    virtual void DrawGlyphs(const TPixelBuffer& Target, const TRect& Clip, int X, int Y,
                            std::string_view Bytes, int CellWidth, const TFont& Font) = 0;
};
// The engine that bitmap canvases use; installed by the backend (nullptr: no glyphs drawn,
// metrics of a 12-pixel cell grid).
TFontEngine* FontEngine();
void SetFontEngine(TFontEngine* Engine);

// An off-screen bitmap of 32-bit pixels with a canvas of its own. A new or resized bitmap
// is white. A monochrome bitmap made from bits holds black (bit 0) and white (bit 1) pixels,
// so that combining it with SRCAND keeps the background where the bits are 1.
class TBitmap {
public:
    TBitmap();
    TBitmap(int Width, int Height);
    ~TBitmap();
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    // New size; the pixels become white.
    void SetSize(int Width, int Height);
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Empty() const { return FWidth == 0 || FHeight == 0; }
    TCanvas& Canvas();

    // Rows of bits, most significant bit leftmost, BytesPerRow bytes each (Win32 mono
    // bitmaps pad rows to 16 bits: 8 bytes for 56 pixels).
    void LoadMonochromeBits(int Width, int Height, const uint8_t* Bits, int BytesPerRow);
    // Copies size and pixels of another bitmap.
    void Assign(const TBitmap& Source);

    TColor GetPixel(int X, int Y) const;
    void SetPixel(int X, int Y, TColor Color);
    const uint32_t* Pixels() const { return FPixels.data(); }
    TPixelBuffer Buffer();

private:
    int FWidth = 0;
    int FHeight = 0;
    std::vector<uint32_t> FPixels;
    std::unique_ptr<class TRasterCanvas> FCanvas;
};

// Walks the points of the line from (X1, Y1) to (X2, Y2), the end point excluded, as the
// Win32 line enumerator does; calls Proc for each.
void LineDDA(int X1, int Y1, int X2, int Y2, const std::function<void(int X, int Y)>& Proc);

// Images of one size, drawn with a transparent colour.
class TImageList {
public:
    TImageList(int Width, int Height);
    ~TImageList();
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int Count() const { return static_cast<int>(FImages.size()); }

    // Adds the images of Bitmap (one, or several side by side) with Transparent as the
    // colour that is not drawn; returns the index of the first one added.
    int AddMasked(const TBitmap& Bitmap, TColor Transparent);
    void Clear();
    // Draws image Index at (X, Y); nothing for an index outside the list.
    void Draw(TCanvas& Canvas, int X, int Y, int Index) const;

private:
    struct TImage {
        std::unique_ptr<TBitmap> Image; // transparent pixels black
        std::unique_ptr<TBitmap> Mask;  // transparent pixels white, the others black
    };
    int FWidth;
    int FHeight;
    std::vector<TImage> FImages;
};
