#include "engine/Win32Desktop.h"

#include "platform/HostPlatform.h"
#include "platform/Paths.h"
#include "platform/WideText.h"
#include "engine/TaskList.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

namespace sweepora {

int Win32Desktop::MessageBox(const std::string& prompt, const std::string& title, UINT flags)
{
    return ::MessageBoxW(owner_, WideFromUtf8(prompt).c_str(), WideFromUtf8(title).c_str(), flags);
}

bool Win32Desktop::RunFileDialog(bool save, const std::string& filter, DWORD flags,
                                 const std::string& defaultExtension, std::string& path)
{
    // The dialog wants NUL between the filter's parts and two at the end.
    std::wstring nulFilter = WideFromUtf8(filter);
    for (wchar_t& c : nulFilter)
        if (c == L'|') c = L'\0';
    nulFilter.append(2, L'\0');
    const std::wstring extension = WideFromUtf8(defaultExtension);
    // Room for the longest path the file system allows.
    std::vector<wchar_t> file(32768, L'\0');
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner_;
    ofn.lpstrFilter = nulFilter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    ofn.Flags = flags;
    if (!(save ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn))) return false;
    path = Utf8FromWide(file.data(), static_cast<std::size_t>(::lstrlenW(file.data())));
    return true;
}

bool Win32Desktop::ChooseFileToOpen(const std::string& filter, DWORD flags, std::string& path)
{
    return RunFileDialog(false, filter, flags, {}, path);
}

bool Win32Desktop::ChooseFileToSave(const std::string& filter, DWORD flags, const std::string& defaultExtension,
                                    std::string& path)
{
    return RunFileDialog(true, filter, flags, defaultExtension, path);
}

namespace {

// The folder an item list names; empty when it is no file-system folder.
std::wstring FolderPath(LPCITEMIDLIST item)
{
    // Vista's form takes a buffer of any size; the older one stops at MAX_PATH.
    using PathFromIdListEx = BOOL(WINAPI*)(LPCITEMIDLIST, PWSTR, DWORD, int);
    HMODULE shell = ::GetModuleHandleA("shell32.dll");
    const auto ex = shell == nullptr ? nullptr
                                     : reinterpret_cast<PathFromIdListEx>(reinterpret_cast<void (*)()>(
                                           ::GetProcAddress(shell, "SHGetPathFromIDListEx")));
    std::vector<wchar_t> buffer(ex != nullptr ? 32768 : MAX_PATH, L'\0');
    const BOOL ok = ex != nullptr ? ex(item, buffer.data(), static_cast<DWORD>(buffer.size()), 0)
                                  : ::SHGetPathFromIDListW(item, buffer.data());
    return ok ? std::wstring(buffer.data()) : std::wstring();
}

} // namespace

std::string Win32Desktop::BrowseForFolder(const std::string& title)
{
    const std::wstring wideTitle = WideFromUtf8(title);
    BROWSEINFOW info = {};
    info.hwndOwner = owner_;
    info.lpszTitle = wideTitle.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST chosen = ::SHBrowseForFolderW(&info);
    if (!chosen) return {};
    const std::wstring folder = FolderPath(chosen);
    ::CoTaskMemFree(chosen);
    if (folder.empty()) return {};
    return AddBackslash(Utf8FromWide(folder));
}

std::intptr_t Win32Desktop::ShellExecuteFile(const std::string& operation, const std::string& file,
                                         const std::string& parameters, const std::string& directory,
                                         int showCommand)
{
    // The program's folder is UTF-8 like every path, so the wide call takes it whole.
    const std::wstring op = WideFromUtf8(operation), path = WideFromUtf8(file), args = WideFromUtf8(parameters),
                       dir = WideFromUtf8(directory);
    const auto text = [](const std::wstring& s) { return s.empty() ? nullptr : s.c_str(); };
    return reinterpret_cast<std::intptr_t>(::ShellExecuteW(owner_, text(op), path.c_str(), text(args), text(dir),
                                                           showCommand));
}

