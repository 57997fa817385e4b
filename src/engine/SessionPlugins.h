#pragma once
// The plugins as a session drives them: the run's plugin row and the Import command.
#include "plugins/PluginFile.h"

#include <string>

namespace sweepora {

struct Session;

// %APPDATA% (the local application-data folder, or "<Windows>\Application Data" where the
// shell has none), %USERNAME% (the network user name) and %WIN% (the Windows folder).
PluginVariables CurrentPluginVariables();

// The session's plugin folder: "plugins" beside the executable.
std::string SessionPluginFolder(const Session& session);

// Runs the ticked plugins of the session's list within the current run.
void RunPlugins(Session& session);

// The Import command: the Open dialog, then the copy; a failure is told by message box.
void ImportPlugin(Session& session);

constexpr const char* kPluginFilter = "Plugin Files(*.plg)|*.plg";

} // namespace sweepora
