#include "controls/CellStrip.h"

#include <algorithm>

namespace sweepora {

CellStrip::CellStrip(UniqueGdiObject bitmap, int columns, int rows)
    : bitmap_(std::move(bitmap)), columns_(columns), rows_(rows)
{
    BITMAP info = {};
    if (bitmap_ && ::GetObjectA(bitmap_.get(), sizeof info, &info) == sizeof info && columns > 0 && rows > 0) {
        cellWidth_ = info.bmWidth / columns;
        cellHeight_ = info.bmHeight / rows;
    }
}

void CellStrip::Draw(HDC dc, int cell, int x, int y) const
{
    if (cell < 0 || cell >= Cells() || cellWidth_ == 0) return;
    UniqueMemoryDc source(::CreateCompatibleDC(dc));
    SelectedObject selected(source.get(), bitmap_.get());
    ::BitBlt(dc, x, y, cellWidth_, cellHeight_, source.get(), (cell % columns_) * cellWidth_,
             (cell / columns_) * cellHeight_, SRCCOPY);
}

void CellStrip::DrawNinePart(HDC dc, int cell, const RECT& area, int corner) const
{
    if (cell < 0 || cell >= Cells() || cellWidth_ <= 2 * corner || cellHeight_ <= 2 * corner) return;
    UniqueMemoryDc source(::CreateCompatibleDC(dc));
    SelectedObject selected(source.get(), bitmap_.get());
    const int sx = (cell % columns_) * cellWidth_, sy = (cell / columns_) * cellHeight_;
    const int w = area.right - area.left, h = area.bottom - area.top;
    // Source and target spans of the three columns and rows.
    const int srcX[4] = {0, corner, cellWidth_ - corner, cellWidth_};
    const int srcY[4] = {0, corner, cellHeight_ - corner, cellHeight_};
    const int dstX[4] = {0, corner, std::max(corner, w - corner), w};
    const int dstY[4] = {0, corner, std::max(corner, h - corner), h};
    ::SetStretchBltMode(dc, COLORONCOLOR);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            ::StretchBlt(dc, area.left + dstX[column], area.top + dstY[row], dstX[column + 1] - dstX[column],
                         dstY[row + 1] - dstY[row], source.get(), sx + srcX[column], sy + srcY[row],
                         srcX[column + 1] - srcX[column], srcY[row + 1] - srcY[row], SRCCOPY);
}

} // namespace sweepora
