#include "plugins/DefinitionVariables.h"

#include "platform/HostPlatform.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "platform/WideText.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

namespace sweepora {

namespace {

std::string ShellFolder(int csidl)
{
    return WithoutBackslash(Utf8FromWide(ShellFolderPath(csidl)));
}

std::string KnownFolder(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    std::string result;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &path)) && path) result = WithoutBackslash(Utf8FromWide(path));
    ::CoTaskMemFree(path); // also when the call failed, as documented
    return result;
}

std::string Environment(const wchar_t* name)
{
    return WithoutBackslash(Utf8FromWide(EnvironmentVariable(name)));
}

std::string FirstOf(std::initializer_list<std::string> candidates)
{
    for (const std::string& c : candidates)
        if (!c.empty()) return c;
    return {};
}

// Both folders of a 64-bit system, each once: a 32-bit process sees the x86 one through
// the shell and the native one only through the environment.
std::vector<std::string> Distinct(std::initializer_list<std::string> candidates)
{
    std::vector<std::string> folders;
    for (const std::string& c : candidates) {
        if (c.empty()) continue;
        bool seen = false;
        for (const std::string& f : folders) seen = seen || EqualsIgnoringCase(f, c);
        if (!seen) folders.push_back(c);
    }
    return folders;
}

std::string Parent(const std::string& path)
{
    const auto slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string UserName()
{
    wchar_t name[257] = {};
    DWORD size = 257;
    if (::GetUserNameW(name, &size) && name[0]) return Utf8FromWide(name);
    return Environment(L"USERNAME");
}

std::string TempFolder()
{
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, path);
    return n > 0 && n <= MAX_PATH ? WithoutBackslash(Utf8FromWide(path)) : std::string();
}

bool IsNameCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

} // namespace

DefinitionEnvironment CurrentDefinitionEnvironment()
{
    DefinitionEnvironment e;
    auto set = [&e](const char* name, std::vector<std::string> values) {
        if (!values.empty()) e.variables[name] = std::move(values);
    };
    auto one = [&set](const char* name, const std::string& value) {
        set(name, value.empty() ? std::vector<std::string>{} : std::vector<std::string>{value});
    };
    const std::string local = FirstOf({ShellFolder(CSIDL_LOCAL_APPDATA), Environment(L"LOCALAPPDATA")});
    const std::string profile = FirstOf({ShellFolder(CSIDL_PROFILE), Environment(L"USERPROFILE")});
    const std::string windows = FirstOf({ShellFolder(CSIDL_WINDOWS), Environment(L"SystemRoot")});
    one("LOCALAPPDATA", local);
    one("APPDATA", FirstOf({ShellFolder(CSIDL_APPDATA), Environment(L"APPDATA")}));
    // Beside the local folder, where Windows keeps it, when the shell does not know it.
    one("LOCALLOWAPPDATA",
        FirstOf({KnownFolder(FOLDERID_LocalAppDataLow), local.empty() ? std::string() : Parent(local) + "\\LocalLow"}));
    set("PROGRAMFILES", Distinct({ShellFolder(CSIDL_PROGRAM_FILES), ShellFolder(CSIDL_PROGRAM_FILESX86),
                                  Environment(L"ProgramW6432")}));
    set("COMMONPROGRAMFILES", Distinct({ShellFolder(CSIDL_PROGRAM_FILES_COMMON),
                                        ShellFolder(CSIDL_PROGRAM_FILES_COMMONX86),
                                        Environment(L"CommonProgramW6432")}));
    one("PROGRAMDATA", FirstOf({ShellFolder(CSIDL_COMMON_APPDATA), Environment(L"ProgramData")}));
    one("USERPROFILE", profile);
    one("WINDIR", windows);
    one("SYSTEMDRIVE", FirstOf({Environment(L"SystemDrive"), windows.size() >= 2 ? windows.substr(0, 2) : ""}));
    one("PUBLIC", FirstOf({KnownFolder(FOLDERID_Public), Environment(L"PUBLIC"),
                           Parent(ShellFolder(CSIDL_COMMON_DOCUMENTS))}));
    one("TEMP", TempFolder());
    one("USERNAME", UserName());
    one("DOCUMENTS", FirstOf({ShellFolder(CSIDL_PERSONAL), profile.empty() ? std::string() : profile + "\\Documents"}));

    OSVERSIONINFOEXW version;
    if (RealWindowsVersion(version)) {
        e.windowsMajor = static_cast<int>(version.dwMajorVersion);
        e.windowsMinor = static_cast<int>(version.dwMinorVersion);
    }
    return e;
}

std::vector<std::string> ExpandDefinitionVariables(std::string_view text, const DefinitionEnvironment& environment,
                                                   std::string* unknown)
{
    std::vector<std::string> results(1);
    std::string name;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find('%', at);
        std::size_t close = open == std::string_view::npos ? open : text.find('%', open + 1);
        const std::size_t literalEnd = close == std::string_view::npos ? text.size() : open;
        for (std::string& r : results) r.append(text.substr(at, literalEnd - at));
        if (close == std::string_view::npos) break;
        name.assign(text.substr(open + 1, close - open - 1));
        bool isName = !name.empty();
        for (char c : name) isName = isName && IsNameCharacter(c);
        if (!isName) {
            // "50%" and the like: the first "%" is text, the second may still open a name.
            for (std::string& r : results) r += '%';
            at = open + 1;
            continue;
        }
        for (char& c : name)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        const auto found = environment.variables.find(name);
        if (found == environment.variables.end() || found->second.empty()) {
            if (unknown) unknown->assign(text.substr(open, close - open + 1));
            return {};
        }
        if (found->second.size() == 1) {
            for (std::string& r : results) r += found->second.front();
        } else {
            std::vector<std::string> grown;
            grown.reserve(results.size() * found->second.size());
            for (const std::string& r : results)
                for (const std::string& value : found->second) grown.push_back(r + value);
            results.swap(grown);
        }
        at = close + 1;
    }
    return results;
}

} // namespace sweepora
