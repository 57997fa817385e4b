#pragma once
// What the per-site storage of today's browsers has in common: which origins are sites
// whose data may go, and how one site's folder goes.
#include "browsers/BrowserSites.h"
#include "erasure/EraseContext.h"

#include <string>

namespace sweepora {

// True when the data of an origin with this scheme and host goes: a web site (http or
// https) that is not kept. Extensions and anything else that is not a site stay.
bool SiteDataGoes(const KeptSite& kept, const std::string& scheme, const std::string& host);

// "http", "www.bank.example" of a storage identifier ("http_www.bank.example_0"), as
// Chromium names origins in folder and key names; false when it is not one.
bool ParseStorageIdentifier(const std::string& identifier, std::string& scheme, std::string& host);

// Erases a site's folder with everything in it through the folder walk. True when it is
// gone (in a test run: would be).
bool EraseSiteFolder(EraseContext& context, const std::wstring& folder);

// True for an existing folder that is not a link.
bool IsPlainFolder(const std::wstring& path);

} // namespace sweepora
