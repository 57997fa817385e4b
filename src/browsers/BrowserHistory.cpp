#include "browsers/BrowserHistory.h"

#include "platform/Text.h"

#include <algorithm>

namespace sweepora {

namespace {

// "https://www.bank.example/login?x" -> "www.bank.example"
std::string HostOf(const std::string& url)
{
    const std::size_t scheme = url.find("://");
    const std::size_t start = scheme == std::string::npos ? 0 : scheme + 3;
    const std::size_t end = url.find_first_of("/?#:", start);
    return UpperCase(url.substr(start, end == std::string::npos ? std::string::npos : end - start));
}

} // namespace

KeptAddress AddressesKept(const std::vector<std::string>& entries)
{
    std::vector<std::string> addresses, sites;
    for (const std::string& entry : entries) {
        const std::string trimmed = TrimBlanks(entry);
        if (trimmed.empty()) continue;
        addresses.push_back(UpperCase(trimmed));
        const std::size_t scheme = trimmed.find("://");
        const std::size_t path = trimmed.find_first_of("/?#", scheme == std::string::npos ? 0 : scheme + 3);
        if (path == std::string::npos || path + 1 == trimmed.size()) sites.push_back(HostOf(trimmed));
    }
    return [addresses, sites](const std::string& url) {
        const std::string upper = UpperCase(url);
        if (std::find(addresses.begin(), addresses.end(), upper) != addresses.end()) return true;
        const std::string host = HostOf(url);
        for (const std::string& site : sites) {
            if (site.empty()) continue;
            if (host == site || (host.size() > site.size() && host.compare(host.size() - site.size(), site.size(), site) == 0 &&
                                 host[host.size() - site.size() - 1] == '.'))
                return true;
        }
        return false;
    };
}

} // namespace sweepora
