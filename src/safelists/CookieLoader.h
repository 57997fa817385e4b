#pragma once
#include "safelists/SafeListPages.h"

#include <string>

namespace sweepora {

constexpr const char* kCookiePrefix = "Cookie:";

// A cookie is known by its file: the part of the entry's local path after the last "\".
std::string CookieName(const std::string& localPath);

// Refills the cookie page: the safe list from its file (see SafeListReadPath), the clean list from
// the cookies in the URL cache, less the entries the safe list keeps.
void LoadCookies(ListPair& page, const SafeListFolders& folders, const YieldFn& yield);

} // namespace sweepora
