#include "plugins/PluginRunner.h"

#include "plugins/MatchingFiles.h"
#include "storage/Ini.h"
#include "storage/RegistryAccess.h"
#include "storage/Text.h"

#include <exception>

namespace sweepora {

namespace {

// Value names tried after the named one: name1 to name49.
constexpr int kNumberedCompanions = 49;

// Hands <key>1, <key>2, ... to `handle` until the first missing or empty entry, or an abort.
template <typename Handler>
void ForEachEntry(const clsIni& ini, const char* key, const std::atomic<bool>& abort, Handler&& handle)
{
    for (int n = 1; !abort; ++n) {
        const std::string entry = ini.GetIniSetting(kPluginSection, key + std::to_string(n));
        if (entry.empty()) break;
        // A failing entry is passed over; the next one still runs.
        try {
            handle(entry);
        } catch (const std::exception&) {
        }
    }
}

void RunPlugin(const clsIni& ini, const PluginVariables& variables, PluginRunHost& host)
{
    const std::atomic<bool>& abort = host.AbortFlag();
    // Registry calls with an unknown root would fail anyway; they are not made.
    const auto deletable = [&host](const RegistryTarget& t) { return host.Live() && t.root != nullptr; };

    ForEachEntry(ini, kDelRegKeyList, abort, [&](const std::string& entry) {
        const auto target = ParseKeyEntry(entry);
        if (!target) return;
        host.CountRegistryEntry();
        if (deletable(*target)) DeleteSubKeys(target->root, target->path, true, abort);
    });
    ForEachEntry(ini, kDelRegValueList, abort, [&](const std::string& entry) {
        const auto target = ParseKeyEntry(entry);
        if (!target) return;
        host.CountRegistryEntry();
        if (deletable(*target)) DeleteAllRegValues(target->root, target->path, abort);
    });
    ForEachEntry(ini, kDelRegValue, abort, [&](const std::string& entry) {
        const auto target = ParseValueEntry(entry);
        if (!target) return;
        host.CountRegistryEntry();
        if (!deletable(*target)) return;
        DeleteRegValue(target->root, target->path, target->valueName);
        for (int k = 1; k <= kNumberedCompanions && !abort; ++k)
            DeleteRegValue(target->root, target->path, target->valueName + std::to_string(k));
    });
    ForEachEntry(ini, kDelFile, abort, [&](const std::string& entry) {
        EradicateMatchingFiles(ExpandVariables(entry, variables), host);
    });
}

} // namespace

void RunPlugins(const PluginList& list, const std::string& pluginFolder, const PluginVariables& variables,
                PluginRunHost& host)
{
    const std::atomic<bool>& abort = host.AbortFlag();
    if (abort) return;
    clsIni ini;
    for (const PluginLine& line : list.Lines()) {
        if (!line.ticked) continue;
        const std::string name = TrimBlanks(line.name);
        try {
            ini.IniPath(PluginFilePath(pluginFolder, name));
            RunPlugin(ini, variables, host);
        } catch (const std::exception&) {
        }
        host.AddLogEntry("Plugin : " + name, abort ? "**aborted**" : "Completed : " + host.TimestampText());
        if (abort) break;
    }
}

void EradicateMatchingFiles(const std::string& pattern, PluginRunHost& host)
{
    try {
        for (const std::string& file : MatchingFiles(pattern)) {
            if (host.AbortFlag()) break;
            host.EradicateFile(file);
            host.YieldToQueue();
        }
    } catch (const std::exception&) {
    }
}

} // namespace sweepora
