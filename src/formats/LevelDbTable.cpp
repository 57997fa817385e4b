#include "formats/LevelDbTable.h"

#include "formats/Crc32c.h"
#include "formats/LevelDbCoding.h"
#include "formats/Snappy.h"

#include <algorithm>

namespace sweepora::leveldb {

namespace {

constexpr std::uint64_t kTableMagic = 0xdb4775248b80fb57ull;
constexpr std::size_t kFooterSize = 48;
constexpr std::size_t kBlockTrailer = 5;
// Blocks are a few kilobytes; a larger one is taken for garbage.
constexpr std::size_t kBlockLimit = 64u << 20;

struct BlockHandle {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

bool ReadHandle(ByteReader& in, BlockHandle& handle) { return in.Varint(handle.offset) && in.Varint(handle.size); }

// One block's contents, checksum verified and decompressed.
LevelDbOutcome ReadBlock(const std::string& table, const std::string& name, const BlockHandle& handle,
                         std::string& contents)
{
    if (handle.offset > table.size() || handle.size > table.size() - handle.offset ||
        table.size() - handle.offset - handle.size < kBlockTrailer)
        return Corrupt(name + " names a block past its end");
    const char* data = table.data() + handle.offset;
    const std::size_t size = static_cast<std::size_t>(handle.size);
    const auto type = static_cast<unsigned char>(data[size]);
    if (UnmaskCrc32c(static_cast<std::uint32_t>(DecodeFixed(data + size + 1, 4))) != Crc32c(data, size + 1))
        return Corrupt(name + " has a bad checksum in the block at offset " + std::to_string(handle.offset));
    if (type == 0) {
        contents.assign(data, size);
    } else if (type == 1) {
        if (!SnappyUncompress(data, size, kBlockLimit, contents))
            return Corrupt(name + " has a block that does not decompress");
    } else {
        return LevelDbOutcome::Fail(LevelDbProblem::Unsupported,
                                    name + " is compressed in a way this does not know (" + std::to_string(type) + ")");
    }
    return {};
}

// Calls `visit` with each key and value of a block, prefix compression undone.
template <typename Visit> LevelDbOutcome ForEachInBlock(const std::string& block, const std::string& name, Visit visit)
{
    const LevelDbOutcome bad = Corrupt(name + " has a malformed block");
    if (block.size() < 4) return bad;
    const std::uint64_t restarts = DecodeFixed(block.data() + block.size() - 4, 4);
    if (restarts == 0 || restarts > (block.size() - 4) / 4) return bad;
    const std::size_t limit = block.size() - 4 - static_cast<std::size_t>(restarts) * 4;
    ByteReader in(block.data(), limit);
    std::string key;
    while (!in.Empty()) {
        std::uint32_t shared = 0, unshared = 0, valueSize = 0;
        std::string delta;
        if (!in.Varint32(shared) || !in.Varint32(unshared) || !in.Varint32(valueSize) || shared > key.size() ||
            !in.Bytes(unshared, delta) || in.Left() < valueSize)
            return bad;
        key.resize(shared);
        key += delta;
        std::string value;
        in.Bytes(valueSize, value);
        if (LevelDbOutcome ok = visit(key, value); !ok) return ok;
    }
    return {};
}

// LevelDB's defaults: a block is cut once it passes 4 KiB, and every 16th key is written
// whole so that a reader can start there.
constexpr std::size_t kBlockTarget = 4096;
constexpr std::size_t kRestartInterval = 16;

class BlockBuilder {
public:
    explicit BlockBuilder(std::size_t restartInterval) : interval_(restartInterval) {}

    void Add(const std::string& key, const std::string& value)
    {
        std::size_t shared = 0;
        if (count_ % interval_ == 0) {
            restarts_.push_back(static_cast<std::uint32_t>(bytes_.size()));
        } else {
            const std::size_t most = std::min(last_.size(), key.size());
            while (shared < most && last_[shared] == key[shared]) ++shared;
        }
        PutVarint(bytes_, shared);
        PutVarint(bytes_, key.size() - shared);
        PutVarint(bytes_, value.size());
        bytes_.append(key, shared, std::string::npos);
        bytes_ += value;
        last_ = key;
        ++count_;
    }
    bool Empty() const { return count_ == 0; }
    std::size_t Size() const { return bytes_.size() + 4 * restarts_.size() + 4; }

