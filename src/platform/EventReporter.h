#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace sweepora {

// The event log's types, as ReportEventW takes them.
enum class EventKind : WORD {
    Information = EVENTLOG_INFORMATION_TYPE,
    Warning = EVENTLOG_WARNING_TYPE,
    Error = EVENTLOG_ERROR_TYPE,
};

// Where a run tells the machine's administrators that it started, ended, was aborted or
// failed. `id` is one of platform/RunEvents.h (made from RunEvents.mc), `inserts` fill its %1..%n.
// A report that cannot be written is dropped: it never stops a run.
class EventReporter {
public:
    virtual ~EventReporter() = default;
    virtual void Report(EventKind kind, DWORD id, const std::vector<std::wstring>& inserts) = 0;
};

// For the sessions nobody collects events from: tests and helpers.
inline EventReporter& NoEventReporter()
{
    class Silent final : public EventReporter {
    public:
        void Report(EventKind, DWORD, const std::vector<std::wstring>&) override {}
    };
    static Silent silent;
    return silent;
}

} // namespace sweepora
