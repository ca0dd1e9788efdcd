// The program's built-in resources: the row-mark bitmaps and the two editor cursors.
#pragma once

#include <string>
#include <vector>

#include "platform/graphics.h"

// Loads a bitmap resource: "DD00" to "DD09" (8 x 11 digits 0-9 on pure red $0000FF, the
// colour their image list leaves transparent) and "DM00" to "DM05" (11 x 11 pictures on
// white, likewise transparent). False, and Target unchanged, for another name.
bool LoadBitmapResource(const std::string& Name, TBitmap& Target);

// A cursor picture: rows of 'X' (black), '.' (white) and ' ' (transparent), with the
// hot spot (the pixel that points).
struct TCursorResource {
    int Width = 0;
    int Height = 0;
    int HotX = 0;
    int HotY = 0;
    std::vector<std::string> Rows;
};
// "RightArrow" (the arrow mirrored, pointing up and right, for the left margin) and
// "DragSelCopy" (the drag arrow with a plus box); nullptr for another name.
const TCursorResource* FindCursorResource(const std::string& Name);
