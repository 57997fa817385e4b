#pragma once
#include <string>

namespace sweepora {

// The platform's UTF-16 texts to and from the ANSI code page the program works in.
// A null text is empty.
std::string AnsiFromWide(const wchar_t* text);
std::wstring WideFromAnsi(const std::string& text);

} // namespace sweepora
