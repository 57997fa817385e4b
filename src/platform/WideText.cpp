#include "platform/WideText.h"

#include <windows.h>

namespace sweepora {

namespace {

std::string Narrow(UINT codePage, const wchar_t* text, int length, bool* fits)
{
    if (fits) *fits = true;
    if (length <= 0) return {};
    // The UTF-8 code page takes no default-character arguments.
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* used = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const int size = ::WideCharToMultiByte(codePage, flags, text, length, nullptr, 0, nullptr, used);
    if (size <= 0) {
        if (fits) *fits = false;
        return {};
    }
    std::string result(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(codePage, flags, text, length, &result[0], size, nullptr, used);
    if (fits && usedDefault) *fits = false;
    return result;
}

std::wstring Widen(UINT codePage, const std::string& text)
{
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int size = ::MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (size <= 0) return {};
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), length, &result[0], size);
    return result;
}

} // namespace

std::string AnsiFromWide(const wchar_t* text)
{
    return Narrow(CP_ACP, text, text ? ::lstrlenW(text) : 0, nullptr);
}

std::wstring WideFromAnsi(const std::string& text) { return Widen(CP_ACP, text); }

std::string Utf8FromWide(const wchar_t* text, std::size_t length)
{
    return Narrow(CP_UTF8, text, static_cast<int>(length), nullptr);
}

std::string Utf8FromWide(const std::wstring& text) { return Utf8FromWide(text.data(), text.size()); }

std::wstring WideFromUtf8(const std::string& text) { return Widen(CP_UTF8, text); }

std::string Utf8FromAnsi(const std::string& text) { return Utf8FromWide(Widen(CP_ACP, text)); }

std::string AnsiFromUtf8(const std::string& text, bool* fits)
{
    const std::wstring wide = Widen(CP_UTF8, text);
    return Narrow(CP_ACP, wide.data(), static_cast<int>(wide.size()), fits);
}

} // namespace sweepora
