#pragma once
// Databases the tests lay out as a browser would, and the bytes left in them afterwards.
#include <string>
#include <vector>

namespace sweepora::test {

// Creates (or replaces) the database at `path` (UTF-8) and runs `sql` in it; fails the
// test on any error. `wal` leaves it in write-ahead-log mode, as Chromium's History is.
void CreateDatabase(const std::string& path, const std::string& sql, bool wal = false);
// The rows `query` returns, each row's columns joined with "|". `asBrowser` opens the file
// for writing, as the browser does at its start, which plays back a journal an edit left.
std::vector<std::string> QueryRows(const std::string& path, const std::string& query, bool asBrowser = false);
// True when `text` occurs as bytes (UTF-8) in the file or in its -wal or -journal.
bool DatabaseHolds(const std::string& path, const std::string& text);

// Browser schemas as the browsers lay them out, without rows (files under data/).
extern const std::string kChromiumHistorySchema;
std::string FirefoxPlacesSchema(bool modern);
extern const std::string kFirefoxFaviconsSchema;
// Network\Cookies (Chromium 156) and cookies.sqlite (Firefox 153).
extern const std::string kChromiumCookiesSchema;
extern const std::string kFirefoxCookiesSchema;
// Web Data and Shortcuts (Chromium 156), formhistory.sqlite (Firefox 153).
extern const std::string kChromiumWebDataSchema;
extern const std::string kChromiumShortcutsSchema;
extern const std::string kFirefoxFormHistorySchema;

// Firefox 153's permissions.sqlite and content-prefs.sqlite.
extern const std::string kFirefoxPermissionsSchema;
extern const std::string kFirefoxContentPrefsSchema;

} // namespace sweepora::test
