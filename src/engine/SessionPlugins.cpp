#include "engine/SessionPlugins.h"

#include "engine/Session.h"
#include "engine/ShellFolders.h"
#include "engine/SystemInfo.h"
#include "erasure/PlaceGuard.h"
#include "platform/Text.h"
#include "plugins/PluginRunner.h"

namespace sweepora {

namespace {

constexpr int kLocalAppDataFolder = 28;

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
    EraseContext context = s.Erasure();
    // Read once per run: the shell's answers do not change within one.
    const PlaceGuard guard(CurrentProtectedPlaces());
    // The administrator's entries run whatever the ticks say; the ticks themselves stay the user's.
    PluginList required;
    if (!s.settings.RequiredDefinitions.empty()) {
        required = s.plugins;
        for (PluginLine& line : required.Lines()) line.ticked = line.ticked || IsRequired(s, line);
    }
    const PluginList& list = s.settings.RequiredDefinitions.empty() ? s.plugins : required;
    if (!RunPlugins(list, SessionPluginFolder(s), s.pluginVariables, context, guard) || s.run.abort) return;
    // Once for the whole run, however many entries asked.
    if (s.run.live) s.desktop.NotifyShellOfChanges();
    s.log.AddLogEntry(kShellTask, "Told to read its settings again");
}

DefinitionSources LoadSessionDefinitions(Session& s)
{
    DefinitionSources sources = ReadDefinitionSources(s.programFolder, CurrentDefinitionEnvironment());
    LoadDefinitions(s.plugins, sources, s.store);
    return sources;
}

} // namespace sweepora
