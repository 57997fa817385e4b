#include "shell/Win32Desktop.h"

#include <commdlg.h>
#include "storage/Paths.h"

#include <shellapi.h>
#include <shlobj.h>

#include <vector>

namespace sweepora {

int Win32Desktop::MessageBox(const std::string& prompt, const std::string& title, UINT flags)
{
    return ::MessageBoxA(owner_, prompt.c_str(), title.c_str(), flags);
}

bool Win32Desktop::RunFileDialog(bool save, const std::string& filter, DWORD flags,
                                 const std::string& defaultExtension, std::string& path)
{
    // The dialog wants NUL between the filter's parts and two at the end.
    std::string nulFilter = filter;
    for (char& c : nulFilter)
        if (c == '|') c = '\0';
    nulFilter.append(2, '\0');
    std::vector<char> file(32768, '\0');
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner_;
    ofn.lpstrFilter = nulFilter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();
    ofn.Flags = flags;
    if (!(save ? ::GetSaveFileNameA(&ofn) : ::GetOpenFileNameA(&ofn))) return false;
    path = file.data();
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

std::string Win32Desktop::BrowseForFolder(const std::string& title)
{
    BROWSEINFOA info = {};
    info.hwndOwner = owner_;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST chosen = ::SHBrowseForFolderA(&info);
    if (!chosen) return {};
    std::vector<char> buffer(512, '\0');
    const bool ok = ::SHGetPathFromIDListA(chosen, buffer.data()) != FALSE;
    ::CoTaskMemFree(chosen);
    if (!ok || buffer[0] == '\0') return {};
    return AddBackslash(buffer.data());
}

std::intptr_t Win32Desktop::ShellExecuteFile(const std::string& operation, const std::string& file,
                                         const std::string& parameters, const std::string& directory,
                                         int showCommand)
{
    const auto text = [](const std::string& s) { return s.empty() ? nullptr : s.c_str(); };
    return reinterpret_cast<std::intptr_t>(::ShellExecuteA(owner_, text(operation), file.c_str(),
                                                           text(parameters), text(directory), showCommand));
}

void Win32Desktop::MinimizeAllWindows(int flag)
{
    // The taskbar's own commands: 419 minimises everything, 416 undoes it.
    HWND taskbar = ::FindWindowA("Shell_TrayWnd", nullptr);
    if (taskbar == nullptr) return;
    if (flag == 0) {
        ::SendMessageA(taskbar, WM_COMMAND, 419, 0);
        ::SendMessageA(taskbar, WM_COMMAND, 419, 0);
    } else {
        ::SendMessageA(taskbar, WM_COMMAND, 416, 0);
    }
}

void Win32Desktop::ExitWindowsSession(UINT flags) { ::ExitWindowsEx(flags, 0); }

} // namespace sweepora
