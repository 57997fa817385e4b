#include "engine/IEHistoryCleaner.h"

#include "browsers/BrowserSites.h"
#include "platform/ErrorText.h"
#include "platform/Timestamp.h"
#include "platform/UrlHistory.h"

#include <memory>

namespace sweepora {

void CleanIEHistory(Session& s) { CleanIEHistoryIn(s, {}); }

void CleanIEHistoryIn(Session& s, const HistoryStoreSource& source)
{
    std::string notCleared;
    if (s.run.live && !s.run.abort) {
        bool storeWorks = true;
        const auto failed = [&](const std::exception& e) {
            s.log.AddLogEntry(kIEHistoryTask, e.what());
            storeWorks = false;
        };
        try {
            std::unique_ptr<CURLHistory> history =
                source ? std::make_unique<CURLHistory>(source()) : std::make_unique<CURLHistory>();
            const HRESULT cleared = history->Clear();
            if (FAILED(cleared))
                notCleared = "Not cleared: the history store refused (" + ErrorText(static_cast<DWORD>(cleared)) + ")";
            // When only the look afterwards fails, the history is already empty and the
            // kept addresses must still go back.
            try {
                history->Refresh();
                if (SUCCEEDED(cleared) && history->Count() > 0)
                    notCleared = "Not cleared: " + std::to_string(history->Count()) +
                                 (history->Count() == 1 ? " address is" : " addresses are") + " still listed";
            } catch (const std::exception& e) {
                failed(e);
            }
            for (const std::string& url : s.safeLists.history.safe.Items()) {
                // One refused address must not cost the others their place.
                try {
                    history->AddURL(url, "", 0);
                } catch (const std::exception& e) {
                    s.log.AddLogEntry(kIEHistoryTask, e.what());
                }
            }
            if (storeWorks) history->Refresh();
        } catch (const std::exception& e) {
            failed(e);
            if (notCleared.empty()) notCleared = "Not cleared: the history store cannot be used";
        }
        // A store that failed would only fail the reload again, with a second line.
        if (storeWorks) {
            const std::string failure = LoadHistory(s.safeLists.history, s.ListFolders(), s.Yielder(), source,
                                                       BrowserHistoryAddresses(CurrentBrowserRoots()));
            if (!failure.empty()) s.log.AddLogEntry(kIEHistoryTask, failure);
        }
    }
    s.log.AddLogEntry(kIEHistoryTask, notCleared.empty() ? TimestampText() : notCleared);
}

} // namespace sweepora
