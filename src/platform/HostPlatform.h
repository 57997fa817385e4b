#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace sweepora {

// True under Wine, whose file calls follow host links where Windows would act on the link.
bool RunningUnderWine();

// The variable's value in this process; empty when unset.
std::wstring EnvironmentVariable(const wchar_t* name);

// A shell folder (CSIDL_...) as the system names it now; empty when it names none.
std::wstring ShellFolderPath(int csidl);

// True when TMP (or else TEMP) names a relative path, which the system would resolve
// against whatever the current folder happens to be.
bool TempSettingIsRelative();

// The Program Files folders, both views on a 64-bit system, canonical (see CanonicalFolder).
std::vector<std::wstring> ProgramFilesFolders();

// The version Windows really is: GetVersionEx tells a program without a compatibility
// manifest 6.2 whatever it runs on. False where the system cannot say (the 9x family).
bool RealWindowsVersion(OSVERSIONINFOEXW& version);

} // namespace sweepora
