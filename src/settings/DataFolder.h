#pragma once
// Where the program keeps what the user changes (safe lists, imported plugins, the theme
// manifest). A copy unpacked into a folder of the user's own keeps them beside itself, as
// it always has; an installed copy cannot write there and keeps them per user.
#include <string>

namespace sweepora {

// "%LOCALAPPDATA%\Sweepora", UTF-8 without a trailing backslash; created when missing.
// Empty when the system names no local application-data folder.
std::string PerUserFolder();

// The program's own folder when it lies outside every Program Files folder and can be
// written to; otherwise PerUserFolder() (or, should that be unknown, the program's folder).
std::string DataFolderFor(const std::string& programFolder);

} // namespace sweepora
