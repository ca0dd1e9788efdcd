// The raster canvas: fills and clip regions, lines, raster operations, cell text, scrolling.
#include "platform/raster_canvas.h"

#include <gtest/gtest.h>

#include "support/block_font_engine.h"

namespace {

// A bitmap of W x H filled with one colour.
void Fill(TBitmap& B, int W, int H, TColor C) {
    B.SetSize(W, H);
    B.Canvas().SetBrushColor(C);
    B.Canvas().FillRect(TRect{0, 0, W, H});
}

// The pixels of a row as a string: '#' for Ink, '.' for anything else.
std::string RowOf(const TBitmap& B, int Y, TColor Ink) {
    std::string S;
    for (int X = 0; X < B.Width(); ++X) S += B.GetPixel(X, Y) == Ink ? '#' : '.';
    return S;
}

} // namespace

TEST(RasterCanvas, FillRespectsClipRegionAndExclusiveEdges) {
    TBitmap B;
    Fill(B, 10, 3, clWhite);
    TRasterCanvas C(B.Buffer());
    C.SetClipRegion({TRect{1, 0, 3, 3}, TRect{6, 0, 8, 3}});
    EXPECT_EQ(C.ClipRect(), (TRect{1, 0, 8, 3}));
    C.SetBrushColor(clRed);
    C.FillRect(TRect{0, 1, 7, 2});
    EXPECT_EQ(RowOf(B, 0, clRed), "..........");
    EXPECT_EQ(RowOf(B, 1, clRed), ".##...#...");
    C.ResetClip();
    EXPECT_EQ(C.ClipRect(), (TRect{0, 0, 10, 3}));
}

TEST(RasterCanvas, LinesLeaveTheirEndPointUndrawn) {
    TBitmap B;
    Fill(B, 8, 8, clWhite);
    TCanvas& C = B.Canvas();
    C.SetPenColor(clBlack);
    C.MoveTo(1, 2);
    C.LineTo(6, 2);
    EXPECT_EQ(RowOf(B, 2, clBlack), ".#####..");
    // Vertical, then on from there: the corner belongs to the second line.
    C.MoveTo(0, 3);
    C.LineTo(0, 6);
    C.LineTo(3, 6);
    for (int Y = 3; Y < 6; ++Y) EXPECT_EQ(B.GetPixel(0, Y), clBlack) << Y;
    EXPECT_EQ(RowOf(B, 6, clBlack), "###.....");
}

TEST(RasterCanvas, LineDdaWalksEveryPointButTheLast) {
    std::vector<TPoint> Points;
    LineDDA(0, 0, 4, 0, [&](int X, int Y) { Points.push_back({X, Y}); });
    ASSERT_EQ(Points.size(), 4u);
    EXPECT_EQ(Points.back(), (TPoint{3, 0}));
    Points.clear();
    LineDDA(2, 2, 2, 2, [&](int X, int Y) { Points.push_back({X, Y}); });
    EXPECT_TRUE(Points.empty());
    Points.clear();
    LineDDA(0, 0, 3, -3, [&](int X, int Y) { Points.push_back({X, Y}); });
    EXPECT_EQ(Points, (std::vector<TPoint>{{0, 0}, {1, -1}, {2, -2}}));
}

