#pragma once
#include "erasure/EraseContext.h"
#include "erasure/TargetEraser.h"
#include "plugins/CleaningEntry.h"
#include "plugins/PluginFile.h"
#include "plugins/PluginList.h"

#include <string>

namespace sweepora {

// Carries out every ticked plugin of `list`, in list order, then every ticked definition,
// and logs one line per entry: "Plugin : <name>" with "Completed : <timestamp>",
// "**aborted**", "Error : <why>" when the entry could not be carried out to its end,
// "Refused: every target is protected" when the guards refused each of its targets, or
// "Not done: ..." when its targets name only registry roots this program does not know
// (with refused targets, if any).
// Stops after the entry during which the abort flag was set. True when an entry that asks
// for the shell to be told (NotifyShell=1) ran to its end.
bool RunPlugins(const PluginList& list, const std::string& pluginFolder, const PluginVariables& variables,
                EraseContext& context, const TargetGuard& guard);

// Hands one entry's registry targets, then its file targets, to the erasure within the
// guard; every refusal gets a log line and the rest of the entry still runs. Throws what
// a target threw, after the targets that could run have run. Empty when something of the
// entry could run; otherwise the entry's end line, which says why nothing was done.
std::string RunCleaningEntry(const CleaningEntry& entry, EraseContext& context, const TargetGuard& guard);

} // namespace sweepora
