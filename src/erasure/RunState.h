#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <unordered_set>

namespace sweepora {

// State shared by the run and every cleaner, for the life of the process.
struct RunState {
    // Set by the Abort command (or Ctrl+C on the console, from another thread).
    std::atomic<bool> abort{false};
    // Cleaners erase only while set; otherwise they walk, count and log.
    bool live = false;
    // A run is in progress; further requests to start one are ignored.
    bool running = false;

    // 64-bit: a run over a full disk passes 2 GiB and 4 billion files is not out of reach.
    std::int64_t spaceSaved = 0; // bytes
    std::int64_t files = 0;
    // Of `files`, those deleted without overwrite passes (level 0): their content stays on the disk.
    std::int64_t filesNotOverwritten = 0;
    std::int64_t registryKeys = 0;
    // Files an erasure was asked to take and left where they were (each has its line), so
    // that a cleaner can tell "cleared" from "not all cleared".
    std::int64_t filesLeft = 0;

    // What a test run has counted as erased (upper-cased long paths), so that later
    // cleaners of the same run treat it as gone, as they would after a live run.
    std::unordered_set<std::wstring> previewGone;
};

} // namespace sweepora
