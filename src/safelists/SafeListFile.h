#pragma once
#include "platform/AtomicFile.h"
#include "safelists/ListModel.h"

#include <string>

namespace sweepora {

// One entry per line, ANSI, CR LF after every line, written whole through the atomic writer
// (`write` as it takes it). False when it could not be written: the file is then as it was.
bool SaveListToFile(const ListModel& list, const std::string& path, const AtomicWriteStep& write = {});

// Empties the list, then adds one entry per line of the file (an empty line is an empty
// entry); a missing file leaves the list empty. False when the file is there but cannot be
// read (held without sharing, no access): the list is then left as it was, since an empty
// list would let a run erase everything the file keeps.
bool LoadListFromFile(ListModel& list, const std::string& path, const YieldFn& yield);

} // namespace sweepora
