#pragma once
// One INI file through the wide private-profile functions; path, names and values are UTF-8.
// An ANSI file reads through the code page, a Unicode one (with its byte-order mark) as it is.
// Nothing is cached: every call goes to the file, so edits made elsewhere are seen at once.
#include <windows.h>

#include <functional>
#include <string>

namespace sweepora {

// Shows a message as the caller's desktop does: text, caption, MB_ flags.
using MessageFn = std::function<void(const std::string& text, const std::string& caption, UINT flags)>;

class clsIni {
public:
    static constexpr DWORD kValueBuffer = 750;

    void ClearAllValues() { path_.clear(); }

    // Deletes the file, but only when the path ends in ".ini" (lower case); a refused or
    // missing file is told through `tell`, any other failure is silent.
    void DeleteIni(const MessageFn& tell) const;

    void IniPath(std::string path) { path_ = std::move(path); }
    const std::string& IniPath() const { return path_; }

    // The entry's value, cut to kValueBuffer - 1 UTF-16 characters; empty for a missing
    // file, section or key.
    std::string GetIniSetting(const std::string& section, const std::string& key) const;

    // The platform creates the file, section or key as needed; a failed write is lost.
    void SaveIniSetting(const std::string& section, const std::string& key, const std::string& setting) const;

private:
    std::string path_;
};

} // namespace sweepora
