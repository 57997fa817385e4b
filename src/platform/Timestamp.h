#pragma once
#include <windows.h>

#include <string>

namespace sweepora {

// The date in the user's long date format, and the time in the long time format.
std::string LongDateText(const SYSTEMTIME& at);
std::string LongTimeText(const SYSTEMTIME& at);

// "<long date> @ <long time>" for now: the status of most log lines.
std::string TimestampText();

} // namespace sweepora
