#include "shell/Win32Desktop.h"

namespace sweepora {

int Win32Desktop::MessageBox(const std::string& prompt, const std::string& title, UINT flags)
{
    return ::MessageBoxA(owner_, prompt.c_str(), title.c_str(), flags);
}

} // namespace sweepora
