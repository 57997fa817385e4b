#pragma once
#include "engine/Session.h"
#include "safelists/HistoryLoader.h"

namespace sweepora {

constexpr const char* kIEHistoryTask = "Internet Explorer History";

// Empties the browser's URL history, then adds back the addresses on the history safe
// list (without titles) and reloads the history page. A failing store is logged, never
// raised, and the kept addresses go back even when the store fails once cleared. The
// line "Internet Explorer History" ends it in every case: with the timestamp, or with
// "Not cleared: ..." when the store refused to clear or still lists addresses.
void CleanIEHistory(Session& session);
// The same over the store `source` hands out.
void CleanIEHistoryIn(Session& session, const HistoryStoreSource& source);

} // namespace sweepora
