#pragma once
#include "plugins/CleaningEntry.h"
#include "plugins/PluginFile.h"
#include "plugins/PluginList.h"
#include "erasure/ProtectedFolders.h"

#include <windows.h>

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
    // ERROR_SUCCESS when the file is gone (in a test run: would be) or was never there,
    // otherwise why it stayed.
    virtual DWORD EradicateFile(const std::string& path) = 0;
    // A folder whose contents were walked: removed when `emptied` (in a test run: logged
    // as removed), with its own log line; true when it is gone.
    virtual bool RemoveFolder(const std::string& path, bool emptied) = 0;
    virtual void YieldToQueue() = 0;
    virtual void AddLogEntry(const std::string& task, const std::string& status) = 0;
    // "<long date> @ <long time>"
    virtual std::string TimestampText() const = 0;
};

// Carries out every ticked plugin of `list`, in list order, then every ticked definition,
// and logs one line per entry: "Plugin : <name>" with "Completed : <timestamp>" or
// "**aborted**". Stops after the entry during which the abort flag was set.
void RunPlugins(const PluginList& list, const std::string& pluginFolder, const PluginVariables& variables,
                PluginRunHost& host);

// Carries out one entry's registry targets, then its file targets, within the guards:
// nothing on a protected folder but files named by a fixed mask, no registry key that
// holds more than one program's settings, nothing its exclusions name, never through a
// link. Every refusal gets a log line; the rest of the entry still runs.
void RunEntry(const CleaningEntry& entry, const ProtectedFolders& protectedFolders, PluginRunHost& host);

} // namespace sweepora
