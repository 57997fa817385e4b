#include "erasure/TargetGuards.h"

#include "platform/Text.h"

namespace sweepora {

namespace {

// Keys one level below Software that hold far more than one application's traces.
constexpr const char* kSharedSoftwareKeys[] = {"MICROSOFT", "CLASSES", "POLICIES", "WOW6432NODE", "CLIENTS"};

} // namespace

bool MaskMatchesEverything(const std::string& mask)
{
    return mask.find_first_not_of("*?.") == std::string::npos;
}

std::string RegistryKeyRefusal(const std::string& key)
{
    std::vector<std::string> parts;
    for (std::size_t start = 0;;) {
        const std::size_t slash = key.find('\\', start);
        const std::string part = key.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (!part.empty()) parts.push_back(UpperCaseUtf8(TrimBlanks(part)));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    // A user's hive below HKEY_USERS is judged as HKEY_CURRENT_USER would be.
    if (parts.size() >= 2 && parts[0] == "HKEY_USERS") parts.erase(parts.begin() + 1);
    if (parts.size() < 2) return "it is the root of a hive";
    if (parts.size() == 2) return "it lies directly below the root of a hive";
    if (parts[0] == "HKEY_LOCAL_MACHINE" && (parts[1] == "SYSTEM" || parts[1] == "SAM" || parts[1] == "SECURITY"))
        return "it belongs to Windows itself";
    if (parts.size() == 3 && parts[1] == "SOFTWARE")
        for (const char* shared : kSharedSoftwareKeys)
            if (parts[2] == shared) return "it holds the settings of many programs";
    return {};
}

} // namespace sweepora
