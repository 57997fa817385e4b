#pragma once
#include "engine/Session.h"
#include "safelists/HistoryLoader.h"

namespace sweepora {

constexpr const char* kIEHistoryTask = "Internet Explorer History";

// Empties the browser's URL history, then adds back the addresses on the history safe
// list (without titles) and reloads the history page. A failing store is logged, never
// raised, and the kept addresses go back even when the store fails once cleared. The
// line "Internet Explorer History" is written in every case.
void CleanIEHistory(Session& session);
// The same over the store `source` hands out.
void CleanIEHistoryIn(Session& session, const HistoryStoreSource& source);

} // namespace sweepora