    // The block's bytes, the builder emptied for the next one.
    std::string Finish()
    {
        if (restarts_.empty()) restarts_.push_back(0);
        std::string block = std::move(bytes_);
        for (const std::uint32_t restart : restarts_) PutFixed(block, restart, 4);
        PutFixed(block, restarts_.size(), 4);
        bytes_.clear();
        restarts_.clear();
        last_.clear();
        count_ = 0;
        return block;
    }

private:
    std::size_t interval_;
    std::string bytes_;
    std::vector<std::uint32_t> restarts_;
    std::string last_;
    std::size_t count_ = 0;
};

// Appends a block with its trailer (no compression, then the masked checksum of both).
BlockHandle AppendBlock(std::string& table, const std::string& block)
{
    BlockHandle handle{table.size(), block.size()};
    table += block;
    table.push_back(0);
    PutFixed(table, MaskCrc32c(Crc32c(table.data() + handle.offset, block.size() + 1)), 4);
    return handle;
}

void PutHandle(std::string& out, const BlockHandle& handle)
{
    PutVarint(out, handle.offset);
    PutVarint(out, handle.size);
}

} // namespace

std::string InternalKey(const std::string& key, std::uint64_t sequence)
{
    std::string internal = key;
    PutFixed(internal, (sequence << 8) | 1, 8);
    return internal;
}

std::string BuildTable(const std::vector<LevelDbEntry>& entries, std::uint64_t sequence)
{
    std::string table;
    BlockBuilder data(kRestartInterval);
    BlockBuilder index(1);
    std::string last;
    const auto cut = [&] {
        std::string handle;
        PutHandle(handle, AppendBlock(table, data.Finish()));
        // The block's own last key separates it from the next one well enough.
        index.Add(last, handle);
    };
    for (const LevelDbEntry& entry : entries) {
        last = InternalKey(entry.key, sequence);
        data.Add(last, entry.value);
        if (data.Size() >= kBlockTarget) cut();
    }
    if (!data.Empty()) cut();
    const BlockHandle metaIndex = AppendBlock(table, BlockBuilder(1).Finish());
    const BlockHandle indexHandle = AppendBlock(table, index.Finish());
    std::string footer;
    PutHandle(footer, metaIndex);
    PutHandle(footer, indexHandle);
    footer.resize(40, '\0');
    PutFixed(footer, kTableMagic, 8);
    return table + footer;
}

LevelDbOutcome ReadTable(const std::string& table, const std::string& name, const TableVisitor& visit)
{
    if (table.size() < kFooterSize) return Corrupt(name + " is too short for a table");
    const char* footer = table.data() + table.size() - kFooterSize;
    if (DecodeFixed(footer + 40, 8) != kTableMagic) return Corrupt(name + " is not a table");
    ByteReader handles(footer, 40);
    BlockHandle metaIndex, index;
    if (!ReadHandle(handles, metaIndex) || !ReadHandle(handles, index))
        return Corrupt(name + " has a malformed footer");
    std::string indexBlock;
    if (LevelDbOutcome ok = ReadBlock(table, name, index, indexBlock); !ok) return ok;
    return ForEachInBlock(indexBlock, name, [&](const std::string&, const std::string& value) -> LevelDbOutcome {
        ByteReader in(value);
        BlockHandle handle;
        if (!ReadHandle(in, handle)) return Corrupt(name + " has a malformed index");
        std::string block;
        if (LevelDbOutcome ok = ReadBlock(table, name, handle, block); !ok) return ok;
        return ForEachInBlock(block, name, [&](const std::string& internal, const std::string& v) -> LevelDbOutcome {
            if (internal.size() < 8) return Corrupt(name + " holds a malformed key");
            const std::uint64_t tag = DecodeFixed(internal.data() + internal.size() - 8, 8);
            const unsigned type = static_cast<unsigned>(tag & 0xff);
            if (type > 1) return Corrupt(name + " holds a key of unknown type");
            visit(internal.substr(0, internal.size() - 8), tag >> 8, type == 1, v);
            return {};
        });
    });
}

} // namespace sweepora::leveldb
