#include "engine/CleaningCommands.h"

#include "engine/SessionPlugins.h"
#include "settings/SettingsPersistence.h"
#include "settings/StartupEntry.h"

namespace sweepora {

void SaveSessionSafeLists(Session& s)
{
    for (const std::string& path : SaveSafeLists(s.safeLists, s.dataFolder))
        s.log.AddLogEntry(kSafeListsTask, "Not saved: " + path + "; the file keeps its previous list");
}

void SaveAllSettings(Session& s)
{
    SavePluginSettings(s.plugins, SessionPluginFolder(s));
    SaveDefinitionTicks(s.plugins, s.store);
    SaveEraseSettingKeys(s.store, s.settings);
    SaveSessionSafeLists(s);
    SaveGeneralSettings(s.store, s.settings, [&s] { UpdateStartupEntry(s.settings, s.exePath); });
}

RunOutcome StartCleaning(Session& s, const RunTable& table)
{
    if (s.run.running) return RunOutcome::Ignored;
    s.host.SelectStatusTab();
    s.run.live = true;
    SaveAllSettings(s);
    const RunOutcome outcome = RunCleaning(s, table);
    if (outcome == RunOutcome::Refused)
        s.desktop.MessageBox(UnreadableListsMessage(s.safeLists), "Safe Lists", MB_OK | MB_ICONSTOP);
    return outcome;
}

void AbortCleaning(Session& s)
{
    if (s.desktop.MessageBox("Abort Cleaning Operation?", "Confirmation", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    s.run.abort = true;
    s.host.YieldToQueue();
}

} // namespace sweepora
