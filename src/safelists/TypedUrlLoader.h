#pragma once
#include "safelists/SafeListPages.h"

#include <string>
#include <vector>

namespace sweepora {

constexpr const char* kTypedUrlsKey = "Software\\Microsoft\\Internet Explorer\\TypedURLs";

// Refills the typed-URL page: the safe list from its file (see SafeListReadPath), the clean list from
// the browser's typed-URL key, less the entries the safe list keeps, then the addresses typed
// into today's browsers (`browserTyped`) not listed on either side yet.
void LoadTypedUrls(ListPair& page, const SafeListFolders& folders, const YieldFn& yield,
                   const std::vector<std::string>& browserTyped = {});

} // namespace sweepora
