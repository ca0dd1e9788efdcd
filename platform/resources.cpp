// The row-mark pictures and cursors, drawn here as character art.
#include "platform/resources.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// Digits 4 x 7 for the digit marks: '#' ink.
const char* const GDigitGlyphs[10][7] = {
    {".##.", "#..#", "#..#", "#..#", "#..#", "#..#", ".##."},
    {"..#.", ".##.", "..#.", "..#.", "..#.", "..#.", ".###"},
    {".##.", "#..#", "...#", "..#.", ".#..", "#...", "####"},
    {"###.", "...#", "...#", ".##.", "...#", "...#", "###."},
    {"..#.", ".##.", "#.#.", "#.#.", "####", "..#.", "..#."},
    {"####", "#...", "###.", "...#", "...#", "#..#", ".##."},
    {".##.", "#...", "#...", "###.", "#..#", "#..#", ".##."},
    {"####", "...#", "..#.", "..#.", ".#..", ".#..", ".#.."},
    {".##.", "#..#", "#..#", ".##.", "#..#", "#..#", ".##."},
    {".##.", "#..#", "#..#", ".###", "...#", "...#", ".##."},
};

// Pictures 11 x 11: ' ' background (white), '#' outline, letters colours.
const char* const GMarkPictures[6][11] = {
    {"   #####   ", "  #rrrrr#  ", " #rrrrrrr# ", "#rrrrrrrrr#", "#rrrrrrrrr#", "#rrrrrrrrr#", "#rrrrrrrrr#",
     "#rrrrrrrrr#", " #rrrrrrr# ", "  #rrrrr#  ", "   #####   "},
    {"###########", "#bbbbbbbbb#", "#bbbbbbbbb#", "#bbbbbbbbb#", "#bbbbbbbbb#", "#bbbbbbbbb#", "#bbbbbbbbb#",
     "#bbbbbbbbb#", "#bbbbbbbbb#", "#bbbbbbbbb#", "###########"},
    {"     #     ", "    #g#    ", "    #g#    ", "   #ggg#   ", "   #ggg#   ", "  #ggggg#  ", "  #ggggg#  ",
     " #ggggggg# ", " #ggggggg# ", "#ggggggggg#", "###########"},
    {"     #     ", "    #m#    ", "   #mmm#   ", "  #mmmmm#  ", " #mmmmmmm# ", "#mmmmmmmmm#", " #mmmmmmm# ",
     "  #mmmmm#  ", "   #mmm#   ", "    #m#    ", "     #     "},
    {"   #####   ", "   #ooo#   ", "   #ooo#   ", "####ooo####", "#ooooooooo#", "#ooooooooo#", "#ooooooooo#",
     "####ooo####", "   #ooo#   ", "   #ooo#   ", "   #####   "},
    {"##         ", "#c##       ", "#ccc##     ", "#ccccc##   ", "#ccccccc## ", "#ccccccccc#", "#ccccccc## ",
     "#ccccc##   ", "#ccc##     ", "#c##       ", "##         "},
};

TColor PictureColor(char C) {
    switch (C) {
    case '#':
        return clBlack;
    case 'r':
        return RGB(0xE0, 0x20, 0x20);
    case 'b':
        return RGB(0x20, 0x40, 0xE0);
    case 'g':
        return RGB(0x10, 0xA0, 0x30);
    case 'm':
        return RGB(0xC0, 0x20, 0xC0);
    case 'o':
        return RGB(0xF0, 0x90, 0x10);
    case 'c':
        return RGB(0x10, 0xB0, 0xC0);
    default:
        return clWhite;
    }
}

void DrawDigitMark(int Digit, TBitmap& B) {
    B.SetSize(8, 11);
    for (int Y = 0; Y < 11; ++Y)
        for (int X = 0; X < 8; ++X) {
            const bool Corner = (Y == 0 || Y == 10) && (X == 0 || X == 7);
            const bool Edge = Y == 0 || Y == 10 || X == 0 || X == 7;
            TColor C = Corner ? clRed : Edge ? clBlack : clWhite;
            if (Y >= 2 && Y <= 8 && X >= 2 && X <= 5 && GDigitGlyphs[Digit][Y - 2][X - 2] == '#') C = clBlack;
            B.SetPixel(X, Y, C);
        }
}

void DrawPictureMark(int Index, TBitmap& B) {
    B.SetSize(11, 11);
    for (int Y = 0; Y < 11; ++Y)
        for (int X = 0; X < 11; ++X) B.SetPixel(X, Y, PictureColor(GMarkPictures[Index][Y][X]));
}

const char* const GArrow[] = {
    "X           ", "XX          ", "X.X         ", "X..X        ", "X...X       ",
    "X....X      ", "X.....X     ", "X......X    ", "X.......X   ", "X........X  ",
    "X.........X ", "X......XXXXX", "X...X..X    ", "X..XX..X    ", "X.X  X..X   ",
    "XX   X..X   ", "X     X..X  ", "      X..X  ", "       XX   ",
};
constexpr int kArrowRows = sizeof(GArrow) / sizeof(GArrow[0]);

TCursorResource MakeRightArrow() {
    TCursorResource R;
    R.Width = 12;
    R.Height = kArrowRows;
    R.HotX = 11;
    for (const char* Row : GArrow) {
        std::string S(Row);
        std::reverse(S.begin(), S.end());
        R.Rows.push_back(S);
    }
    return R;
}

TCursorResource MakeDragSelCopy() {
    TCursorResource R;
    R.Width = 21;
    R.Height = 24;
    R.Rows.assign(24, std::string(21, ' '));
    for (int Y = 0; Y < kArrowRows; ++Y) R.Rows[Y].replace(0, 12, GArrow[Y]);
    // The plus box, 9 x 9 at the lower right.
    for (int Y = 15; Y < 24; ++Y)
        for (int X = 12; X < 21; ++X) {
            const bool Border = Y == 15 || Y == 23 || X == 12 || X == 20;
            const bool Plus = (Y == 19 && X >= 14 && X <= 18) || (X == 16 && Y >= 17 && Y <= 21);
            R.Rows[Y][X] = Border || Plus ? 'X' : '.';
        }
    return R;
}

bool ParseIndex(const std::string& Name, const char* Prefix, int Count, int& Index) {
    if (Name.size() != 4 || Name.compare(0, 2, Prefix) != 0 || Name[2] != '0') return false;
    if (Name[3] < '0' || Name[3] >= '0' + Count) return false;
    Index = Name[3] - '0';
    return true;
}

} // namespace

bool LoadBitmapResource(const std::string& Name, TBitmap& Target) {
    int I = 0;
    if (ParseIndex(Name, "DD", 10, I)) {
        DrawDigitMark(I, Target);
        return true;
    }
    if (ParseIndex(Name, "DM", 6, I)) {
        DrawPictureMark(I, Target);
        return true;
    }
    return false;
}

const TCursorResource* FindCursorResource(const std::string& Name) {
    static const TCursorResource RightArrow = MakeRightArrow();
    static const TCursorResource DragSelCopy = MakeDragSelCopy();
    if (Name == "RightArrow") return &RightArrow;
    if (Name == "DragSelCopy") return &DragSelCopy;
    return nullptr;
}
