#pragma once
#include "engine/Session.h"

#include <optional>
#include <string>

namespace sweepora {

// Under HKEY_LOCAL_MACHINE: "CurrentUser" names the profile, whose subkey's "DirRoot" is its folder.
constexpr const char* kNetscapeUsersKey = "Software\\Netscape\\Netscape Navigator\\Users";

// The current profile's folder with a trailing backslash; nothing when no profile is
// named or its "DirRoot" is not a full folder path below a drive's root (the cleaners then
// end with "Terminated", as without a profile).
std::optional<std::string> GetNetscapeUserDir();

// Each ends with its timestamp when all it found went, "Nothing to clear: ..." when its
// files are not there, or "Not cleared: ..." with how many stayed (each has its line).
// Empties the profile's cache folder (keeping the folder) and erases cookies.txt.
void CleanNetscapeCache(Session& session);
// Erases netscape.hst.
void CleanNetscapeHistory(Session& session);
// Erases mail\trash and mail\trash.nsm; silent without a profile or once aborted.
void CleanNetscapeMail(Session& session);

} // namespace sweepora
