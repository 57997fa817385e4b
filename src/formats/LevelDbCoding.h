#pragma once
// The byte encodings LevelDB's files share: little-endian fixed integers, varints and
// length-prefixed strings. Internal to the LevelDB reader and writer.
#include "formats/LevelDb.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace sweepora::leveldb {

// VersionEdit tags, as LevelDB's version_edit.cc numbers them.
enum EditTag : std::uint32_t {
    kComparator = 1,
    kLogNumber = 2,
    kNextFile = 3,
    kLastSequence = 4,
    kCompactPointer = 5,
    kDeletedFile = 6,
    kNewFile = 7,
    kPrevLogNumber = 9,
};

inline LevelDbOutcome Corrupt(const std::string& what) { return LevelDbOutcome::Fail(LevelDbProblem::Corrupt, what); }

// A cursor over bytes that never reads past the end.
class ByteReader {
public:
    ByteReader(const char* data, std::size_t size) : p_(data), end_(data + size) {}
    explicit ByteReader(const std::string& s) : ByteReader(s.data(), s.size()) {}

    bool Empty() const { return p_ == end_; }
    std::size_t Left() const { return static_cast<std::size_t>(end_ - p_); }

    bool Varint(std::uint64_t& value, int maxBits = 64)
    {
        value = 0;
        for (int shift = 0; shift < maxBits; shift += 7) {
            if (p_ == end_) return false;
            const auto b = static_cast<unsigned char>(*p_++);
            value |= static_cast<std::uint64_t>(b & 0x7f) << shift;
            if (!(b & 0x80)) return maxBits >= 64 || value < (1ull << maxBits);
        }
        return false;
    }
    bool Varint32(std::uint32_t& value)
    {
        std::uint64_t v = 0;
        if (!Varint(v, 35) || v > 0xffffffffu) return false;
        value = static_cast<std::uint32_t>(v);
        return true;
    }
    bool Fixed(std::uint64_t& value, int bytes)
    {
        if (Left() < static_cast<std::size_t>(bytes)) return false;
        value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= static_cast<std::uint64_t>(static_cast<unsigned char>(p_[i])) << (8 * i);
        p_ += bytes;
        return true;
    }
    bool Bytes(std::size_t n, std::string& out)
    {
        if (Left() < n) return false;
        out.assign(p_, n);
        p_ += n;
        return true;
    }
    bool Prefixed(std::string& out)
    {
        std::uint32_t n = 0;
        return Varint32(n) && Bytes(n, out);
    }

private:
    const char* p_;
    const char* end_;
};

inline std::uint64_t DecodeFixed(const char* p, int bytes)
{
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint64_t>(static_cast<unsigned char>(p[i])) << (8 * i);
    return value;
}

inline void PutFixed(std::string& out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

inline void PutVarint(std::string& out, std::uint64_t value)
{
    while (value >= 0x80) {
        out.push_back(static_cast<char>((value & 0x7f) | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<char>(value));
}

inline void PutPrefixed(std::string& out, const std::string& bytes)
{
    PutVarint(out, bytes.size());
    out += bytes;
}

} // namespace sweepora::leveldb
