#pragma once
// SQLite gives pages back to the file system in two ways: it cuts a file short (a vacuumed
// database, a rollback journal emptied at commit, a log emptied by a checkpoint) and it
// deletes a journal or log. Either way the clusters freed keep the old pages, deleted rows
// included, for anyone who reads the volume. This SQLite VFS wraps Windows' own and
// overwrites the part a file gives back, flushed, before passing the cut or the delete on;
// everything else goes straight through. It is registered once, never as the default, and
// named only by the connections that edit a browser's database.
#include <cstdint>
#include <functional>
#include <string>

namespace sweepora {

// The name to give sqlite3_open_v2; registers the VFS on first use. Null when SQLite could
// not register it.
const char* ScrubbingVfsName();

// Seams for the tests, which must see what the VFS is about to give back. Both get SQLite's
// name for the file and the bytes the file keeps (0 when it is deleted); neither is called
// for SQLite's nameless temporary files.
struct ScrubbingVfsHooks {
    // Before anything is overwritten: false fails the cut or the delete as a failed write
    // would, with the file untouched.
    std::function<bool(const std::string& file, std::int64_t keptBytes)> beforeOverwrite;
    // After the overwrite was flushed, before the file is cut or deleted.
    std::function<void(const std::string& file, std::int64_t keptBytes)> beforeCut;
};
// Replaces the hooks; empty hooks when called without arguments.
void SetScrubbingVfsHooks(ScrubbingVfsHooks hooks = {});

} // namespace sweepora
