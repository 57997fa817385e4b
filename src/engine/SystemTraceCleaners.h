#pragma once
#include "engine/Session.h"

#include <string>

namespace sweepora {

// Shell folder numbers (CSIDL) the cleaners look up.
constexpr int kCookiesFolder = 33;
constexpr int kHistoryFolder = 34;
constexpr int kProfileFolder = 40;

// The AutoComplete form cleaner that ships beside the executable.
constexpr const char* kAutoCompleteProgram = "iea.exe";

// "D" and "D:" become "D:\"; an empty path (all drives) and "D:\..." stay as they are.
std::string RecycleBinRootPath(const std::string& rootPath);

// Empties the Recycle Bin of the root's drive, or of all drives for an empty root, and
// says what the shell's count shows: "Recycle Bin Cleared " once it is empty, that it was
// empty already, or why it is not. In test mode nothing is emptied.
void EmptyRecycleBin(Session& session, const std::string& rootPath, bool noConfirmation, bool noProgressUI,
                     bool noSound);

// Empties the shell's recent-documents list; "cleared" only when the list holds no entry
// afterwards.
void CleanRecentDocs(Session& session);

// The user's temporary folder as the system reports it; empty when it cannot say.
std::string GetWindowsTempPath();

// Why the temporary folder must not be emptied: a drive or share root, the Windows
// folder under its two usual names on C:, a folder that holds the profile, the Windows
// folder, Program Files or ProgramData, another user's profile or the folder of profiles,
// or a relative TEMP. Empty when it may be.
std::string TempFolderRefusal(const std::string& folder);

// Erases the temporary folder's files and subfolders; the folder itself stays.
void CleanWindowsTemp(Session& session);

void CleanClipboard(Session& session);

// Runs iea.exe hidden and waits for it: "Cleared" only when it says it cleared every
// store. A test run starts nothing and only logs.
void CleanAutoCompleteForms(Session& session);

// Overwrites the cookies, history and history.ie5 index.dat files with spaces over their
// whole length; the files are kept. A file that stays as it was gets a line with the
// reason, and the end line says whether every file there was overwritten.
void CleanIndexDat(Session& session);

} // namespace sweepora
