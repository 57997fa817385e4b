#include "platform/Text.h"

#include "platform/WideText.h"

#include <windows.h>

namespace sweepora {

std::string TrimBlanks(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string UpperCase(const std::string& text)
{
    if (text.empty()) return text;
    std::string result(text);
    const int n = ::LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_UPPERCASE, text.data(),
                                 static_cast<int>(text.size()), &result[0],
                                 static_cast<int>(result.size()));
    if (n != static_cast<int>(text.size())) {
        for (char& c : result)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return result;
}

std::wstring UpperCaseWide(std::wstring text)
{
    if (!text.empty()) ::CharUpperBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

std::string UpperCaseUtf8(const std::string& text)
{
    return Utf8FromWide(UpperCaseWide(WideFromUtf8(text)));
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && UpperCase(a) == UpperCase(b);
}

} // namespace sweepora
