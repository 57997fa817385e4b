#include "controls/ControlMessages.h"

#include "controls/GdiObjects.h"

namespace sweepora {

COLORREF ResolveColour(COLORREF colour)
{
    return (colour & 0x80000000u) != 0 ? ::GetSysColor(static_cast<int>(colour & 0xFF)) : colour;
}

namespace {

int ScreenPixelsPerInch(int index)
{
    ScreenDc screen;
    const int dpi = ::GetDeviceCaps(screen.get(), index);
    return dpi > 0 ? dpi : 96;
}

} // namespace

int TwipsToPixelsX(int twips) { return ::MulDiv(twips, ScreenPixelsPerInch(LOGPIXELSX), 1440); }
int TwipsToPixelsY(int twips) { return ::MulDiv(twips, ScreenPixelsPerInch(LOGPIXELSY), 1440); }

} // namespace sweepora
