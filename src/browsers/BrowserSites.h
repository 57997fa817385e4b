#pragma once
// The sites and addresses today's browsers hold, as the safe-list pages show them, and the
// test that says whether a site is kept. Nothing here changes a file.
#include "browsers/BrowserProfiles.h"

#include <functional>
#include <string>
#include <vector>

namespace sweepora {

// True for a host ("www.bank.example", ".bank.example") whose cookies and storage stay.
using KeptSite = std::function<bool(const std::string& host)>;

// The matcher for "Cookies to Keep": an entry names a site ("bank.example", a whole address,
// or Internet Explorer's "Cookie:user@bank.example/") and keeps that host and every
// subdomain of it, without case. Blank entries keep nothing.
KeptSite SitesKept(const std::vector<std::string>& entries);

// "www.bank.example" of a cookie host (".www.bank.example"), an address or an origin
// ("https://www.bank.example:8443/x"); lower case, empty when there is none.
std::string SiteHost(const std::string& text);

// One line per site that has cookies in any profile of any browser under `roots`, lower
// case, sorted, each once. A profile whose files cannot be read (a running browser) adds
// nothing; `unread`, when given, gets a line for each such database and why, as
// "Google Chrome (Default) Network\Cookies: <why>".
std::vector<std::string> BrowserCookieSites(const BrowserRoots& roots, std::vector<std::string>* unread = nullptr);
// The addresses in the browsers' history, sorted, each once. Addresses that cannot be one
// line of a list (a line break in them, longer than kLongestListedAddress) are left out.
std::vector<std::string> BrowserHistoryAddresses(const BrowserRoots& roots,
                                                 std::vector<std::string>* unread = nullptr);
// The addresses typed into the browsers' address bars, sorted, each once; as above.
std::vector<std::string> BrowserTypedAddresses(const BrowserRoots& roots, std::vector<std::string>* unread = nullptr);

constexpr std::size_t kLongestListedAddress = 4096;

} // namespace sweepora
