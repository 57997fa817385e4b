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

// Browser schemas as the browsers lay them out, without rows.
extern const char* const kChromiumHistorySchema;
std::string FirefoxPlacesSchema(bool modern);
extern const char* const kFirefoxFaviconsSchema;
// Network\Cookies (Chromium 156) and cookies.sqlite (Firefox 153).
extern const char* const kChromiumCookiesSchema;
extern const char* const kFirefoxCookiesSchema;
// Web Data and Shortcuts (Chromium 156), formhistory.sqlite (Firefox 153).
extern const char* const kChromiumWebDataSchema;
extern const char* const kChromiumShortcutsSchema;
extern const char* const kFirefoxFormHistorySchema;

// What Firefox 153 adds to places.sqlite beside FirefoxPlacesSchema(true): the new tab
// page's records and the history sync's tables. Its permissions.sqlite and content-prefs.sqlite.
extern const char* const kFirefoxPlacesAdditions;
extern const char* const kFirefoxPermissionsSchema;
extern const char* const kFirefoxContentPrefsSchema;

} // namespace sweepora::test
