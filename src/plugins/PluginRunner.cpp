#include "plugins/PluginRunner.h"

#include "plugins/MatchingFiles.h"
#include "storage/ErrorText.h"
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

// One line per failure, named as the user wrote the key: a subkey below it after a
// backslash, a value after a comma as in a DelRegValue entry.
void LogFailures(const std::string& key, const RegistryFailures& failures, PluginRunHost& host)
{
    for (const RegistryFailure& f : failures) {
        std::string task = key;
        if (f.kind == RegistryFailure::Kind::Subkey)
            task = (!key.empty() && key.back() == '\\' ? key : key + "\\") + f.name;
        else if (f.kind == RegistryFailure::Kind::Value)
            task = key + "," + f.name;
        host.AddLogEntry(task, ErrorText(static_cast<DWORD>(f.error)));
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
        if (deletable(*target)) LogFailures(entry, DeleteSubKeys(target->root, target->path, true, abort), host);
    });
    ForEachEntry(ini, kDelRegValueList, abort, [&](const std::string& entry) {
        const auto target = ParseKeyEntry(entry);
        if (!target) return;
        host.CountRegistryEntry();
        if (deletable(*target)) LogFailures(entry, DeleteAllRegValues(target->root, target->path, abort), host);
    });
    ForEachEntry(ini, kDelRegValue, abort, [&](const std::string& entry) {
        const auto target = ParseValueEntry(entry);
        if (!target) return;
        host.CountRegistryEntry();
        if (!deletable(*target)) return;
        RegistryFailures failures;
        for (int k = 0; k <= kNumberedCompanions && !abort; ++k) {
            const std::string name = target->valueName + (k == 0 ? std::string() : std::to_string(k));
            const RegistryFailures failed = DeleteRegValue(target->root, target->path, name);
            failures.insert(failures.end(), failed.begin(), failed.end());
            // A key that cannot be opened refuses every companion alike: one line is enough.
            if (!failed.empty() && failed.front().kind == RegistryFailure::Kind::Key) break;
        }
        LogFailures(entry.substr(0, entry.find(',')), failures, host);
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
            // The file as listed, blanks and all: a trimmed name could open another plugin.
            ini.IniPath(PluginFilePath(pluginFolder, line.name));
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
        std::string refusal;
        const std::vector<std::string> files = MatchingFiles(pattern, &refusal);
        if (!refusal.empty()) host.AddLogEntry(pattern, "Refused: " + refusal);
        for (const std::string& file : files) {
            if (host.AbortFlag()) break;
            host.EradicateFile(file);
            host.YieldToQueue();
        }
    } catch (const std::exception&) {
    }
}

} // namespace sweepora
