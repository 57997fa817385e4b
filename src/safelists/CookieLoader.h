#pragma once
#include "safelists/SafeListPages.h"

#include <string>
#include <vector>

namespace sweepora {

constexpr const char* kCookiePrefix = "Cookie:";

// A cookie is known by its file: the part of the entry's local path after the last "\".
std::string CookieName(const std::string& localPath);

// The site a text names, as "Cookies to Keep" matches it: a cookie host (".www.bank.example"),
// an address or origin ("https://www.bank.example:8443/x"), Internet Explorer's
// "Cookie:user@bank.example/" or its file "user@bank.example[1].txt". Lower case; empty when it
// names none: blanks, wildcards, dots alone, characters no host has, more than a host's 253.
std::string CookieSite(const std::string& text);

// True when `host` is `site` or a subdomain of it; both as CookieSite gives them. An IP
// address is only itself.
bool SiteCovers(const std::string& site, const std::string& host);

// Refills the cookie page: the safe list from its file (see SafeListReadPath), the clean list from
// the cookies in the URL cache, less the entries the safe list keeps, then the sites of today's
// browsers (`browserSites`, as CookieSite gives them) that are not listed yet and that no kept
// entry covers as a site or a subdomain of it.
void LoadCookies(ListPair& page, const SafeListFolders& folders, const YieldFn& yield,
                 const std::vector<std::string>& browserSites = {});

} // namespace sweepora
