#include "support/SqliteFiles.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>

namespace sweepora::test {

namespace {

struct Connection {
    sqlite3* db = nullptr;
    ~Connection() { sqlite3_close(db); }
};

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

void CreateDatabase(const std::string& path, const std::string& sql, bool wal)
{
    for (const char* suffix : {"", "-wal", "-journal", "-shm"}) std::remove((path + suffix).c_str());
    Connection c;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &c.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr), SQLITE_OK);
    char* error = nullptr;
    const std::string all = std::string(wal ? "PRAGMA journal_mode=WAL;" : "") + sql;
    ASSERT_EQ(sqlite3_exec(c.db, all.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
}

std::vector<std::string> QueryRows(const std::string& path, const std::string& query, bool asBrowser)
{
    std::vector<std::string> rows;
    Connection c;
    if (sqlite3_open_v2(path.c_str(), &c.db, asBrowser ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << path;
        return rows;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(c.db, query.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sqlite3_errmsg(c.db) << " in " << query;
        return rows;
    }
    while (sqlite3_step(statement) == SQLITE_ROW) {
        std::string row;
        for (int i = 0; i < sqlite3_column_count(statement); ++i) {
            const unsigned char* text = sqlite3_column_text(statement, i);
            row += (i ? "|" : "") + std::string(text ? reinterpret_cast<const char*>(text) : "");
        }
        rows.push_back(row);
    }
    sqlite3_finalize(statement);
    return rows;
}

bool DatabaseHolds(const std::string& path, const std::string& text)
{
    for (const char* suffix : {"", "-wal", "-journal"}) {
        const std::string file = path + suffix;
        if (Exists(file) && ReadFileBytes(file).find(text) != std::string::npos) return true;
    }
    return false;
}


// The schemas are the browsers' own, kept as files under data/.
const std::string kChromiumHistorySchema = TestData("chromium-history.sql");
const std::string kFirefoxFaviconsSchema = TestData("firefox-favicons.sql");
const std::string kChromiumCookiesSchema = TestData("chromium-cookies.sql");
const std::string kFirefoxCookiesSchema = TestData("firefox-cookies.sql");
const std::string kChromiumWebDataSchema = TestData("chromium-web-data.sql");
const std::string kChromiumShortcutsSchema = TestData("chromium-shortcuts.sql");
const std::string kFirefoxFormHistorySchema = TestData("firefox-form-history.sql");
const std::string kFirefoxPermissionsSchema = TestData("firefox-permissions.sql");
const std::string kFirefoxContentPrefsSchema = TestData("firefox-content-prefs.sql");

std::string FirefoxPlacesSchema(bool modern)
{
    return TestData(modern ? "firefox-places-modern.sql" : "firefox-places-older.sql");
}

} // namespace sweepora::test
