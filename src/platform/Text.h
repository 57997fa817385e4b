#pragma once
#include <string>

namespace sweepora {

// Removes leading and trailing blanks (spaces only, as the settings and list files expect).
std::string TrimBlanks(const std::string& text);

// Upper-cases in the user's ANSI code page, so that comparisons agree with the shell's.
std::string UpperCase(const std::string& text);

// UTF-8 text upper-cased in the user's locale, every script alike.
std::string UpperCaseUtf8(const std::string& text);
std::wstring UpperCaseWide(std::wstring text);

bool EqualsIgnoringCase(const std::string& a, const std::string& b);

} // namespace sweepora