TEST(RasterCanvas, RasterOperationsCombinePatternSourceAndDestination) {
    struct TCase {
        TRasterOp Rop;
        TColor Expected;
    };
    const TColor Src = 0x00F0F0, Dst = 0x0FF00F, Brush = 0x333333;
    const TCase Cases[] = {
        {SRCCOPY, Src},
        {SRCAND, Src & Dst},
        {SRCPAINT, Src | Dst},
        {SRCINVERT, Src ^ Dst},
        {SRCERASE, Src & ~Dst & 0xFFFFFF},
        {NOTSRCCOPY, ~Src & 0xFFFFFF},
        {NOTSRCERASE, ~(Src | Dst) & 0xFFFFFF},
        {MERGEPAINT, (~Src | Dst) & 0xFFFFFF},
        {MERGECOPY, Brush & Src},
        {PATINVERT, Brush ^ Dst},
        {DSTINVERT, ~Dst & 0xFFFFFF},
        {BLACKNESS, clBlack},
        {WHITENESS, clWhite},
    };
    TBitmap Source;
    Fill(Source, 2, 2, Src);
    for (const TCase& K : Cases) {
        TBitmap Target;
        Fill(Target, 4, 4, Dst);
        Target.Canvas().SetBrushColor(Brush);
        Target.Canvas().BitBlt(1, 1, 2, 2, Source, 0, 0, K.Rop);
        EXPECT_EQ(Target.GetPixel(1, 1), K.Expected) << std::hex << K.Rop;
        EXPECT_EQ(Target.GetPixel(2, 2), K.Expected) << std::hex << K.Rop;
        EXPECT_EQ(Target.GetPixel(0, 0), Dst) << std::hex << K.Rop;
        EXPECT_EQ(Target.GetPixel(3, 3), Dst) << std::hex << K.Rop;
    }
}

TEST(RasterCanvas, BlitWithinOneBitmapReadsTheOriginalPixels) {
    // Copying a pattern one pixel right onto itself must not smear its first pixel.
    TBitmap B;
    Fill(B, 5, 1, clWhite);
    B.SetPixel(0, 0, clRed);
    B.SetPixel(1, 0, clBlack);
    B.Canvas().BitBlt(1, 0, 4, 1, B, 0, 0, SRCCOPY);
    EXPECT_EQ(B.GetPixel(1, 0), clRed);
    EXPECT_EQ(B.GetPixel(2, 0), clBlack);
    EXPECT_EQ(B.GetPixel(3, 0), clWhite);
}

TEST(RasterCanvas, BlitFromOutsideTheSourceLeavesTheTargetAlone) {
    TBitmap Source, Target;
    Fill(Source, 2, 2, clRed);
    Fill(Target, 4, 4, clWhite);
    Target.Canvas().BitBlt(0, 0, 4, 4, Source, 1, 1, SRCCOPY);
    EXPECT_EQ(Target.GetPixel(0, 0), clRed);
    EXPECT_EQ(Target.GetPixel(1, 0), clWhite);
    EXPECT_EQ(Target.GetPixel(0, 1), clWhite);
}

TEST(RasterCanvas, MonochromeBitsCombineIntoColouredGlyphs) {
    // The ruler digits' recipe: glyph colour where the bit is 0, background where it is 1.
    const uint8_t Bits[] = {0xA0, 0x00, 0x50, 0x00}; // rows "1010", "0101", padded to 16 bits
    TBitmap Font;
    Font.LoadMonochromeBits(4, 2, Bits, 2);
    const TColor G = 0x0000C0, Bk = 0xC0C000;
    TBitmap Scratch, Target;
    Fill(Scratch, 4, 2, Bk);
    Scratch.Canvas().BitBlt(0, 0, 4, 2, Font, 0, 0, SRCAND);
    Font.Canvas().PatBlt(TRect{0, 0, 4, 2}, DSTINVERT);
    Fill(Target, 4, 2, G);
    Target.Canvas().BitBlt(0, 0, 4, 2, Font, 0, 0, SRCAND);
    Target.Canvas().BitBlt(0, 0, 4, 2, Scratch, 0, 0, SRCPAINT);
    EXPECT_EQ(RowOf(Target, 0, G), ".#.#");
    EXPECT_EQ(RowOf(Target, 1, G), "#.#.");
    EXPECT_EQ(Target.GetPixel(0, 0), Bk);
}

