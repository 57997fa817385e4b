#include "engine/Timestamp.h"

namespace sweepora {

std::string LongDateText(const SYSTEMTIME& at)
{
    char buffer[256] = {};
    const int n = ::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, &at, nullptr, buffer, sizeof buffer);
    return n > 0 ? std::string(buffer) : std::string();
}

std::string LongTimeText(const SYSTEMTIME& at)
{
    char buffer[256] = {};
    const int n = ::GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &at, nullptr, buffer, sizeof buffer);
    return n > 0 ? std::string(buffer) : std::string();
}

std::string TimestampText()
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return LongDateText(now) + " @ " + LongTimeText(now);
}

} // namespace sweepora
