#include "engine/SessionPlugins.h"

#include "engine/Eradication.h"
#include "engine/Session.h"
#include "engine/Timestamp.h"
#include "plugins/PluginRunner.h"
#include "storage/Text.h"
#include "storage/WideText.h"

#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>
#include <winnetwk.h>

namespace sweepora {

namespace {

constexpr int kLocalAppDataFolder = 28;

// The three are read wide, so that a profile or user name outside the code page reaches the
// plugin entries whole (they travel as UTF-8).
std::string LocalAppDataFolder()
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, kLocalAppDataFolder, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return Utf8FromWide(path);
}

std::string WindowsFolder()
{
    wchar_t path[MAX_PATH + 1] = {};
    const UINT n = ::GetWindowsDirectoryW(path, MAX_PATH + 1);
    return n == 0 || n > MAX_PATH ? std::string() : Utf8FromWide(path, n);
}

std::string NetUserName()
{
    wchar_t name[256] = {};
    DWORD length = 256;
    if (::WNetGetUserW(nullptr, name, &length) != NO_ERROR) return "None";
    name[255] = L'\0';
    return Utf8FromWide(name);
}

class SessionPluginHost final : public PluginRunHost {
public:
    explicit SessionPluginHost(Session& s) : s_(s) {}

    const std::atomic<bool>& AbortFlag() const override { return s_.run.abort; }
    bool Live() const override { return s_.run.live; }
    void CountRegistryEntry() override { ++s_.run.registryKeys; }
    void EradicateFile(const std::string& path) override
    {
        sweepora::EradicateFile(s_, path, s_.settings.NoOverWrites);
    }
    void YieldToQueue() override { s_.host.YieldToQueue(); }
    void AddLogEntry(const std::string& task, const std::string& status) override
    {
        s_.log.AddLogEntry(task, status);
    }
    std::string TimestampText() const override { return sweepora::TimestampText(); }

private:
    Session& s_;
};

} // namespace

PluginVariables CurrentPluginVariables()
{
    PluginVariables v;
    v.windowsPath = WindowsFolder();
    v.userName = NetUserName();
    v.appDataPath = LocalAppDataFolder();
    if (v.appDataPath.empty()) v.appDataPath = v.windowsPath + "\\Application Data";
    return v;
}

std::string SessionPluginFolder(const Session& s)
{
    return PluginFolder(s.programFolder);
}

void RunPlugins(Session& s)
{
    SessionPluginHost host(s);
    RunPlugins(s.plugins, SessionPluginFolder(s), s.pluginVariables, host);
}

void ImportPlugin(Session& s)
{
    std::string chosen;
    if (!s.desktop.ChooseFileToOpen(kPluginFilter, OFN_HIDEREADONLY, chosen) || TrimBlanks(chosen).empty()) return;
    if (!ImportPluginFile(s.plugins, SessionPluginFolder(s), chosen))
        s.desktop.MessageBox(std::string("Import error, ") + kAppTitle + " not able to impore this plugin",
                             "Import Failure", MB_OK | MB_ICONSTOP);
}

} // namespace sweepora
