#pragma once
#include "safelists/ListModel.h"

#include <string>

namespace sweepora {

// One entry per line, ANSI, CR LF after every line. Write failures are ignored.
void SaveListToFile(const ListModel& list, const std::string& path);

// Empties the list, then adds one entry per line of the file (an empty line is an empty
// entry). A missing or unreadable file leaves the list empty.
void LoadListFromFile(ListModel& list, const std::string& path, const YieldFn& yield);

} // namespace sweepora
