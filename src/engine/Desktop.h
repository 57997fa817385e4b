#pragma once
#include <windows.h>

#include <string>

namespace sweepora {

// Side effects on the user's desktop. The Win32 implementation lives with the shell;
// tests use a double, so that no test shows a box or touches the session.
class Desktop {
public:
    virtual ~Desktop() = default;

    // A modal message box; `flags` and the result are the MB_ and ID values.
    virtual int MessageBox(const std::string& prompt, const std::string& title, UINT flags) = 0;
};

} // namespace sweepora
