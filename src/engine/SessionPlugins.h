#pragma once
// The plugins as a session drives them: the run's plugin row and the Import command.
#include "plugins/DefinitionSources.h"
#include "plugins/PluginFile.h"

#include <string>
#include <vector>

namespace sweepora {

struct Session;

// %APPDATA% (the local application-data folder, or "<Windows>\Application Data" where the
// shell has none), %USERNAME% (the network user name) and %WIN% (the Windows folder).
PluginVariables CurrentPluginVariables();

// The session's plugin folder: "plugins" in the data folder.
std::string SessionPluginFolder(const Session& session);

// Creates the session's plugin folder when missing. When the data folder is not the
// program's, the plugins shipped beside the program that it lacks are copied in first.
// Returns the names of those that could not be copied.
std::vector<std::string> PreparePluginFolder(const Session& session);

// The log's line after entries that asked for the shell to be told (NotifyShell=1).
constexpr const char* kShellTask = "Windows shell";

// Runs the ticked plugins and definitions of the session's list within the current run,
// and those an administrator's policy requires, ticked or not; then tells the shell once
// when an entry that asks for it ran to its end.
void RunPlugins(Session& session);

// True for a plugin or definition that a policy makes run in every run.
bool IsRequired(const Session& session, const PluginLine& line);

// Reads the definition files beside the program and fills the session's list with the
// offered entries, ticked as the settings store keeps them. A file that could not be read
// is in the result's failures; the caller says so.
DefinitionSources LoadSessionDefinitions(Session& session);

} // namespace sweepora
