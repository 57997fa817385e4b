#pragma once
// Folders a cleaner must never empty as a whole, compared by their final paths.
#include <string>
#include <vector>

namespace sweepora {

struct ProtectedFolders {
    std::wstring windows;
    std::vector<std::wstring> programFiles; // both views on a 64-bit system
    std::wstring programData;
    std::wstring profile;      // this user's
    std::wstring profilesRoot; // the folder that holds every user's profile
};

// This machine's, canonical (see CanonicalFolder).
ProtectedFolders CurrentProtectedFolders();

// Each returns why the folder may not be cleaned that way, or empty text when it may.

// The temporary folder: not a root, nothing that holds the profile, the Windows folder, a
// Program Files folder or ProgramData, not another user's profile or the folder of
// profiles, not a relative path.
std::string TempFolderRefusal(const std::string& folder, const ProtectedFolders& protectedFolders);
// True when TMP (or else TEMP) names a relative path, which the system would resolve
// against whatever the current folder happens to be.
bool TempSettingIsRelative();
// A custom directory: not a root, the Windows folder, a Program Files folder, ProgramData,
// or the profile folder or one that holds it.
std::string CustomDirRefusal(const std::string& folder, const ProtectedFolders& protectedFolders);
std::string CustomDirRefusal(const std::string& folder);
// The folder of a file pattern: not a root, not the Windows folder.
std::string PatternFolderRefusal(const std::string& folder, const ProtectedFolders& protectedFolders);
// Why a canonical folder is protected as a whole: a drive or share root, or a folder that
// is or holds the Windows folder, a Program Files folder, ProgramData, the profile or the
// folder of profiles. Empty when it is none of these.
std::string ProtectedFolderReason(const std::wstring& canonical, const ProtectedFolders& protectedFolders);

} // namespace sweepora
