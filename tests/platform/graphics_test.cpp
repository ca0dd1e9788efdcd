// Bitmaps, image lists, built-in resources, clipboard format names and the cursor table.
#include "platform/graphics.h"

#include <gtest/gtest.h>

#include "platform/clipboard.h"
#include "platform/resources.h"
#include "platform/window.h"

TEST(Colors, SystemColoursAndPixelsRoundTrip) {
    EXPECT_EQ(ColorToRGB(clWindow), clWhite);
    EXPECT_EQ(ColorToRGB(clWindowText), clBlack);
    EXPECT_EQ(ColorToRGB(0x1FFFFFFF), 0xFFFFFF); // the top byte is not part of the colour
    EXPECT_EQ(ColorToPixel(RGB(1, 2, 3)), 0xFF010203u);
    EXPECT_EQ(PixelToColor(0xFF010203u), RGB(1, 2, 3));
}

TEST(Rects, IntersectionAndUnionTreatEmptyAsNothing) {
    EXPECT_EQ(IntersectRect(Rect(0, 0, 10, 10), Rect(5, 5, 20, 20)), Rect(5, 5, 10, 10));
    EXPECT_TRUE(IntersectRect(Rect(0, 0, 5, 5), Rect(5, 0, 10, 5)).IsEmpty());
    EXPECT_EQ(UnionRect(TRect{}, Rect(1, 1, 2, 2)), Rect(1, 1, 2, 2));
    EXPECT_EQ(UnionRect(Rect(0, 0, 1, 1), Rect(4, 4, 5, 5)), Rect(0, 0, 5, 5));
}

TEST(Bitmap, NewAndResizedBitmapsAreWhite) {
    TBitmap B(3, 2);
    B.SetPixel(1, 1, clRed);
    B.SetSize(4, 4);
    EXPECT_EQ(B.GetPixel(1, 1), clWhite);
    EXPECT_EQ(B.GetPixel(4, 0), -1);
    TBitmap Copy;
    B.SetPixel(2, 3, clRed);
    Copy.Assign(B);
    EXPECT_EQ(Copy.Width(), 4);
    EXPECT_EQ(Copy.GetPixel(2, 3), clRed);
    // The copy draws on its own pixels.
    Copy.Canvas().SetBrushColor(clBlack);
    Copy.Canvas().FillRect(Rect(0, 0, 4, 4));
    EXPECT_EQ(B.GetPixel(0, 0), clWhite);
}

TEST(ImageList, DrawsAllButTheTransparentColour) {
    TBitmap Strip(4, 1); // two images of 2 x 1 side by side
    Strip.SetPixel(0, 0, clRed);
    Strip.SetPixel(1, 0, clBlack);
    Strip.SetPixel(2, 0, RGB(0, 200, 0));
    Strip.SetPixel(3, 0, clRed);
    TImageList List(2, 1);
    EXPECT_EQ(List.AddMasked(Strip, clRed), 0);
    EXPECT_EQ(List.Count(), 2);
    TBitmap Target(6, 1);
    Target.Canvas().SetBrushColor(clGray);
    Target.Canvas().FillRect(Rect(0, 0, 6, 1));
    List.Draw(Target.Canvas(), 0, 0, 0);
    List.Draw(Target.Canvas(), 3, 0, 1);
    List.Draw(Target.Canvas(), 0, 0, 2); // no such image
    EXPECT_EQ(Target.GetPixel(0, 0), clGray);
    EXPECT_EQ(Target.GetPixel(1, 0), clBlack);
    EXPECT_EQ(Target.GetPixel(3, 0), RGB(0, 200, 0));
    EXPECT_EQ(Target.GetPixel(4, 0), clGray);
}

TEST(Resources, MarkImagesHaveTheirSizesAndTransparentBackground) {
    struct TCase {
        const char* Name;
        int W, H;
        TColor Transparent;
    };
    const TCase Cases[] = {
        {"DD00", 8, 11, clRed}, {"DD09", 8, 11, clRed}, {"DM00", 11, 11, clWhite}, {"DM05", 11, 11, clWhite}};
    for (const TCase& K : Cases) {
        TBitmap B;
        ASSERT_TRUE(LoadBitmapResource(K.Name, B)) << K.Name;
        EXPECT_EQ(B.Width(), K.W) << K.Name;
        EXPECT_EQ(B.Height(), K.H) << K.Name;
        int Transparent = 0, Ink = 0;
        for (int Y = 0; Y < B.Height(); ++Y)
            for (int X = 0; X < B.Width(); ++X) (B.GetPixel(X, Y) == K.Transparent ? Transparent : Ink)++;
        EXPECT_GT(Transparent, 0) << K.Name;
        EXPECT_GT(Ink, 0) << K.Name;
    }
    // The ten digits are ten different pictures.
    for (int A = 0; A < 10; ++A)
        for (int Bi = A + 1; Bi < 10; ++Bi) {
            TBitmap X, Y;
            LoadBitmapResource("DD0" + std::to_string(A), X);
            LoadBitmapResource("DD0" + std::to_string(Bi), Y);
            EXPECT_FALSE(std::equal(X.Pixels(), X.Pixels() + 88, Y.Pixels())) << A << " " << Bi;
        }
    TBitmap Unchanged(2, 2);
    for (const char* Bad : {"DD10", "DM06", "DD0", "XX00", "dd00"})
        EXPECT_FALSE(LoadBitmapResource(Bad, Unchanged));
    EXPECT_EQ(Unchanged.Width(), 2);
}

TEST(Resources, CursorsHaveHotSpotsOnTheirPicture) {
    for (const char* Name : {"RightArrow", "DragSelCopy"}) {
        const TCursorResource* C = FindCursorResource(Name);
        ASSERT_NE(C, nullptr) << Name;
        ASSERT_EQ(static_cast<int>(C->Rows.size()), C->Height) << Name;
        for (const std::string& Row : C->Rows) EXPECT_EQ(static_cast<int>(Row.size()), C->Width) << Name;
        EXPECT_EQ(C->Rows[C->HotY][C->HotX], 'X') << Name;
    }
    EXPECT_EQ(FindCursorResource("Nothing"), nullptr);
}

TEST(ScreenCursors, RegisteredNumbersNameTheirResource) {
    SetScreenCursor(1958, "RightArrow");
    EXPECT_EQ(ScreenCursorResource(1958), "RightArrow");
    EXPECT_EQ(ScreenCursorResource(1957), "");
}

TEST(ClipboardFormats, OneNumberPerNameWhateverItsCase) {
    const TClipboardFormat Box = RegisterClipboardFormat("TEditor Box Type");
    EXPECT_GE(Box, 0xC000u);
    EXPECT_EQ(RegisterClipboardFormat("teditor box type"), Box);
    const TClipboardFormat Other = RegisterClipboardFormat("Another");
    EXPECT_NE(Other, Box);
    EXPECT_EQ(ClipboardFormatName(Box), "TEditor Box Type");
    EXPECT_EQ(ClipboardFormatName(CF_TEXT), "");
}
