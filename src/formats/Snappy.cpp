#include "formats/Snappy.h"

#include <cstdint>

namespace sweepora {

bool SnappyUncompress(const char* data, std::size_t size, std::size_t limit, std::string& out)
{
    const auto* in = reinterpret_cast<const unsigned char*>(data);
    std::size_t pos = 0;

    // The preamble: the uncompressed length as a varint of at most 32 bits.
    std::uint64_t length = 0;
    for (int shift = 0;; shift += 7) {
        if (pos >= size || shift > 28) return false;
        const unsigned char b = in[pos++];
        length |= static_cast<std::uint64_t>(b & 0x7f) << shift;
        if (!(b & 0x80)) break;
    }
    if (length > limit || length > 0xffffffffu) return false;
    out.clear();
    out.reserve(static_cast<std::size_t>(length));

    while (pos < size) {
        const unsigned char tag = in[pos++];
        const unsigned kind = tag & 3;
        if (kind == 0) { // literal
            std::size_t n = tag >> 2;
            if (n >= 60) {
                const std::size_t bytes = n - 59;
                if (size - pos < bytes) return false;
                n = 0;
                for (std::size_t i = 0; i < bytes; ++i) n |= static_cast<std::size_t>(in[pos + i]) << (8 * i);
                pos += bytes;
            }
            ++n;
            if (size - pos < n || out.size() + n > length) return false;
            out.append(data + pos, n);
            pos += n;
            continue;
        }
        std::size_t n = 0;
        std::size_t offset = 0;
        if (kind == 1) {
            if (pos >= size) return false;
            n = 4 + ((tag >> 2) & 7);
            offset = (static_cast<std::size_t>(tag >> 5) << 8) | in[pos++];
        } else {
            const std::size_t bytes = kind == 2 ? 2 : 4;
            if (size - pos < bytes) return false;
            n = 1 + (tag >> 2);
            for (std::size_t i = 0; i < bytes; ++i) offset |= static_cast<std::size_t>(in[pos + i]) << (8 * i);
            pos += bytes;
        }
        if (offset == 0 || offset > out.size() || out.size() + n > length) return false;
        // Copies may overlap their own output (a run), so byte by byte.
        const std::size_t from = out.size() - offset;
        for (std::size_t i = 0; i < n; ++i) out.push_back(out[from + i]);
    }
    return out.size() == length;
}

} // namespace sweepora
