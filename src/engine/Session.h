#pragma once
#include "engine/ActivityLog.h"
#include "engine/Desktop.h"
#include "engine/RunHost.h"
#include "erasure/EraseContext.h"
#include "erasure/FileOverwrite.h"
#include "erasure/RunState.h"
#include "platform/EventReporter.h"
#include "plugins/PluginFile.h"
#include "plugins/PluginList.h"
#include "safelists/SafeListPages.h"
#include "settings/AppSettings.h"
#include "settings/SettingsStore.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sweepora {

// The models one running program works on, and the host that drives them.
// Every view (window, console, tests) owns one and hands it to the engine.
// What one browser box did to one store of one profile, as the report counts it.
struct StoreReport {
    std::string box;     // "history", "cookies", "cache", "typed addresses", "forms"
    std::string browser; // "Google Chrome"
    std::string profile; // "Default"
    std::string store;   // "History", "cookies.sqlite", "history files"
    std::int64_t rows = 0;
    std::string status;  // the log line's status
};

struct Session {
    Session(SettingsStore& settingsStore, RunHost& runHost, Desktop& desktopSeam, std::string executablePath);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    SettingsStore& store;
    RunHost& host;
    Desktop& desktop;
    const std::string exePath;
    // The executable's folder: the definitions, the help and the starting values lie there.
    const std::string programFolder;
    // Where what the program writes and reads back lives: the safe lists, the plugin folder
    // and the theme manifest. The program folder itself when it may be written to and is
    // not under Program Files, else the per-user folder.
    const std::string dataFolder;

    AppSettings settings;
    RunState run;
    ActivityLog log{run};
    SafeListPages safeLists;
    PluginList plugins;
    // Read once, when the program starts.
    PluginVariables pluginVariables;
    // The browser stores of the run going on or last made, in log order.
    std::vector<StoreReport> storeReports;
    // The file-system calls of an overwrite; tests put a failing disk here.
    const EraseIo* eraseIo = &SystemEraseIo();
    // Where runs report their start and end for the administrators: the front ends put the
    // Application log here, for as long as the session lives; tests may put a recorder.
    EventReporter* events = &NoEventReporter();

    // The safe lists are kept in the data folder; until then, the ones beside the program count.
    SafeListFolders ListFolders() const { return {dataFolder, programFolder}; }

    YieldFn Yielder() { return [this] { host.YieldToQueue(); }; }
    // What erasing at the user's level works with.
    EraseContext Erasure() { return {run, log, Yielder(), settings.Passes(), eraseIo}; }
};

} // namespace sweepora
