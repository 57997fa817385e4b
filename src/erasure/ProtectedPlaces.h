#pragma once
// The places of this machine that entries from files of unknown origin must respect, each
// as CanonicalFolder gives it ("\\?\C:\WINDOWS\": long form, upper case, one trailing
// backslash), so that any spelling or link of a folder compares equal to it.
#include <string>
#include <vector>

namespace sweepora {

struct ProtectedPlaces {
    std::wstring windows;
    // Both views on a 64-bit system, and the user's own Programs folder in Local AppData.
    std::vector<std::wstring> programFiles;
    std::wstring programData;
    std::wstring profile;       // this user's
    std::wstring profilesRoot;  // the folder that holds every user's profile
    std::wstring publicProfile; // the profile every user shares
    std::wstring roamingAppData;
    std::wstring localAppData;
    std::wstring localLowAppData;
    // The user's and the Public profile's own folders (Documents, Desktop, Downloads, ...)
    // wherever they were moved, and every other known folder of either profile, except
    // what lies inside AppData.
    std::vector<std::wstring> userFolders;
    // The user's temporary folder (TEMP), a trace folder wherever it lies, as long as it is
    // no protected place itself, holds none and lies in none that is never emptied.
    std::wstring temp;
};

// This machine's, as the shell reports them now; under Wine, or where the shell has no
// answer, from the environment and from where Windows puts them by default. A place that
// cannot be found at all stays empty (the guards then refuse everything).
ProtectedPlaces CurrentProtectedPlaces();

} // namespace sweepora
