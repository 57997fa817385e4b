#include "formats/Crc32c.h"

#include <array>

namespace sweepora {

namespace {

constexpr std::uint32_t kMaskDelta = 0xa282ead8u;

std::array<std::uint32_t, 256> MakeTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? (c >> 1) ^ 0x82f63b78u : c >> 1;
        table[i] = c;
    }
    return table;
}

} // namespace

std::uint32_t Crc32c(const void* data, std::size_t size, std::uint32_t crc)
{
    static const std::array<std::uint32_t, 256> table = MakeTable();
    const auto* bytes = static_cast<const unsigned char*>(data);
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ bytes[i]) & 0xff] ^ (crc >> 8);
    return ~crc;
}

std::uint32_t MaskCrc32c(std::uint32_t crc) { return ((crc >> 15) | (crc << 17)) + kMaskDelta; }

std::uint32_t UnmaskCrc32c(std::uint32_t masked)
{
    const std::uint32_t rotated = masked - kMaskDelta;
    return (rotated >> 17) | (rotated << 15);
}

} // namespace sweepora
