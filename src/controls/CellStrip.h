#pragma once
#include "controls/GdiObjects.h"

#include <windows.h>

namespace sweepora {

// A bitmap cut into equal cells, numbered row by row from the top left.
class CellStrip {
public:
    CellStrip(UniqueGdiObject bitmap, int columns, int rows);
    int CellWidth() const { return cellWidth_; }
    int CellHeight() const { return cellHeight_; }
    int Cells() const { return columns_ * rows_; }
    // Copies one cell unscaled; a cell outside the strip draws nothing.
    void Draw(HDC dc, int cell, int x, int y) const;
    // The nine-part stretch over `area`: corners of `corner` pixels unscaled, edges
    // stretched along the sides, the middle over the rest.
    void DrawNinePart(HDC dc, int cell, const RECT& area, int corner) const;
    HBITMAP Bitmap() const { return static_cast<HBITMAP>(bitmap_.get()); }

private:
    UniqueGdiObject bitmap_;
    int columns_, rows_, cellWidth_ = 0, cellHeight_ = 0;
};

} // namespace sweepora