DWORD Win32Desktop::RunAndWait(const std::string& file, const std::string& parameters, const std::string& directory,
                               DWORD timeoutMs, const std::function<void()>& whileWaiting, DWORD& exitCode)
{
    std::wstring commandLine = L"\"" + WideFromUtf8(file) + L"\"";
    if (!parameters.empty()) commandLine += L" " + WideFromUtf8(parameters);
    const std::wstring dir = WideFromUtf8(directory);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(WideFromUtf8(file).c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                          nullptr, dir.empty() ? nullptr : dir.c_str(), &startup, &process))
        return ::GetLastError();
    ::CloseHandle(process.hThread);
    DWORD result = ERROR_SUCCESS;
    // The window keeps answering meanwhile, through the caller's own message loop.
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    DWORD waited = WAIT_TIMEOUT;
    for (;;) {
        const ULONGLONG now = ::GetTickCount64();
        const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        waited = ::MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, left, QS_ALLINPUT);
        if (waited != WAIT_OBJECT_0 + 1) break;
        if (!whileWaiting) {
            // Nobody to hand the messages to: drop the wake-up, never the messages.
            MSG message;
            ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
            ::Sleep(10);
        } else {
            whileWaiting();
        }
    }
    if (waited == WAIT_TIMEOUT)
        result = WAIT_TIMEOUT;
    else if (waited != WAIT_OBJECT_0 || !::GetExitCodeProcess(process.hProcess, &exitCode))
        result = ::GetLastError();
    ::CloseHandle(process.hProcess);
    return result;
}

namespace {

// The windows the taskbar's minimise-all would take: shown, unowned, minimisable ones.
BOOL CALLBACK MinimizeOne(HWND window, LPARAM)
{
    const LONG_PTR style = ::GetWindowLongPtrA(window, GWL_STYLE);
    const LONG_PTR exStyle = ::GetWindowLongPtrA(window, GWL_EXSTYLE);
    if (!::IsWindowVisible(window) || ::IsIconic(window) || ::GetWindow(window, GW_OWNER) != nullptr ||
        !(style & WS_MINIMIZEBOX) || (exStyle & WS_EX_TOOLWINDOW))
        return TRUE;
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    // A hung program must not hold us up; our own window goes down before we carry on.
    if (process == ::GetCurrentProcessId())
        ::ShowWindow(window, SW_MINIMIZE);
    else
        ::ShowWindowAsync(window, SW_MINIMIZE);
    return TRUE;
}

} // namespace

void Win32Desktop::MinimizeAllWindows(int flag)
{
    // The taskbar's own commands: 419 minimises everything, 416 undoes it. A hung taskbar
    // must not hang us, hence the time limit.
    // Wine's taskbar takes command 419 for its Start button: it opens the Start menu and, as
    // the menu is modal, a sent command would not return until someone closes it.
    HWND taskbar = RunningUnderWine() ? nullptr : ::FindWindowA("Shell_TrayWnd", nullptr);
    if (taskbar != nullptr) {
        DWORD_PTR result = 0;
        const WPARAM command = flag == 0 ? 419 : 416;
        for (int i = 0; i < (flag == 0 ? 2 : 1); ++i)
            ::SendMessageTimeoutA(taskbar, WM_COMMAND, command, 0, SMTO_ABORTIFHUNG, 2000, &result);
        return;
    }
    // No taskbar that knows the command: the same windows are minimised one by one.
    if (flag == 0) ::EnumWindows(MinimizeOne, 0);
}

void Win32Desktop::ExitWindowsSession(UINT flags) { ::ExitWindowsEx(flags, 0); }

void Win32Desktop::ShowInTaskList(const std::string& osName, bool shown)
{
    if (shown)
        sweepora::ShowInTaskList(osName);
    else
        HideFromTaskList(osName);
}

} // namespace sweepora
