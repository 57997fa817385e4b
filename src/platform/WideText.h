#pragma once
#include <string>

namespace sweepora {

// The platform's UTF-16 texts to and from the ANSI code page (the program's own texts
// and the ANSI interfaces). A null text is empty.
std::string AnsiFromWide(const wchar_t* text);
std::wstring WideFromAnsi(const std::string& text);

// Paths and log text travel through the engine as UTF-8 and become UTF-16 only at the
// Win32 boundary, so no name is narrowed to the code page on the way.
std::string Utf8FromWide(const wchar_t* text, std::size_t length);
std::string Utf8FromWide(const std::wstring& text);
std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromAnsi(const std::string& text);
// False in `fits` when some character has no form in the ANSI code page.
std::string AnsiFromUtf8(const std::string& text, bool* fits = nullptr);

} // namespace sweepora
