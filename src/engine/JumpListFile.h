#pragma once
// A jump list of the taskbar and Start menu (<AppID>.automaticDestinations-ms): a compound
// file whose DestList stream lists the items, each with its pin status and the number of
// the stream that holds its shortcut (the number in lower-case hex names the stream).
//
// DestList: a 32-byte header (version, entries, pinned entries, a float, last entry
// number, unused, revision, unused), then one entry per item. An entry has 88 bytes of
// hash and identifiers, the entry number at 88, the pin status at 108 (-1: not pinned,
// otherwise its place among the pins), then the path's length in characters and the path
// in UTF-16: at 112/114 in version 1 (Windows 7 and 8), at 128/130 in versions 3 and 4
// (Windows 10 and 11), which add 4 bytes after the path.
#include <cstdint>
#include <string>
#include <vector>

namespace sweepora {

struct DestListEntry {
    std::uint32_t number = 0;
    std::int32_t pin = -1;
    std::wstring path;
    std::string raw; // the entry's bytes, as they are kept

    bool Pinned() const { return pin != -1; }
};

struct DestList {
    std::uint32_t version = 0;
    std::string header;
    std::vector<DestListEntry> entries;
};

// Reads a DestList stream; empty when it is one of the known versions and whole.
std::string ParseDestList(const std::string& bytes, DestList& list);

// The stream an entry's shortcut lives in: its number in lower-case hex.
std::wstring EntryStreamName(std::uint32_t number);

struct JumpListPrune {
    std::string problem;    // why the file must stay as it was
    int removed = 0;        // entries that are not pinned
    int pinned = 0;
    std::string bytes;      // the file without them; empty when none goes
};

// The jump list whose file holds `fileBytes`, less its entries that are not pinned and
// their streams. Everything else is copied as it is; the header counts what is left and
// takes the next revision. A DestList of another version, one that does not add up, or an
// entry whose stream is missing makes a problem, and no bytes.
JumpListPrune PruneJumpList(const std::string& fileBytes);

} // namespace sweepora
