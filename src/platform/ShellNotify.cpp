#include "platform/ShellNotify.h"

#include <windows.h>
#include <shlobj.h>

namespace sweepora {

void NotifyShell()
{
    ::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST | SHCNF_FLUSHNOWAIT, nullptr, nullptr);
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL, 1000, &answer);
}

} // namespace sweepora
