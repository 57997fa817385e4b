#pragma once
#include <string>

namespace sweepora {

// The guards name a folder by its canonical, upper-case form; the user reads it as the
// file system spells it. `why` with the first mention of `canonical` written as `shown`,
// when both name the same folder.
std::string SpelledRefusal(std::string why, const std::wstring& canonical, const std::string& shown);

} // namespace sweepora
