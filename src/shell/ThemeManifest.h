#pragma once
#include "engine/Desktop.h"

#include <string>

namespace sweepora {

// "<folder>\<base name>.exe.manifest" beside the program, without a doubled backslash.
std::string ThemeManifestPath(const std::string& programPath);
// The one line, CR LF included, naming version 6 of the common controls for this build's
// processor ("X86" or "amd64": a mismatch stops a 64-bit program from starting).
std::string ThemeManifestText();
// Creates the hidden manifest once; an existing one is never looked at. A failure is told
// through the desktop and the program goes on without the visual style.
void WriteThemeManifest(Desktop& desktop, const std::string& programPath);

} // namespace sweepora
