#pragma once
#include "engine/Session.h"

namespace sweepora {

constexpr const char* kRunMruKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
constexpr const char* kDocFindMruKey = "Software\\Microsoft\\Windows\\Currentversion\\Explorer\\Doc Find Spec MRU";
constexpr const char* kFilesNamedMruKey =
    "Software\\Microsoft\\Internet Explorer\\Explorer Bars\\{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}\\FilesNamedMRU";

// The Start menu's Run list: every value of its key, the order value too.
void CleanRunHistory(Session& session);
// The two Find/Search lists; counts two keys even when neither exists.
void CleanFindHistory(Session& session);
// The addresses typed into the browser, but those on the typed-URL safe list.
void CleanTypedUrls(Session& session);

} // namespace sweepora
