#include "engine/ActivityLog.h"

#include <algorithm>

namespace sweepora {

void ActivityLog::AddLogEntry(const std::string& task, const std::string& status) noexcept
{
    try {
        lines_.push_back({run_.live ? task : kTestingPrefix + task, status});
        for (LogObserver* o : observers_) o->LineAdded(lines_.back());
    } catch (...) {
        // A logging problem must never stop a cleaner.
    }
}

void ActivityLog::Clear()
{
    lines_.clear();
    for (LogObserver* o : observers_) o->Cleared();
}

void ActivityLog::AddObserver(LogObserver* observer)
{
    if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void ActivityLog::RemoveObserver(LogObserver* observer)
{
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

} // namespace sweepora
