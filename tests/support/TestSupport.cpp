#include "support/TestSupport.h"

#include "platform/FileIo.h"
#include "platform/LongPath.h"
#include "platform/TaskScheduler.h"
#include "platform/UniqueHandle.h"
#include "platform/UrlHistory.h"
#include "platform/WideText.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <utility>

extern "C" LONG NTAPI NtDeleteKey(HANDLE key);

namespace sweepora::test {

RegistryLink::RegistryLink(std::string link, const std::string& target) : link_(std::move(link))
{
    UniqueKey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, WideFromUtf8(link_).c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                          KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot make the registry link " + link_);
    const std::wstring to = L"\\Registry\\User\\" + WideFromUtf8(CurrentUserSid() + "\\" + target);
    if (::RegSetValueExW(key.get(), L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(to.data()),
                         static_cast<DWORD>(to.size() * sizeof(wchar_t))) != ERROR_SUCCESS)
        throw std::runtime_error("cannot point the registry link " + link_);
}

// RegDeleteKey would go through the link; only the handle's own delete removes the link itself.
RegistryLink::~RegistryLink()
{
    UniqueKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, WideFromUtf8(link_).c_str(), REG_OPTION_OPEN_LINK, DELETE, key.put()) ==
        ERROR_SUCCESS)
        NtDeleteKey(key.get());
}

void DeleteKeyTree(HKEY root, const std::string& path)
{
    ::RegDeleteTreeA(root, path.c_str());
    ::RegDeleteKeyA(root, path.c_str());
}

bool KeyExists(HKEY root, const std::string& path)
{
    UniqueKey key;
    return ::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

void WriteRaw(HKEY root, const std::string& path, const std::string& name, DWORD type, const std::string& bytes)
{
    UniqueKey key;
    if (::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr) !=
            ERROR_SUCCESS ||
        ::RegSetValueExA(key.get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                         static_cast<DWORD>(bytes.size())) != ERROR_SUCCESS)
        throw std::runtime_error("cannot write " + path + "\\" + name);
}

void WriteString(HKEY root, const std::string& path, const std::string& name, const std::string& value)
{
    WriteRaw(root, path, name, REG_SZ, std::string(value.c_str(), value.size() + 1));
}

std::vector<std::string> ValueNames(HKEY root, const std::string& path)
{
    std::vector<std::string> names;
    UniqueKey key;
    if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return names;
    char name[16384];
    for (DWORD i = 0, length = sizeof name;
         ::RegEnumValueA(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, length = sizeof name)
        names.emplace_back(name, length);
    return names;
}

namespace {

// Wide and long, so that what a test made with any name or depth goes too.
void RemoveTreeW(const std::wstring& folder)
{
    WIN32_FIND_DATAW data;
    UniqueFind find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
    for (bool more = static_cast<bool>(find); more; more = ::FindNextFileW(find.get(), &data)) {
        const std::wstring name = data.cFileName, full = folder + L"\\" + name;
        if (name == L"." || name == L"..") continue;
        ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            RemoveTreeW(full);
        else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ::RemoveDirectoryW(full.c_str());
        else
            ::DeleteFileW(full.c_str());
    }
    find.reset();
    ::RemoveDirectoryW(folder.c_str());
}

void RemoveTree(const std::string& folder) { RemoveTreeW(LongPath(folder)); }

} // namespace

std::string FreshTempPath()
{
    // The platform picks a name no one holds; the file it makes gives way to the folder.
    char temp[MAX_PATH], name[MAX_PATH];
    if (!::GetTempPathA(MAX_PATH, temp) || !::GetTempFileNameA(temp, "swt", 0, name) || !::DeleteFileA(name))
        throw std::runtime_error("cannot make a temporary folder");
    return name;
}

ScratchFolder::ScratchFolder(std::string path) : path_(std::move(path))
{
    RemoveTree(path_);
    if (!::CreateDirectoryW(LongPath(path_).c_str(), nullptr)) throw std::runtime_error("cannot make " + path_);
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

std::string EnvironmentText(const char* name)
{
    char value[32768];
    const DWORD n = ::GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

std::string ReadFileBytes(const std::string& path)
{
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) throw std::runtime_error("cannot read " + path);
    return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    if (!WriteWholeFile(path, bytes)) throw std::runtime_error("cannot write " + path);
}

Snapshot TakeFolder(const std::string& dir)
{
    Snapshot files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
        files[std::filesystem::relative(entry.path(), dir).string()] =
            entry.is_directory() ? "<folder>" : ReadFileBytes(entry.path().string());
    return files;
}

std::vector<std::pair<std::string, std::string>> SupportData();

std::string TestData(const std::string& name)
{
    static const std::map<std::string, std::string> files = [] {
        const auto all = SupportData();
        return std::map<std::string, std::string>(all.begin(), all.end());
    }();
    const auto file = files.find(name);
    if (file != files.end()) return file->second;
    ADD_FAILURE() << "no test data " << name;
    return "";
}

void UnpackFolder(const std::vector<std::pair<std::string, std::string>>& files, const std::string& prefix,
                  const std::string& dir)
{
    for (const auto& [name, bytes] : files) {
        if (name.compare(0, prefix.size() + 1, prefix + "\\") != 0) continue;
        const std::filesystem::path path = std::filesystem::path(dir) / name.substr(prefix.size() + 1);
        std::filesystem::create_directories(path.parent_path());
        WriteFileBytes(path.string(), bytes);
    }
}

ScratchHistory::ScratchHistory() { CURLHistory().Clear(); }

ScratchHistory::~ScratchHistory()
{
    try {
        CURLHistory().Clear();
    } catch (...) {
    }
}

std::vector<std::string> HistoryUrls()
{
    std::vector<std::string> urls;
    const CURLHistory history;
    for (const URLHistoryItem& item : history.NewEnum()) urls.push_back(item.URL());
    std::sort(urls.begin(), urls.end());
    return urls;
}

void SessionFixture::OnlyCategories(std::initializer_list<std::string AppSettings::*> on)
{
    for (const SettingKey& k : SettingKeys())
        if (std::string(k.section) == kSectionErase) session.settings.*k.member = "0";
    for (std::string AppSettings::*flag : on) session.settings.*flag = "1";
}

std::vector<std::string> SessionFixture::Tasks() const
{
    std::vector<std::string> tasks;
    for (const LogLine& l : session.log.Lines()) tasks.push_back(l.task);
    return tasks;
}

ProgramResult RunProgram(const std::string& exe, const std::string& args)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    const std::string output = exe.substr(0, exe.find_last_of('\\')) + "\\output.txt";
    UniqueFile out(::CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 &inherit, CREATE_ALWAYS, 0, nullptr));
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    si.hStdOutput = si.hStdError = out.get();
    PROCESS_INFORMATION pi = {};
    std::string commandLine = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    if (!out || !::CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
        throw std::runtime_error("cannot start " + exe);
    UniqueFile process(pi.hProcess), thread(pi.hThread);
    if (::WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.get(), 99);
        throw std::runtime_error(exe + " did not end");
    }
    ProgramResult r;
    ::GetExitCodeProcess(process.get(), &r.exitCode);
    out.reset();
    r.out = ReadFileBytes(output);
    return r;
}

std::string SessionFixture::Last() const
{
    if (session.log.Lines().empty()) return "";
    const LogLine& l = session.log.Lines().back();
    return l.task + "|" + (l.status.find(" @ ") != std::string::npos ? "@" : l.status);
}

} // namespace sweepora::test
