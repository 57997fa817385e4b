#include "platform/Timestamp.h"

#include "platform/WideText.h"

namespace sweepora {

std::string LongDateText(const SYSTEMTIME& at)
{
    wchar_t buffer[256] = {};
    const int n = ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &at, nullptr, buffer, 256);
    return n > 0 ? Utf8FromWide(buffer, static_cast<std::size_t>(n - 1)) : std::string();
}

std::string LongTimeText(const SYSTEMTIME& at)
{
    wchar_t buffer[256] = {};
    const int n = ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &at, nullptr, buffer, 256);
    return n > 0 ? Utf8FromWide(buffer, static_cast<std::size_t>(n - 1)) : std::string();
}

std::string TimestampText()
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return LongDateText(now) + " @ " + LongTimeText(now);
}

} // namespace sweepora
