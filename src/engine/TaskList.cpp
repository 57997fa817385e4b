#include "engine/TaskList.h"

#include <windows.h>

namespace sweepora {

namespace {

using RegisterServiceProcessFn = DWORD(WINAPI*)(DWORD, DWORD);

bool RegisterAsService(const std::string& osName, DWORD type)
{
    for (const char* nt : {"2000", "NT", "XP"})
        if (osName.find(nt) != std::string::npos) return false;
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) return false;
    // Looked up at run time: only the 9x family exports it.
    const auto call = reinterpret_cast<RegisterServiceProcessFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(kernel, "RegisterServiceProcess")));
    if (call == nullptr) return false;
    call(::GetCurrentProcessId(), type);
    return true;
}

} // namespace

bool HideFromTaskList(const std::string& osName) { return RegisterAsService(osName, 1); }
bool ShowInTaskList(const std::string& osName) { return RegisterAsService(osName, 0); }

} // namespace sweepora
