#include "controls/Artwork.h"

namespace sweepora {

namespace {

struct Look {
    COLORREF border, face, mark, highlight;
};

// normal, hover, pressed, disabled
constexpr Look kLooks[4] = {
    {RGB(0x1C, 0x51, 0x80), RGB(0xF4, 0xF4, 0xF0), RGB(0x21, 0xA1, 0x21), RGB(0xF4, 0xF4, 0xF0)},
    {RGB(0x1C, 0x51, 0x80), RGB(0xF4, 0xF4, 0xF0), RGB(0x21, 0xA1, 0x21), RGB(0xF8, 0xB3, 0x30)},
    {RGB(0x1C, 0x51, 0x80), RGB(0xB0, 0xB0, 0xA7), RGB(0x21, 0xA1, 0x21), RGB(0xB0, 0xB0, 0xA7)},
    {RGB(0xCA, 0xC8, 0xBB), RGB(0xFF, 0xFF, 0xFF), RGB(0xCA, 0xC8, 0xBB), RGB(0xFF, 0xFF, 0xFF)},
};

// Rows of a 24-bit DIB are padded to whole DWORDs.
int Stride(int width) { return (width * 3 + 3) & ~3; }

UniqueGdiObject Bitmap24(int width, int height, BYTE*& pixels)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    UniqueGdiObject bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    pixels = static_cast<BYTE*>(bits);
    return bitmap;
}

void Put(BYTE* at, COLORREF c)
{
    at[0] = GetBValue(c);
    at[1] = GetGValue(c);
    at[2] = GetRValue(c);
}

} // namespace

CellStrip CheckBoxArtwork()
{
    constexpr int kSide = 13;
    BYTE* pixels = nullptr;
    UniqueGdiObject bitmap = Bitmap24(kSide, kSide * 12, pixels);
    if (pixels != nullptr) {
        for (int cell = 0; cell < 12; ++cell) {
            const int value = cell / 4;
            const Look& look = kLooks[cell % 4];
            for (int y = 0; y < kSide; ++y) {
                for (int x = 0; x < kSide; ++x) {
                    const bool edge = x == 0 || y == 0 || x == kSide - 1 || y == kSide - 1;
                    const bool rim = x == 1 || y == 1 || x == kSide - 2 || y == kSide - 2;
                    // A tick: down from (3,6) to (5,8), then up to (9,4), three pixels thick.
                    const int dy = x <= 5 ? y - (x + 3) : y - (13 - x);
                    const bool tick = x >= 3 && x <= 9 && dy >= 0 && dy <= 2;
                    const bool square = x >= 3 && y >= 3 && x <= 9 && y <= 9;
                    COLORREF c = edge ? look.border : rim ? look.highlight : look.face;
                    if ((value == 1 && tick) || (value == 2 && square && !edge && !rim)) c = look.mark;
                    if (value == 2 && square && c == look.mark && look.mark != kLooks[3].mark) c = RGB(0x9C, 0xB8, 0x9C);
                    Put(pixels + (cell * kSide + y) * Stride(kSide) + x * 3, c);
                }
            }
        }
    }
    return CellStrip(std::move(bitmap), 1, 12);
}

CellStrip RadioButtonArtwork()
{
    constexpr int kSide = 16;
    BYTE* pixels = nullptr;
    UniqueGdiObject bitmap = Bitmap24(kSide, kSide * 8, pixels);
    if (pixels != nullptr) {
        for (int cell = 0; cell < 8; ++cell) {
            const bool on = cell >= 4;
            const Look& look = kLooks[cell % 4];
            for (int y = 0; y < kSide; ++y) {
                for (int x = 0; x < kSide; ++x) {
                    // Distances from the centre, squared, in quarter pixels.
                    const int dx = 2 * x - 15, dy = 2 * y - 15, d = dx * dx + dy * dy;
                    COLORREF c = ::GetSysColor(COLOR_BTNFACE);
                    if (d <= 225) c = look.border;
                    if (d <= 169) c = look.highlight;
                    if (d <= 121) c = look.face;
                    if (on && d <= 36) c = look.mark;
                    Put(pixels + (cell * kSide + y) * Stride(kSide) + x * 3, c);
                }
            }
        }
    }
    return CellStrip(std::move(bitmap), 1, 8);
}

} // namespace sweepora

namespace sweepora {

CellStrip CommandButtonArtwork()
{
    constexpr int kCell = 18, kHeight = 21, kWidth = kCell * 5;
    // The palette: border, disabled border, face top, face bottom, pressed face,
    // disabled face, hover rim, emphasised rim, the corners' background.
    const COLORREF colours[] = {RGB(0x00, 0x3C, 0x74), RGB(0xC9, 0xC7, 0xBA), RGB(0xFF, 0xFF, 0xFF),
                                RGB(0xE3, 0xE3, 0xDB), RGB(0xCD, 0xCA, 0xC3), RGB(0xF5, 0xF4, 0xEA),
                                RGB(0xF8, 0xB3, 0x30), RGB(0x69, 0x82, 0xEE), ::GetSysColor(COLOR_BTNFACE)};
    struct Palette {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } info = {};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = kWidth;
    info.header.biHeight = -kHeight;
    info.header.biPlanes = 1;
    info.header.biBitCount = 8;
    info.header.biClrUsed = 256;
    for (int i = 0; i < 9; ++i)
        info.colours[i] = {GetBValue(colours[i]), GetGValue(colours[i]), GetRValue(colours[i]), 0};
    void* bits = nullptr;
    UniqueGdiObject bitmap(::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                                              nullptr, 0));
    auto* pixels = static_cast<BYTE*>(bits);
    const int stride = (kWidth + 3) & ~3;
    if (pixels != nullptr) {
        for (int cell = 0; cell < 5; ++cell) {
            for (int y = 0; y < kHeight; ++y) {
                for (int x = 0; x < kCell; ++x) {
                    const bool corner = (x == 0 || x == kCell - 1) && (y == 0 || y == kHeight - 1);
                    const bool edge = x == 0 || y == 0 || x == kCell - 1 || y == kHeight - 1;
                    const bool rim = x == 1 || y == 1 || x == kCell - 2 || y == kHeight - 2;
                    BYTE c = y < kHeight / 2 ? 2 : 3;
                    if (cell == 1) c = 4;
                    if (cell == 2) c = 5;
                    if (rim && cell == 3) c = 6;
                    if (rim && cell == 4) c = 7;
                    if (edge) c = cell == 2 ? 1 : 0;
                    if (corner) c = 8;
                    pixels[y * stride + cell * kCell + x] = c;
                }
            }
        }
    }
    return CellStrip(std::move(bitmap), 5, 1);
}

} // namespace sweepora
