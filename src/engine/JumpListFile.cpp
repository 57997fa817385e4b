#include "engine/JumpListFile.h"

#include "formats/CompoundFile.h"

#include <cstring>
#include <cwctype>
#include <set>

namespace sweepora {

namespace {

constexpr std::size_t kHeaderSize = 32;
constexpr std::size_t kEntryCountAt = 4, kPinnedCountAt = 8, kRevisionAt = 24;
constexpr std::size_t kNumberAt = 88, kPinAt = 108;
constexpr const wchar_t* kDestList = L"DestList";

std::uint32_t U32(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

std::uint16_t U16(const std::string& bytes, std::size_t at)
{
    std::uint16_t value = 0;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

void PutU32(std::string& bytes, std::size_t at, std::uint32_t value) { std::memcpy(&bytes[at], &value, sizeof value); }

// The entries after the header, each `lengthAt` bytes up to its path's length, then the
// path and `trailer` bytes; false unless they fill the stream exactly, as many as the
// header says.
bool ReadEntries(const std::string& bytes, std::size_t lengthAt, std::size_t trailer, DestList& list)
{
    list.entries.clear();
    const std::uint32_t count = U32(bytes, kEntryCountAt);
    std::size_t at = kHeaderSize;
    while (at < bytes.size()) {
        if (bytes.size() - at < lengthAt + 2 || list.entries.size() >= count) return false;
        const std::size_t chars = U16(bytes, at + lengthAt);
        const std::size_t size = lengthAt + 2 + 2 * chars + trailer;
        if (bytes.size() - at < size) return false;
        DestListEntry entry;
        entry.raw = bytes.substr(at, size);
        entry.number = U32(entry.raw, kNumberAt);
        entry.pin = static_cast<std::int32_t>(U32(entry.raw, kPinAt));
        entry.path.resize(chars);
        if (chars) std::memcpy(&entry.path[0], entry.raw.data() + lengthAt + 2, 2 * chars);
        list.entries.push_back(std::move(entry));
        at += size;
    }
    return list.entries.size() == count;
}

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

} // namespace

std::wstring EntryStreamName(std::uint32_t number)
{
    wchar_t name[16];
    std::swprintf(name, 16, L"%x", static_cast<unsigned>(number));
    return name;
}

std::string ParseDestList(const std::string& bytes, DestList& list)
{
    list = DestList();
    if (bytes.size() < kHeaderSize) return "its DestList is shorter than its header";
    list.version = U32(bytes, 0);
    list.header = bytes.substr(0, kHeaderSize);
    bool whole = false;
    switch (list.version) {
    case 1:
        whole = ReadEntries(bytes, 112, 0, list);
        break;
    case 3:
        // Described both with and without the 4 bytes after the path; only one adds up.
        whole = ReadEntries(bytes, 128, 4, list) || ReadEntries(bytes, 128, 0, list);
        break;
    case 4:
        whole = ReadEntries(bytes, 128, 4, list);
        break;
    default:
        return "its DestList has version " + std::to_string(list.version) + ", which is not known";
    }
    if (!whole) {
        list.entries.clear();
        return "its DestList does not add up";
    }
    std::set<std::uint32_t> numbers;
    for (const DestListEntry& entry : list.entries)
        if (!numbers.insert(entry.number).second) return "its DestList names an item twice";
    return {};
}

JumpListPrune PruneJumpList(const std::string& fileBytes)
{
    JumpListPrune prune;
    CompoundFile file = CompoundFile::Open(fileBytes, prune.problem);
    if (!prune.problem.empty()) return prune;
    std::vector<CompoundElement> elements;
    if (!file.Elements(elements, prune.problem)) return prune;
    std::string destBytes;
    DestList list;
    if (!file.ReadStream(kDestList, destBytes, prune.problem)) {
        prune.problem = "it has no readable DestList";
        return prune;
    }
    if ((prune.problem = ParseDestList(destBytes, list)) != "") return prune;

    // Stream names compare without regard to case, as the format does.
    auto streamOf = [&](std::uint32_t number) -> const CompoundElement* {
        const std::wstring want = EntryStreamName(number);
        for (const CompoundElement& e : elements)
            if (e.stream && Lower(e.name) == want) return &e;
        return nullptr;
    };
    std::vector<std::wstring> dropped{kDestList};
    std::string kept = list.header;
    for (const DestListEntry& entry : list.entries) {
        const CompoundElement* stream = streamOf(entry.number);
        if (!stream) {
            prune.problem = "the stream of item " + std::to_string(entry.number) + " is missing";
            return prune;
        }
        if (entry.Pinned()) {
            ++prune.pinned;
            kept += entry.raw;
        } else {
            ++prune.removed;
            dropped.push_back(stream->name);
        }
    }
    if (prune.removed == 0) return prune;

    PutU32(kept, kEntryCountAt, static_cast<std::uint32_t>(prune.pinned));
    PutU32(kept, kPinnedCountAt, static_cast<std::uint32_t>(prune.pinned));
    PutU32(kept, kRevisionAt, U32(kept, kRevisionAt) + 1);
    CompoundFile copy = CompoundFile::Create(prune.problem);
    if (prune.problem.empty() && file.CopyAllBut(dropped, copy, prune.problem) &&
        copy.WriteStream(kDestList, kept, prune.problem))
        copy.Save(prune.bytes, prune.problem);
    if (!prune.problem.empty()) prune.bytes.clear();
    return prune;
}

} // namespace sweepora
