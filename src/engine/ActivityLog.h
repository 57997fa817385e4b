#pragma once
#include "erasure/EraseContext.h"
#include "erasure/RunState.h"

#include <string>
#include <vector>

namespace sweepora {

struct LogLine {
    std::string task;
    std::string status;
};

// Notified as the log changes, so a view can mirror it.
class LogObserver {
public:
    virtual ~LogObserver() = default;
    virtual void LineAdded(const LogLine& line) = 0;
    virtual void Cleared() = 0;
};

constexpr const char* kTestingPrefix = "Testing : ";

// The activity log: lines are only ever appended, until Clear.
class ActivityLog final : public EraseLog {
public:
    explicit ActivityLog(const RunState& run) : run_(run) {}

    // Appends (task, status); the task carries "Testing : " while the run is not live.
    // Never throws: a line that cannot be added is simply missing.
    void AddLogEntry(const std::string& task, const std::string& status) noexcept override;

    const std::vector<LogLine>& Lines() const { return lines_; }
    void Clear();

    void AddObserver(LogObserver* observer);
    void RemoveObserver(LogObserver* observer);

private:
    const RunState& run_;
    std::vector<LogLine> lines_;
    std::vector<LogObserver*> observers_;
};

} // namespace sweepora
