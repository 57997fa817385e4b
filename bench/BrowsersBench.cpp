// The browsers' line: our clean of a generated Chromium profile against SQLite's shell
// running the same statements on the same files, the shell being the floor.
#include "BenchTiming.h"
#include "BrowsersBench.h"
#include "QuietHost.h"

#include "browsers/BrowserCookies.h"
#include "browsers/BrowserHistory.h"
#include "browsers/BrowserSites.h"
#include "engine/Session.h"
#include "engine/SilentDesktop.h"
#include "platform/LongPath.h"
#include "platform/Paths.h"
#include "platform/UniqueHandle.h"
#include "platform/WideText.h"
#include "settings/SettingsStore.h"

#include <sqlite3.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace sweepora::bench {

namespace {

constexpr int kAddresses = 100000;
constexpr int kVisitsPerAddress = 3;
constexpr int kSites = 2000;
constexpr int kCookiesPerSite = 10;
constexpr int kKeptSites = 50;
constexpr int kRounds = 3;

// Site n's host; the first kKeptSites are the kept ones.
std::string Site(int n) { return "site" + std::to_string(n) + ".example"; }

bool Exec(sqlite3* db, const std::string& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK) return true;
    std::fprintf(stderr, "bench: %s\n", error ? error : "sqlite error");
    sqlite3_free(error);
    return false;
}

bool MakeDatabase(const std::string& path, const std::string& sql)
{
    sqlite3* db = nullptr;
    const bool ok = sqlite3_open(path.c_str(), &db) == SQLITE_OK && Exec(db, sql);
    sqlite3_close(db);
    return ok;
}

// History: addresses spread over the sites, three visits each; Cookies: ten per site.
bool MakeProfile(const std::string& folder)
{
    ::CreateDirectoryA(folder.c_str(), nullptr);
    ::CreateDirectoryA((folder + "\\Network").c_str(), nullptr);
    std::string history =
        "CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);"
        "CREATE TABLE urls(id INTEGER PRIMARY KEY AUTOINCREMENT, url LONGVARCHAR, title LONGVARCHAR, visit_count INTEGER "
        "DEFAULT 0 NOT NULL, typed_count INTEGER DEFAULT 0 NOT NULL, last_visit_time INTEGER NOT NULL, hidden INTEGER "
        "DEFAULT 0 NOT NULL);"
        "CREATE INDEX urls_url_index ON urls (url);"
        "CREATE TABLE visits(id INTEGER PRIMARY KEY AUTOINCREMENT, url INTEGER NOT NULL, visit_time INTEGER NOT NULL, "
        "from_visit INTEGER, transition INTEGER DEFAULT 0 NOT NULL, segment_id INTEGER, visit_duration INTEGER DEFAULT "
        "0 NOT NULL);"
        "CREATE INDEX visits_url_index ON visits (url);"
        "CREATE TABLE keyword_search_terms(keyword_id INTEGER NOT NULL, url_id INTEGER NOT NULL, term LONGVARCHAR NOT "
        "NULL, normalized_term LONGVARCHAR NOT NULL);"
        "BEGIN;"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
        std::to_string(kAddresses) +
        ") INSERT INTO urls(id, url, title, visit_count, last_visit_time) SELECT i, 'https://site' || (i % " +
        std::to_string(kSites) + ") || '.example/page/' || i, 'Page ' || i, " + std::to_string(kVisitsPerAddress) +
        ", 13300000000000000 + i FROM n;"
        "INSERT INTO visits(url, visit_time, transition) SELECT id, last_visit_time, 1 FROM urls, (SELECT 1 UNION ALL "
        "SELECT 2 UNION ALL SELECT 3);"
        "COMMIT;";
    std::string cookies =
        "CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);"
        "CREATE TABLE cookies(creation_utc INTEGER NOT NULL, host_key TEXT NOT NULL, top_frame_site_key TEXT NOT NULL, "
        "name TEXT NOT NULL, value TEXT NOT NULL, encrypted_value BLOB NOT NULL, path TEXT NOT NULL, expires_utc "
        "INTEGER NOT NULL, is_secure INTEGER NOT NULL, is_httponly INTEGER NOT NULL, last_access_utc INTEGER NOT NULL, "
        "has_expires INTEGER NOT NULL, is_persistent INTEGER NOT NULL, priority INTEGER NOT NULL, samesite INTEGER NOT "
        "NULL, source_scheme INTEGER NOT NULL, source_port INTEGER NOT NULL, last_update_utc INTEGER NOT NULL, "
        "source_type INTEGER NOT NULL, has_cross_site_ancestor INTEGER NOT NULL);"
        "CREATE UNIQUE INDEX cookies_unique_index ON cookies(host_key, top_frame_site_key, has_cross_site_ancestor, "
        "name, path, source_scheme, source_port);"
        "BEGIN;"
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
        std::to_string(kSites * kCookiesPerSite - 1) +
        ") INSERT INTO cookies SELECT i, '.site' || (i / " + std::to_string(kCookiesPerSite) +
        ") || '.example', '', 'c' || i, '', randomblob(64), '/', 0, 1, 1, 0, 1, 1, 1, 0, 2, 443, 0, 0, 0 FROM n;"
        "COMMIT;";
    return MakeDatabase(folder + "\\History", history) && MakeDatabase(folder + "\\Network\\Cookies", cookies);
}

