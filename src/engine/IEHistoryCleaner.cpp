#include "engine/IEHistoryCleaner.h"

#include "engine/Timestamp.h"
#include "safelists/HistoryLoader.h"
#include "storage/UrlHistory.h"

namespace sweepora {

void CleanIEHistory(Session& s)
{
    if (s.run.live && !s.run.abort) {
        bool storeWorks = true;
        try {
            CURLHistory history;
            history.Clear();
            for (const std::string& url : s.safeLists.history.safe.Items()) {
                // One refused address must not cost the others their place.
                try {
                    history.AddURL(url, "", 0);
                } catch (const std::exception& e) {
                    s.log.AddLogEntry(kIEHistoryTask, e.what());
                }
            }
            history.Refresh();
        } catch (const std::exception& e) {
            s.log.AddLogEntry(kIEHistoryTask, e.what());
            storeWorks = false;
        }
        // A store that failed would only fail the reload again, with a second line.
        if (storeWorks) {
            const std::string failure = LoadHistory(s.safeLists.history, s.programFolder, s.Yielder());
            if (!failure.empty()) s.log.AddLogEntry(kIEHistoryTask, failure);
        }
    }
    s.log.AddLogEntry(kIEHistoryTask, TimestampText());
}

} // namespace sweepora
