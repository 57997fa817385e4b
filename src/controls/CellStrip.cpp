#include "controls/CellStrip.h"

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

} // namespace sweepora
