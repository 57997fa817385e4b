#include "safelists/HistoryLoader.h"

#include "platform/Text.h"
#include "platform/UrlHistory.h"
#include "safelists/SafeListFile.h"

#include <memory>

namespace sweepora {

std::string LoadHistory(ListPair& page, const SafeListFolders& folders, const YieldFn& yield,
                        const HistoryStoreSource& source)
{
    page.safe.Clear();
    page.clean.Clear();
    std::string failure;
    try {
        std::unique_ptr<CURLHistory> history =
            source ? std::make_unique<CURLHistory>(source()) : std::make_unique<CURLHistory>();
        history->Refresh();
        for (const URLHistoryItem& item : history->NewEnum()) {
            const std::string url = item.URL();
            if (UpperCase(url.substr(0, 4)) != "FILE") page.clean.Add(url);
            if (yield) yield();
        }
    } catch (const std::exception& e) {
        page.clean.Clear();
        failure = e.what();
    }
    LoadListFromFile(page.safe, SafeListReadPath(folders, kSafeHistoryFile), yield);
    RemoveKeptEntries(page.clean, page.safe, yield);
    return failure;
}

} // namespace sweepora
