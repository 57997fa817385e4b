#pragma once
#include "engine/Session.h"

namespace sweepora {

constexpr const char* kIEHistoryTask = "Internet Explorer History";

// Empties the browser's URL history, then adds back the addresses on the history safe
// list (without titles) and reloads the history page. A failing store is logged, never
// raised. The line "Internet Explorer History" is written in every case.
void CleanIEHistory(Session& session);

} // namespace sweepora
