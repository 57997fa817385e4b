#include "shell/ProgramIcon.h"

namespace sweepora {

UniqueIcon ProgramIcon(int size)
{
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueGdiObject colour(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueGdiObject mask(::CreateBitmap(size, size, 1, 1, nullptr));
    if (!colour || !mask || bits == nullptr) return UniqueIcon();
    {
        ScreenDc screen;
        UniqueMemoryDc dc(::CreateCompatibleDC(screen.get()));
        UniqueMemoryDc maskDc(::CreateCompatibleDC(screen.get()));
        SelectedObject selected(dc.get(), colour.get());
        SelectedObject maskSelected(maskDc.get(), mask.get());
        // The mask: white (see-through) everywhere but the disc.
        ::PatBlt(maskDc.get(), 0, 0, size, size, WHITENESS);
        {
            SelectedObject brush(maskDc.get(), ::GetStockObject(BLACK_BRUSH));
            SelectedObject pen(maskDc.get(), ::GetStockObject(BLACK_PEN));
            ::Ellipse(maskDc.get(), 0, 0, size, size);
        }
        ::PatBlt(dc.get(), 0, 0, size, size, BLACKNESS);
        UniqueGdiObject disc(::CreateSolidBrush(RGB(0x1F, 0x5F, 0xB4)));
        UniqueGdiObject rim(::CreatePen(PS_SOLID, 1, RGB(0x0E, 0x35, 0x6E)));
        {
            SelectedObject brush(dc.get(), disc.get());
            SelectedObject pen(dc.get(), rim.get());
            ::Ellipse(dc.get(), 0, 0, size, size);
        }
        UniqueGdiObject sweep(::CreateSolidBrush(RGB(0x3C, 0xB3, 0x4A)));
        const RECT band = {size / 5, size * 3 / 4, size * 4 / 5, size * 3 / 4 + size / 10 + 1};
        ::FillRect(dc.get(), &band, static_cast<HBRUSH>(sweep.get()));
        UniqueGdiObject font(::CreateFontA(-size * 3 / 4, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0,
                                           ANTIALIASED_QUALITY, 0, "Arial"));
        SelectedObject fontSelected(dc.get(), font.get());
        ::SetBkMode(dc.get(), TRANSPARENT);
        ::SetTextColor(dc.get(), RGB(0xFF, 0xFF, 0xFF));
        RECT letter = {0, 0, size, size * 3 / 4 + size / 10};
        ::DrawTextA(dc.get(), "S", 1, &letter, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    // GDI leaves the alpha bytes at 0: the disc is made opaque, the rest see-through, as
    // the mask says for displays without alpha.
    auto* pixels = static_cast<DWORD*>(bits);
    const double radius = size / 2.0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double dx = x + 0.5 - radius, dy = y + 0.5 - radius;
            DWORD& p = pixels[y * size + x];
            p = dx * dx + dy * dy <= radius * radius ? (p | 0xFF000000u) : 0;
        }
    }
    ICONINFO icon = {TRUE, 0, 0, static_cast<HBITMAP>(mask.get()), static_cast<HBITMAP>(colour.get())};
    return UniqueIcon(::CreateIconIndirect(&icon));
}

} // namespace sweepora
