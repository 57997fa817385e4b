#pragma once
// A LevelDB store edited in place: rewritten without what goes, then the files that held
// it erased like any other file. A rewrite never leaves them to the browser, which would
// only delete them and leave their contents on the disk.
#include "erasure/EraseContext.h"
#include "formats/LevelDb.h"

#include <functional>
#include <string>
#include <vector>

namespace sweepora {

// Replaces the database `store` holds (opened for edit) by one holding `keep`, then erases
// its obsolete files; `stillFree` is asked just before the switch (a reason to stop, or
// empty). A test run writes nothing and names the same files as the live run erases.
// Empty on success (files that could not be erased have their own lines), else why the
// store was left as it was.
std::string RewriteLevelDbStore(EraseContext& context, LevelDbStore& store, const std::vector<LevelDbEntry>& keep,
                                const std::function<std::string()>& stillFree);

// Erases what a rewrite cut short left in the folder of `store`, which stays as it is.
void EraseLevelDbStrays(EraseContext& context, const LevelDbStore& store);

} // namespace sweepora
