#pragma once
#include "engine/CleaningRun.h"
#include "engine/Desktop.h"
#include "engine/Session.h"

namespace sweepora {

// Makes the store equal to the in-memory settings: the plugin ticks into the plugin files,
// cleaning settings and the three safe-list files, then the general settings and the
// Windows start-up entry.
void SaveAllSettings(Session& session);

// Saves the three safe lists, a log line for each file left as it was.
void SaveSessionSafeLists(Session& session);

// The Start Cleaning command (button, tray item, scheduler): show the log, go live,
// save everything, run. A refused run is also said in a message box.
RunOutcome StartCleaning(Session& session, const RunTable& table = StandardRunTable());

// The Abort command: asks first; on Yes the run stops at its next test of the flag.
void AbortCleaning(Session& session);

} // namespace sweepora