TEST(RasterCanvas, TextTakesOneCellPerByteAndTwoPerDoubleByteCharacter) {
    TBlockFontEngine Engine;
    TBitmap B;
    Fill(B, 40, 12, clWhite);
    TRasterCanvas C(B.Buffer(), &Engine);
    C.SetFont(TFont{"FixedSys", 12, clBlack, 0});
    C.SetBrushStyle(bsClear);
    // "a", a double-byte character, "b": cells 0, 1-2, 3 of 5 pixels from x 2.
    std::string Text = "a";
    Text.append(cp932::Literal("あ")).append("b");
    C.ExtTextOut(2, 0, 0, TRect{}, Text, 5);
    EXPECT_EQ(RowOf(B, 5, clBlack), "..####.#########.####" + std::string(19, '.'));
}

TEST(RasterCanvas, OpaqueAndClippedTextOutput) {
    TBlockFontEngine Engine;
    TBitmap B;
    Fill(B, 30, 12, clWhite);
    TRasterCanvas C(B.Buffer(), &Engine);
    C.SetFont(TFont{"FixedSys", 12, clBlack, 0});
    C.SetBrushColor(clRed);
    C.SetBrushStyle(bsSolid);
    // Opaque fills the rectangle; clipped cuts the third cell's glyph at x 12.
    C.ExtTextOut(0, 0, etoOpaque | etoClipped, TRect{0, 0, 12, 12}, "xyz", 5);
    EXPECT_EQ(RowOf(B, 5, clBlack), "####.####.##..................");
    EXPECT_EQ(B.GetPixel(4, 5), clRed);
    EXPECT_EQ(B.GetPixel(11, 0), clRed);
    EXPECT_EQ(B.GetPixel(12, 0), clWhite);
    // A solid brush without the opaque option fills the cells only.
    C.SetBrushColor(clGray);
    C.ExtTextOut(20, 0, 0, TRect{}, " ", 5);
    EXPECT_EQ(B.GetPixel(20, 11), clGray);
    EXPECT_EQ(B.GetPixel(25, 11), clWhite);
}

TEST(RasterCanvas, DirtyBoxCollectsWhatWasDrawn) {
    TBitmap B;
    Fill(B, 20, 20, clWhite);
    TRasterCanvas C(B.Buffer());
    int Reports = 0;
    C.OnDirty = [&] { ++Reports; };
    C.SetPixel(3, 4, clBlack);
    C.FillRect(TRect{10, 10, 12, 15});
    C.FillRect(TRect{30, 30, 40, 40}); // outside: nothing drawn
    EXPECT_EQ(Reports, 1);
    EXPECT_EQ(C.TakeDirty(), (TRect{3, 4, 12, 15}));
    EXPECT_TRUE(C.TakeDirty().IsEmpty());
}

TEST(ScrollPixels, MovesInsideTheClipAndReportsWhatItUncovered) {
    struct TCase {
        int Dx, Dy;
        TRect Uncovered;
        TPoint From, To; // a marked pixel and where it ends up
    };
    const TRect Clip{2, 2, 12, 12};
    const TCase Cases[] = {
        {0, 3, TRect{2, 2, 12, 5}, {5, 5}, {5, 8}},
        {0, -3, TRect{2, 9, 12, 12}, {5, 5}, {5, 2}},
        {4, 0, TRect{2, 2, 6, 12}, {5, 5}, {9, 5}},
        {-4, 0, TRect{8, 2, 12, 12}, {6, 5}, {2, 5}},
        {2, 2, Clip, {5, 5}, {7, 7}},
        {0, 10, Clip, {5, 5}, {5, 5}}, // as far as the clip: nothing moves
    };
    for (const TCase& K : Cases) {
        TBitmap B;
        Fill(B, 14, 14, clWhite);
        B.SetPixel(K.From.X, K.From.Y, clRed);
        B.SetPixel(0, 0, clBlack); // outside the clip: never touched
        TPixelBuffer Buf = B.Buffer();
        EXPECT_EQ(ScrollPixels(Buf, K.Dx, K.Dy, Clip), K.Uncovered) << K.Dx << "," << K.Dy;
        EXPECT_EQ(B.GetPixel(K.To.X, K.To.Y), clRed) << K.Dx << "," << K.Dy;
        EXPECT_EQ(B.GetPixel(0, 0), clBlack);
    }
}
