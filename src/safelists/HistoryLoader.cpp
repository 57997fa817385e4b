#include "safelists/HistoryLoader.h"

#include "platform/Text.h"
#include "platform/UrlHistory.h"
#include "safelists/SafeListFile.h"

#include <memory>
#include <unordered_set>

namespace sweepora {

void AddUnlisted(ListPair& page, const std::vector<std::string>& entries, const YieldFn& yield)
{
    // A browser's history runs to many thousands of addresses: a set, not IsInList.
    std::unordered_set<std::string> listed;
    for (const ListModel* list : {&page.clean, &page.safe})
        for (const std::string& entry : list->Items()) listed.insert(UpperCase(entry));
    std::size_t count = 0;
    for (const std::string& entry : entries) {
        if (yield && ++count % 256 == 0) yield();
        if (!entry.empty() && listed.insert(UpperCase(entry)).second) page.clean.Add(entry);
    }
}

std::string LoadHistory(ListPair& page, const SafeListFolders& folders, const YieldFn& yield,
                        const HistoryStoreSource& source, const std::vector<std::string>& browserAddresses)
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
    LoadSafeSide(page, folders, kSafeHistoryFile, yield);
    RemoveKeptEntries(page.clean, page.safe, yield);
    AddUnlisted(page, browserAddresses, yield);
    return failure;
}

} // namespace sweepora