bool CopyProfile(const std::string& from, const std::string& to)
{
    ::CreateDirectoryA(to.c_str(), nullptr);
    ::CreateDirectoryA((to + "\\Network").c_str(), nullptr);
    return ::CopyFileA((from + "\\History").c_str(), (to + "\\History").c_str(), FALSE) &&
           ::CopyFileA((from + "\\Network\\Cookies").c_str(), (to + "\\Network\\Cookies").c_str(), FALSE);
}

void RemoveProfile(const std::string& folder)
{
    for (const char* f : {"\\History", "\\History-journal", "\\Network\\Cookies", "\\Network\\Cookies-journal"})
        ::DeleteFileA((folder + f).c_str());
    ::RemoveDirectoryA((folder + "\\Network").c_str());
    ::RemoveDirectoryA(folder.c_str());
}

// The statements our edit of one database runs, with the ids our matcher keeps written out
// as the values it inserts.
std::string Edit(const std::string& body)
{
    return "PRAGMA quick_check(3);"
           "PRAGMA temp_store=MEMORY;"
           "PRAGMA secure_delete=ON; PRAGMA locking_mode=EXCLUSIVE; PRAGMA journal_mode=TRUNCATE;"
           "BEGIN IMMEDIATE;" +
           body +
           "COMMIT;"
           "VACUUM;"
           "PRAGMA locking_mode=NORMAL; PRAGMA journal_mode=DELETE; SELECT count(*) FROM sqlite_schema;";
}

std::string KeptIdsInsert(const std::string& table, const std::vector<long long>& ids)
{
    std::string sql = "CREATE TEMP TABLE " + table + "(id INTEGER PRIMARY KEY);";
    for (const long long id : ids) sql += "INSERT OR IGNORE INTO temp." + table + "(id) VALUES (" + std::to_string(id) + ");";
    return sql;
}

std::string HistoryScript()
{
    // Addresses of the kept sites: id % kSites < kKeptSites, as generated.
    std::vector<long long> kept;
    for (long long id = 1; id <= kAddresses; ++id)
        if (id % kSites < kKeptSites) kept.push_back(id);
    return Edit(KeptIdsInsert("sweepora_kept_urls", kept) +
                "CREATE TEMP TABLE sweepora_kept_visits(id INTEGER PRIMARY KEY);"
                "INSERT OR IGNORE INTO temp.sweepora_kept_visits SELECT id FROM main.visits WHERE url IN "
                "(SELECT id FROM temp.sweepora_kept_urls);"
                "DELETE FROM main.keyword_search_terms WHERE url_id NOT IN (SELECT id FROM temp.sweepora_kept_urls);"
                "DELETE FROM main.visits WHERE url NOT IN (SELECT id FROM temp.sweepora_kept_urls);"
                "DELETE FROM main.urls WHERE id NOT IN (SELECT id FROM temp.sweepora_kept_urls);");
}

std::string CookiesScript()
{
    std::vector<long long> kept;
    for (long long rowid = 1; rowid <= kSites * kCookiesPerSite; ++rowid)
        if ((rowid - 1) / kCookiesPerSite < kKeptSites) kept.push_back(rowid);
    return Edit(KeptIdsInsert("sweepora_kept_cookies", kept) +
                "DELETE FROM main.cookies WHERE rowid NOT IN (SELECT id FROM temp.sweepora_kept_cookies);");
}

