// Writes the program's own icon, as the window draws it, to an .ico file for the installer's
// entry in the list of installed programs: sweepora-icon.exe OUT.ico
#include "shell/ProgramIcon.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

void Put16(std::vector<char>& out, std::uint16_t v)
{
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}
void Put32(std::vector<char>& out, std::uint32_t v)
{
    Put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    Put16(out, static_cast<std::uint16_t>(v >> 16));
}

// One image of an .ico file: the header, 32-bit colour rows and the 1-bit mask, both bottom-up.
bool IconImage(int size, std::vector<char>& image)
{
    sweepora::UniqueIcon icon = sweepora::ProgramIcon(size);
    ICONINFO info = {};
    if (!icon || !::GetIconInfo(icon.get(), &info)) return false;
    sweepora::UniqueGdiObject colour(info.hbmColor), mask(info.hbmMask);
    sweepora::ScreenDc screen;

    BITMAPINFO colourInfo = {};
    colourInfo.bmiHeader = {sizeof colourInfo.bmiHeader, size, size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<char> pixels(static_cast<size_t>(size) * size * 4);
    if (::GetDIBits(screen.get(), static_cast<HBITMAP>(colour.get()), 0, size, pixels.data(), &colourInfo,
                    DIB_RGB_COLORS) != size)
        return false;

    // Mask rows are padded to 4 bytes; a 1-bit DIB needs room for its two palette entries.
    const size_t maskRow = ((size + 31) / 32) * 4;
    std::vector<char> maskBits(maskRow * size);
    std::vector<char> maskInfoBytes(sizeof(BITMAPINFOHEADER) + 2 * sizeof(RGBQUAD));
    auto* maskInfo = reinterpret_cast<BITMAPINFO*>(maskInfoBytes.data());
    maskInfo->bmiHeader = {sizeof maskInfo->bmiHeader, size, size, 1, 1, BI_RGB, 0, 0, 0, 0, 0};
    if (::GetDIBits(screen.get(), static_cast<HBITMAP>(mask.get()), 0, size, maskBits.data(), maskInfo,
                    DIB_RGB_COLORS) != size)
        return false;

    image.clear();
    Put32(image, sizeof(BITMAPINFOHEADER));
    Put32(image, static_cast<std::uint32_t>(size));
    Put32(image, static_cast<std::uint32_t>(size * 2)); // colour and mask together
    Put16(image, 1);
    Put16(image, 32);
    for (int i = 0; i < 6; ++i) Put32(image, 0);
    image.insert(image.end(), pixels.begin(), pixels.end());
    image.insert(image.end(), maskBits.begin(), maskBits.end());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage: sweepora-icon OUT.ico\n");
        return 2;
    }
    const int sizes[] = {16, 32, 48};
    std::vector<std::vector<char>> images;
    for (int size : sizes) {
        std::vector<char> image;
        if (!IconImage(size, image)) {
            std::fprintf(stderr, "Could not draw the %dx%d icon\n", size, size);
            return 1;
        }
        images.push_back(std::move(image));
    }
    std::vector<char> file;
    Put16(file, 0);
    Put16(file, 1); // an icon, not a cursor
    Put16(file, static_cast<std::uint16_t>(images.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        file.push_back(static_cast<char>(sizes[i]));
        file.push_back(static_cast<char>(sizes[i]));
        file.push_back(0); // no palette
        file.push_back(0);
        Put16(file, 1);
        Put16(file, 32);
        Put32(file, static_cast<std::uint32_t>(images[i].size()));
        Put32(file, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const auto& image : images) file.insert(file.end(), image.begin(), image.end());

    std::ofstream out(argv[1], std::ios::binary);
    out.write(file.data(), static_cast<std::streamsize>(file.size()));
    if (!out.flush()) {
        std::fprintf(stderr, "Could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
