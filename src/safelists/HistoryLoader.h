#pragma once
#include "platform/ComPtr.h"
#include "safelists/SafeListPages.h"

#include <windows.h>
#include <urlhist.h>

#include <functional>
#include <string>
#include <vector>

namespace sweepora {

// Hands out the history store to list; an empty pointer is a store that cannot be created.
using HistoryStoreSource = std::function<ComPtr<IUrlHistoryStg2>()>;

// Refills the IE history page: the clean list from the URL history (local files never
// appear), the safe list from its file (see SafeListReadPath), then the clean list less the kept
// entries, then today's browsers' addresses (`browserAddresses`) not listed on either side yet.
// Without a source the platform's store is used. A failing store leaves only the browsers'
// addresses; the text of that failure is returned (empty when there was none).
std::string LoadHistory(ListPair& page, const SafeListFolders& folders, const YieldFn& yield,
                        const HistoryStoreSource& source = {},
                        const std::vector<std::string>& browserAddresses = {});

// Adds to `clean`, in order, each of `entries` that neither list holds yet (ignoring case);
// the typed-URL page shares it.
void AddUnlisted(ListPair& page, const std::vector<std::string>& entries, const YieldFn& yield);

} // namespace sweepora