// Runs SQLite's shell on `database` with `script` on its standard input.
bool RunShell(const std::string& shell, const std::string& database, const std::string& scriptFile)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    UniqueFile input(::CreateFileA(scriptFile.c_str(), GENERIC_READ, FILE_SHARE_READ, &inherit, OPEN_EXISTING, 0, nullptr));
    UniqueFile output(::CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr));
    if (!input || !output) return false;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = output.get();
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    std::string command = "\"" + shell + "\" -bail \"" + database + "\"";
    if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return false;
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return code == 0;
}

bool WriteText(const std::string& path, const std::string& text)
{
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

} // namespace

int BenchBrowsers()
{
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string work = std::string(temp) + "sweepora-browsers-" + std::to_string(::GetCurrentProcessId());
    const std::string shell = AddBackslash(FolderOf(ExecutablePath())) + "sqlite3.exe";
    if (::GetFileAttributesA(shell.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "bench: %s is missing (make bench builds it)\n", shell.c_str());
        return 1;
    }
    ::CreateDirectoryA(work.c_str(), nullptr);
    const std::string source = work + "\\source", ours = work + "\\ours", floor = work + "\\floor";
    const std::string historyScript = work + "\\history.sql", cookiesScript = work + "\\cookies.sql";
    if (!MakeProfile(source) || !WriteText(historyScript, HistoryScript()) || !WriteText(cookiesScript, CookiesScript())) {
        std::fprintf(stderr, "bench: cannot make the profile in %s\n", work.c_str());
        return 1;
    }

    std::vector<std::string> keep;
    for (int n = 0; n < kKeptSites; ++n) keep.push_back(Site(n));
    const KeptAddress keptAddress = AddressesKept(keep);
    const KeptSite keptSite = SitesKept(keep);
    RegistrySettingsStore store("Software\\SweeporaBench");
    QuietHost host;
    SilentDesktop desktop;
    Session session(store, host, desktop, work + "\\sweepora.exe");
    session.run.live = true;

    std::vector<double> oursRuns, floorRuns;
    std::int64_t rows = 0;
    bool failed = false;
    for (int round = 0; round < kRounds && !failed; ++round) {
        // Alternating who goes first, so that neither always meets a busier disk.
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn + round) % 2 == 0) {
                CopyProfile(source, ours);
                BrowserProfile profile;
                profile.name = "Default";
                profile.folder = LongPath(ours);
                EraseContext context = session.Erasure();
                std::vector<StoreOutcome> outcomes;
                oursRuns.push_back(Seconds([&] {
                    outcomes = CleanChromiumHistory(context, profile, keptAddress);
                    for (StoreOutcome& o : CleanChromiumCookies(context, profile, keptSite)) outcomes.push_back(o);
                }));
                rows = 0;
                for (const StoreOutcome& o : outcomes) {
                    if (!o.problem.empty()) {
                        std::fprintf(stderr, "bench: %s: %s\n", o.store.c_str(), o.problem.c_str());
                        failed = true;
                    }
                    rows += o.rows;
                }
                RemoveProfile(ours);
            } else {
                CopyProfile(source, floor);
                floorRuns.push_back(Seconds([&] {
                    failed |= !RunShell(shell, floor + "\\History", historyScript);
                    failed |= !RunShell(shell, floor + "\\Network\\Cookies", cookiesScript);
                }));
                RemoveProfile(floor);
            }
        }
    }
    RemoveProfile(source);
    for (const std::string& f : {historyScript, cookiesScript}) ::DeleteFileA(f.c_str());
    ::RemoveDirectoryA(work.c_str());
    if (failed) {
        std::fprintf(stderr, "bench: a browser clean failed\n");
        return 1;
    }
    std::printf("browsers-clean-floor %.2f s (sqlite3 shell, same statements)\n", Median(floorRuns));
    std::printf("browsers-clean %.2f s, %lld rows removed\n", Median(oursRuns), static_cast<long long>(rows));
    std::printf("ratio browsers-clean/floor %.2f (target at most 1.25)\n", Median(oursRuns) / Median(floorRuns));
    std::fflush(stdout);
    return 0;
}

} // namespace sweepora::bench
