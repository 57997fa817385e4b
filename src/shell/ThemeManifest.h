#pragma once
#include "engine/Desktop.h"

#include <windows.h>

#include <string>

namespace sweepora {

// Where the manifest goes: "<base name>.exe.manifest" beside the program, where Windows
// looks for it; in a data folder elsewhere, which a 32-bit and a 64-bit install share, the
// name carries this build's processor: "<base name>.<processor>.manifest".
std::string ThemeManifestPath(const std::string& programPath, const std::string& dataFolder);
// The one line, CR LF included, naming version 6 of the common controls for this build's
// processor ("X86" or "amd64": a mismatch stops a 64-bit program from starting).
std::string ThemeManifestText();
// Creates the hidden manifest once; an existing one is never looked at. A failure is told
// through the desktop and the program goes on without the visual style; false then.
bool WriteThemeManifest(Desktop& desktop, const std::string& path);

// Windows reads an external manifest only beside the executable: one kept elsewhere is put
// into effect for the calling thread, from Activate until this object goes.
class ThemeActivation {
public:
    ThemeActivation() = default;
    ~ThemeActivation();
    ThemeActivation(const ThemeActivation&) = delete;
    ThemeActivation& operator=(const ThemeActivation&) = delete;

    // 0 on success, else the system's error code (the program then goes on unstyled).
    DWORD Activate(const std::string& manifestPath);

private:
    HANDLE context_ = INVALID_HANDLE_VALUE;
    ULONG_PTR cookie_ = 0;
};

} // namespace sweepora
