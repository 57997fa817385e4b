#pragma once
#include <atomic>
#include <cstdint>

namespace sweepora {

// State shared by the run and every cleaner, for the life of the process.
struct RunState {
    // Set by the Abort command (or Ctrl+C on the console, from another thread).
    std::atomic<bool> abort{false};
    // Cleaners erase only while set; otherwise they walk, count and log.
    bool live = false;
    // A run is in progress; further requests to start one are ignored.
    bool running = false;

    std::int32_t spaceSaved = 0; // bytes
    std::int32_t files = 0;
    std::int32_t registryKeys = 0;
};

} // namespace sweepora
