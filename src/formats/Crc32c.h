#pragma once
// CRC-32C (Castagnoli), the checksum LevelDB keeps beside every log record and table block.
#include <cstddef>
#include <cstdint>

namespace sweepora {

// The checksum of `size` bytes, continuing from `crc` (0 to start).
std::uint32_t Crc32c(const void* data, std::size_t size, std::uint32_t crc = 0);

// LevelDB stores checksums masked, since a CRC of data holding CRCs is weak.
std::uint32_t MaskCrc32c(std::uint32_t crc);
std::uint32_t UnmaskCrc32c(std::uint32_t masked);

} // namespace sweepora
