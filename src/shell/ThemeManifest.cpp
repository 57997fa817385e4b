#include "shell/ThemeManifest.h"

#include "platform/AtomicFile.h"
#include "platform/LongPath.h"
#include "platform/Paths.h"

namespace sweepora {

namespace {

#if defined(__x86_64__) || defined(_M_X64)
constexpr const char* kArchitecture = "amd64";
#else
constexpr const char* kArchitecture = "X86";
#endif

std::string Quoted(const std::string& value) { return "\"" + value + "\""; }

} // namespace

std::string ThemeManifestPath(const std::string& programPath, const std::string& dataFolder)
{
    const std::string name = BaseNameWithoutExtension(programPath);
    if (dataFolder == FolderOf(programPath)) return AddBackslash(dataFolder) + name + ".exe.manifest";
    return AddBackslash(dataFolder) + name + "." + kArchitecture + ".manifest";
}

std::string ThemeManifestText()
{
    return "<?xml version=" + Quoted("1.0") + " encoding=" + Quoted("UTF-8") + " standalone=" + Quoted("yes") +
           "?><assembly xmlns=" + Quoted("urn:schemas-microsoft-com:asm.v1") + " manifestVersion=" + Quoted("1.0") +
           "><assemblyIdentity version=" + Quoted("1.0.0.0") + " processorArchitecture=" + Quoted(kArchitecture) +
           " name=" + Quoted("Lumenfold.WindowsXP.Example") + " type=" + Quoted("win32") +
           " /> <description>An example of windows XP theming.</description> <dependency> <dependentAssembly> "
           "<assemblyIdentity type=" +
           Quoted("win32") + " name=" + Quoted("Microsoft.Windows.Common-Controls") + " version=" +
           Quoted("6.0.0.0") + " processorArchitecture=" + Quoted(kArchitecture) + " publicKeyToken=" +
           Quoted("6595b64144ccf1df") + " language=" + Quoted("*") +
           " /> </dependentAssembly> </dependency> </assembly>\r\n";
}

bool WriteThemeManifest(Desktop& desktop, const std::string& path)
{
    if (FileExists(path)) return true;
    // Whole or not at all: a half-written manifest could keep the program from starting.
    if (WriteFileAtomically(path, ThemeManifestText()) &&
        ::SetFileAttributesW(LongPath(path).c_str(), FILE_ATTRIBUTE_HIDDEN))
        return true;
    desktop.MessageBox("Error creating Windows XP theme file. You may be running EXE file from a network drive with "
                       "which you dont have write permissions. Themes will not be enabled.",
                       "Themeing Error!", MB_OK | MB_ICONEXCLAMATION);
    return false;
}

DWORD ThemeActivation::Activate(const std::string& manifestPath)
{
    if (context_ != INVALID_HANDLE_VALUE) return ERROR_ALREADY_INITIALIZED;
    const std::wstring source = LongPath(manifestPath);
    ACTCTXW request = {};
    request.cbSize = sizeof request;
    request.lpSource = source.c_str();
    const HANDLE context = ::CreateActCtxW(&request);
    if (context == INVALID_HANDLE_VALUE) return ::GetLastError();
    if (!::ActivateActCtx(context, &cookie_)) {
        const DWORD error = ::GetLastError();
        ::ReleaseActCtx(context);
        return error;
    }
    context_ = context;
    return 0;
}

ThemeActivation::~ThemeActivation()
{
    if (context_ == INVALID_HANDLE_VALUE) return;
    ::DeactivateActCtx(0, cookie_);
    ::ReleaseActCtx(context_);
}

} // namespace sweepora
