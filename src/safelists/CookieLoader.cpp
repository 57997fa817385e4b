#include "safelists/CookieLoader.h"

#include "platform/Text.h"
#include "platform/UrlCacheWalk.h"
#include "safelists/SafeListFile.h"

#include <cctype>
#include <unordered_set>

namespace sweepora {

namespace {

constexpr std::size_t kLongestHost = 253;

bool IsHostCharacter(unsigned char c)
{
    // Bytes above 127 are an internationalised name in UTF-8.
    return c > 127 || std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '[' || c == ']' || c == ':';
}

} // namespace

std::string CookieName(const std::string& localPath)
{
    const std::size_t slash = localPath.rfind('\\');
    return slash == std::string::npos ? localPath : localPath.substr(slash + 1);
}

std::string CookieSite(const std::string& text)
{
    std::string site = TrimBlanks(text);
    // A hostile list line can be any size: nothing longer than an address is worth parsing.
    if (site.size() > 4096) return {};
    for (char& c : site) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (site.compare(0, 7, "cookie:") == 0) site.erase(0, 7);
    const std::size_t scheme = site.find("://");
    if (scheme != std::string::npos) site.erase(0, scheme + 3);
    site = site.substr(0, site.find_first_of("/?#"));
    // "user@bank.example", and "user:password@" in an address.
    const std::size_t at = site.rfind('@');
    if (at != std::string::npos) site.erase(0, at + 1);
    // Internet Explorer's cookie file: "bank.example[1].txt".
    const std::size_t counter = site.find('[');
    if (counter != std::string::npos && counter > 0 && site.size() > 4 && site.compare(site.size() - 4, 4, ".txt") == 0)
        site.erase(counter);
    if (!site.empty() && site[0] == '[') {
        const std::size_t close = site.find(']');
        if (close == std::string::npos) return {};
        site.erase(close + 1); // an IPv6 address keeps its colons, less any port
    } else {
        site = site.substr(0, site.find(':'));
    }
    // "*.bank.example" means the site; any other wildcard keeps nothing rather than everything.
    if (site.compare(0, 2, "*.") == 0) site.erase(0, 2);
    site.erase(0, site.find_first_not_of('.'));
    while (!site.empty() && site.back() == '.') site.pop_back();
    if (site.size() > kLongestHost) return {};
    for (const char c : site)
        if (!IsHostCharacter(static_cast<unsigned char>(c))) return {};
    return site;
}

bool SiteCovers(const std::string& site, const std::string& host)
{
    if (site.empty() || host.size() < site.size()) return false;
    if (host.compare(host.size() - site.size(), site.size(), site) != 0) return false;
    // No top-level domain is a number: "0.1" is part of an address, which has no subdomains.
    const bool address = std::isdigit(static_cast<unsigned char>(host.back())) || host.back() == ']';
    return host.size() == site.size() || (!address && host[host.size() - site.size() - 1] == '.');
}

void LoadCookies(ListPair& page, const SafeListFolders& folders, const YieldFn& yield,
                 const std::vector<std::string>& browserSites)
{
    LoadSafeSide(page, folders, kSafeCookieFile, yield);
    page.clean.Clear();
    WalkUrlCache(
        kCookiePrefix,
        [&page](const UrlCacheEntry& entry) {
            if (entry.url.compare(0, 7, kCookiePrefix) == 0) page.clean.Add(CookieName(entry.localPath));
        },
        [] { return false; }, yield);
    RemoveKeptEntries(page.clean, page.safe, yield);

    std::vector<std::string> kept;
    for (const std::string& entry : page.safe.Items())
        if (std::string site = CookieSite(entry); !site.empty()) kept.push_back(std::move(site));
    std::unordered_set<std::string> listed;
    for (const std::string& entry : page.clean.Items()) listed.insert(UpperCase(entry));
    std::size_t count = 0;
    for (const std::string& site : browserSites) {
        if (yield && ++count % 256 == 0) yield();
        if (site.empty()) continue;
        bool covered = false;
        for (const std::string& k : kept) covered = covered || SiteCovers(k, site);
        if (!covered && listed.insert(UpperCase(site)).second) page.clean.Add(site);
    }
}

} // namespace sweepora
