#include "engine/SessionPlugins.h"

#include "engine/Eradication.h"
#include "engine/Session.h"
#include "engine/ShellFolders.h"
#include "engine/SystemInfo.h"
#include "engine/Timestamp.h"
#include "plugins/PluginRunner.h"
#include "platform/Text.h"

#include <commdlg.h>

namespace sweepora {

namespace {

constexpr int kLocalAppDataFolder = 28;

class SessionPluginHost final : public PluginRunHost {
public:
    explicit SessionPluginHost(Session& s) : s_(s) {}

    const std::atomic<bool>& AbortFlag() const override { return s_.run.abort; }
    bool Live() const override { return s_.run.live; }
    void CountRegistryEntry() override { ++s_.run.registryKeys; }
    DWORD EradicateFile(const std::string& path) override
    {
        return sweepora::EradicateFile(s_, path, s_.settings.Passes());
    }
    bool RemoveFolder(const std::string& path, bool emptied) override
    {
        return RemoveWalkedFolder(s_, path, emptied);
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
    // All three are UTF-8, so a profile or user name outside the code page reaches the
    // plugin entries whole.
    v.windowsPath = GetWindowsFolder();
    v.userName = GetNetUserName();
    v.appDataPath = GetSpecialFolderPath(kLocalAppDataFolder);
    if (v.appDataPath.empty()) v.appDataPath = v.windowsPath + "\\Application Data";
    return v;
}

std::string SessionPluginFolder(const Session& s)
{
    return PluginFolder(s.dataFolder);
}

std::vector<std::string> PreparePluginFolder(const Session& s)
{
    const std::string folder = SessionPluginFolder(s);
    EnsureFolder(folder);
    if (s.dataFolder == s.programFolder) return {};
    return CopyMissingPlugins(PluginFolder(s.programFolder), folder);
}

bool IsRequired(const Session& s, const PluginLine& line)
{
    for (const std::string& name : s.settings.RequiredDefinitions)
        if (EqualsIgnoringCase(TrimBlanks(line.name), name)) return true;
    return false;
}

void RunPlugins(Session& s)
{
    SessionPluginHost host(s);
    if (s.settings.RequiredDefinitions.empty()) return RunPlugins(s.plugins, SessionPluginFolder(s), s.pluginVariables, host);
    // The administrator's entries run whatever the ticks say; the ticks themselves stay the user's.
    PluginList list = s.plugins;
    for (PluginLine& line : list.Lines()) line.ticked = line.ticked || IsRequired(s, line);
    RunPlugins(list, SessionPluginFolder(s), s.pluginVariables, host);
}

DefinitionSources LoadSessionDefinitions(Session& s)
{
    DefinitionSources sources = ReadDefinitionSources(s.programFolder, CurrentDefinitionEnvironment());
    LoadDefinitions(s.plugins, sources, s.store);
    return sources;
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
