#include "platform/TaskName.h"

#include "platform/WideText.h"

#include <cstdio>
#include <cstring>

namespace sweepora {

std::string TaskNameRefusal(const std::string& name)
{
    if (name.empty()) return "a task name may not be empty";
    const std::wstring wide = WideFromUtf8(name);
    if (wide.size() > kLongestTaskName)
        return "a task name may not be longer than " + std::to_string(kLongestTaskName) + " characters";
    for (const wchar_t c : wide) {
        if (c < 0x20 || c == 0x7F) {
            char code[8];
            std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned>(c));
            return std::string("the control character ") + code + " is not allowed in a task name";
        }
        if (c < 0x80 && std::strchr("\\/:*?\"<>|", static_cast<char>(c)))
            return std::string("'") + static_cast<char>(c) + "' is not allowed in a task name";
    }
    // The scheduler keeps tasks as files: Windows drops trailing blanks and dots from file
    // names, and leading ones make "." and ".." or names that are hard to type.
    const auto blankOrDot = [](wchar_t c) { return c == L' ' || c == L'.'; };
    if (blankOrDot(wide.front())) return "a task name may not start with a blank or a dot";
    if (blankOrDot(wide.back())) return "a task name may not end with a blank or a dot";
    return "";
}

} // namespace sweepora
