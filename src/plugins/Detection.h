#pragma once
// Whether an application is installed, as a definition's Detect and DetectFile keys ask.
#include <windows.h>

#include <string>
#include <string_view>
#include <unordered_map>

namespace sweepora {

// "HKCU\Software\X" or "HKEY_CURRENT_USER\Software\X" (root names in any case) -> the root's
// handle, with `fullName` set to "HKEY_CURRENT_USER\Software\X". Null for an unknown root.
HKEY ParseRegistryKey(std::string_view text, std::string& fullName);

// Answers for one load: a key or path asked again (many entries share one) is looked up once.
class Detector {
public:
    // The key exists; HKEY_LOCAL_MACHINE is looked up in the 64-bit and the 32-bit view.
    bool KeyExists(const std::string& fullName);
    // A file or folder exists at the path (UTF-8, full). "*" and "?" may stand in any part;
    // each such part is listed once per folder reached, and the search stops at the first hit.
    bool PathExists(const std::string& path);

private:
    std::unordered_map<std::string, bool> keys_;
    std::unordered_map<std::string, bool> paths_;
};

} // namespace sweepora
