#pragma once
#include "erasure/FileOverwrite.h"
#include "erasure/RunState.h"

#include <functional>
#include <string>

namespace sweepora {

// Where erasure says what it did: the activity log, or whatever stands in for it.
class EraseLog {
public:
    virtual ~EraseLog() = default;
    virtual void AddLogEntry(const std::string& task, const std::string& status) noexcept = 0;
};

// What one erasure works with: the run's flags and counters, its log, its pace and the
// user's number of passes.
struct EraseContext {
    RunState& run;
    EraseLog& log;
    std::function<void()> yield;
    int passes = 0;
    // The file-system calls of an overwrite; tests put a failing disk here.
    const EraseIo* io = &SystemEraseIo();
};

} // namespace sweepora
