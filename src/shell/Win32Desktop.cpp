#include "shell/Win32Desktop.h"

#include <commdlg.h>
#include <shellapi.h>

#include <vector>

namespace sweepora {

int Win32Desktop::MessageBox(const std::string& prompt, const std::string& title, UINT flags)
{
    return ::MessageBoxA(owner_, prompt.c_str(), title.c_str(), flags);
}

bool Win32Desktop::ChooseFileToOpen(const std::string& filter, DWORD flags, std::string& path)
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
    ofn.Flags = flags;
    if (!::GetOpenFileNameA(&ofn)) return false;
    path = file.data();
    return true;
}

std::intptr_t Win32Desktop::ShellExecuteFile(const std::string& operation, const std::string& file,
                                         const std::string& parameters, const std::string& directory,
                                         int showCommand)
{
    const auto text = [](const std::string& s) { return s.empty() ? nullptr : s.c_str(); };
    return reinterpret_cast<std::intptr_t>(::ShellExecuteA(owner_, text(operation), file.c_str(),
                                                           text(parameters), text(directory), showCommand));
}

} // namespace sweepora
