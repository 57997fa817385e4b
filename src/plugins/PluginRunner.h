#pragma once
#include "plugins/PluginFile.h"
#include "plugins/PluginList.h"

#include <atomic>
#include <string>

namespace sweepora {

// What the runner needs from the cleaning run it is part of.
class PluginRunHost {
public:
    virtual ~PluginRunHost() = default;

    virtual const std::atomic<bool>& AbortFlag() const = 0;
    // Registry entries are deleted only in a live run; files decide for themselves.
    virtual bool Live() const = 0;
    // One registry entry processed, whether or not anything was deleted.
    virtual void CountRegistryEntry() = 0;
    // Secure eradication at the user's level: passes, counters and its own log line.
    virtual void EradicateFile(const std::string& path) = 0;
    virtual void YieldToQueue() = 0;
    virtual void AddLogEntry(const std::string& task, const std::string& status) = 0;
    // "<long date> @ <long time>"
    virtual std::string TimestampText() const = 0;
};

// Carries out the entries of every ticked plugin of `list`, in list order, and logs one
// line per plugin: "Plugin : <name>" with "Completed : <timestamp>" or "**aborted**".
// Stops after the plugin during which the abort flag was set.
void RunPlugins(const PluginList& list, const std::string& pluginFolder, const PluginVariables& variables,
                PluginRunHost& host);

// Eradicates every file the pattern matches (see MatchingFiles), yielding after each one,
// until the abort flag is set. A refused pattern (a drive root, the Windows folder) gets
// one log line with the reason.
void EradicateMatchingFiles(const std::string& pattern, PluginRunHost& host);

} // namespace sweepora
