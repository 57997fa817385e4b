#!/usr/bin/env bash
# The main job: a fresh demo sandbox seeded with real traces, a preview run, a real
# run, and what is left afterwards.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
demo="$root/build/demo"
sandbox() { "$root/tools/wine-sandbox" "$demo" "$@"; }
wine_() { sandbox --wine "$@"; }
reg_add() { wine_ reg add "HKCU\\$1" /v "$2" /t REG_SZ /d "$3" /f >/dev/null; }
# /reg:64: with 32-bit Wine installed, `wine reg` is the 32-bit one and would write the
# 32-bit view of HKLM\Software, which the 64-bit program does not read.
hklm_add() { wine_ reg add "HKLM\\$1" /v "$2" /t REG_SZ /d "$3" /f /reg:64 >/dev/null; }
seeder() { sandbox "$root/build/bin/sweepora-seed.exe" "$@"; }
# Every file under a folder with its size, or a note that the folder is gone.
files() {
  for dir in "$@"; do
    echo "  ${dir#"$prefix/drive_c/"}:"
    if [ -d "$dir" ]; then
      (cd "$dir" && find . -type f -printf '    %P (%s bytes)\n' | sort)
    else
      echo "    (folder gone)"
    fi
  done
}
# The first bytes of a file, to show it was overwritten in place.
head_of() { for f in "$@"; do printf '  %s: %s bytes, begins "%s"\n' "${f#"$prefix/drive_c/"}" "$(stat -c %s "$f")" "$(head -c 24 "$f" | tr -c '[:print:]' '.')"; done; }
show() {
  for key in "$@"; do
    echo "  HKCU\\$key"
    wine_ reg query "HKCU\\$key" 2>/dev/null | tr -d '\r' | grep -E '^\s+\S+\s+REG_' | sed 's/^ */    /' || true
  done
}

runmru='Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU'
docfind='Software\Microsoft\Windows\Currentversion\Explorer\Doc Find Spec MRU'
filesnamed='Software\Microsoft\Internet Explorer\Explorer Bars\{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}\FilesNamedMRU'
typed='Software\Microsoft\Internet Explorer\TypedURLs'
forms='Software\Microsoft\Internet Explorer\IntelliForms\Storage1'

echo "== Fresh demo sandbox in $demo"
sandbox --init
prefix="$demo/prefix"
install="$prefix/drive_c/Program Files/Sweepora"
mkdir -p "$install"
cp "$root/build/bin/sweepora-cli.exe" "$root/build/bin/iea.exe" "$install/"
cp -r "$root/build/bin/plugins" "$root/build/bin/definitions" "$install/"
cli='C:\Program Files\Sweepora\sweepora-cli.exe'

echo "== Seeding traces"
reg_add "$runmru" a 'notepad C:\secret\plans.txt\1'
reg_add "$runmru" b 'regedit\1'
reg_add "$runmru" MRUList ba
reg_add "$docfind" a '*.doc'
reg_add "$docfind" MRUList a
reg_add "$filesnamed" 001 'salary review'
reg_add "$typed" url1 'http://www.bank.example/login'
reg_add "$typed" url2 'http://intranet.example/'
reg_add "$typed" url3 'http://news.example/'
reg_add "$forms" 0123ABCD 'saved form data'
temp=$(ls -d "$prefix"/drive_c/users/*/Temp | head -n 1)
mkdir -p "$temp/session/nested"
echo draft > "$temp/draft.tmp"
echo cache > "$temp/session/nested/cache.tmp"
echo hidden > "$temp/hidden.tmp"
wine_ attrib +h 'C:\users\'"$(basename "$(dirname "$temp")")"'\Temp\hidden.tmp' >/dev/null 2>&1 || true
printf 'http://intranet.example/\r\n' > "$install/SafeURLs.dat"

# The Recycle Bin of Wine's shell is the sandbox's freedesktop trash: a file and its info.
trash="$demo/home/.local/share/Trash"
mkdir -p "$trash/files" "$trash/info"
echo "dear bank" > "$trash/files/old-letter.txt"
printf '[Trash Info]\nPath=/tmp/old-letter.txt\nDeletionDate=2026-12-01T10:00:00\n' > "$trash/info/old-letter.txt.trashinfo"

# A Netscape profile, found through the machine's Users key.
netscape="$prefix/drive_c/Netscape/Users/demo"
mkdir -p "$netscape/cache/sub" "$netscape/mail"
echo page > "$netscape/cache/M0A1B2C3.htm"
echo image > "$netscape/cache/sub/M0D4E5F6.gif"
echo "bank.example	TRUE	/	FALSE	2145916800	session	abc" > "$netscape/cookies.txt"
echo history > "$netscape/netscape.hst"
echo "deleted mail" > "$netscape/mail/trash"
echo "prefs" > "$netscape/prefs.js"
hklm_add 'Software\Netscape\Netscape Navigator\Users' CurrentUser demo
hklm_add 'Software\Netscape\Netscape Navigator\Users\demo' DirRoot 'C:\Netscape\Users\demo'
reg_add 'Software\Sweepora\EraseSettings' EmailHistory 1

# A folder of the user's own on the custom directory list.
scratch="$prefix/drive_c/Work/scratch"
mkdir -p "$scratch/drafts"
echo notes > "$scratch/notes.txt"
echo draft > "$scratch/drafts/v1.txt"
# Names in other scripts, and a second name (hard link) of a file that lies outside.
mkdir -p "$scratch/отчёты" "$prefix/drive_c/Docs"
echo diary > "$scratch/日記.txt"
echo plan > "$scratch/отчёты/план.txt"
echo "thesis, chapter one" > "$prefix/drive_c/Docs/thesis.doc"
ln "$prefix/drive_c/Docs/thesis.doc" "$scratch/thesis-copy.doc"
reg_add 'Software\Sweepora\EraseSettings' NoOverWrites 7
reg_add 'Software\Sweepora\EraseSettings' CustomDirs 1
reg_add 'Software\Sweepora\EraseSettings' CustomDirList 'C:\Work\scratch'

# One ticked plugin with each kind of entry; the starter plugins beside it stay unticked.
viewer='Software\Demo Viewer'
printf '%s\r\n' '[Info]' 'Description=Demo Viewer history and temporary files' 'Selected=0' \
  "DelRegKeyList1=HKEY_CURRENT_USER\\$viewer\\History" "DelRegValueList1=HKEY_CURRENT_USER\\$viewer\\Last" \
  "DelRegValue1=HKEY_CURRENT_USER\\$viewer\\Recent,File" 'DelFile1=%APPDATA%\Demo Viewer\*.tmp' \
  > "$install/plugins/Demo Viewer.plg"
reg_add "$viewer\History\photos" Folder 'C:\Photos'
reg_add "$viewer\History\trips" Folder 'C:\Trips'
reg_add "$viewer\Last" Picture 'C:\Photos\beach.jpg'
for v in File File1 File2 Zoom; do reg_add "$viewer\Recent" $v "$v value"; done
viewer_files="$prefix/drive_c/users/$(basename "$(dirname "$temp")")/AppData/Local/Demo Viewer"
mkdir -p "$viewer_files"
echo thumbnail > "$viewer_files/thumbs.tmp"
echo settings > "$viewer_files/viewer.ini"
plugin_state() {
  echo "  plugin Demo Viewer (HKCU\\$viewer):"
  wine_ reg query "HKCU\\$viewer" /s 2>/dev/null | tr -d '\r' | grep -v '^$' | sed 's/^/    /' || true
  files "$viewer_files"
}

# Today's browsers: two Chrome profiles and a Firefox profile, laid out as the browsers lay
# them out, cleaned by the Cleaning tab's own boxes.
profile_dir="$prefix/drive_c/users/$(basename "$(dirname "$temp")")"
chrome="$profile_dir/AppData/Local/Google/Chrome/User Data"
firefox="$profile_dir/AppData/Roaming/Mozilla/Firefox/Profiles/k3x9.default-release"
firefox_cache="$profile_dir/AppData/Local/Mozilla/Firefox/Profiles/k3x9.default-release"
# The histories are real databases: a visited clinic that must go, the news page that
# SafeHistory.dat keeps, and in Firefox a bookmarked page.
chrome_history="CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE urls(id INTEGER PRIMARY KEY AUTOINCREMENT, url LONGVARCHAR, title LONGVARCHAR, visit_count INTEGER DEFAULT 0 NOT NULL, typed_count INTEGER DEFAULT 0 NOT NULL, last_visit_time INTEGER NOT NULL, hidden INTEGER DEFAULT 0 NOT NULL);
CREATE TABLE visits(id INTEGER PRIMARY KEY AUTOINCREMENT, url INTEGER NOT NULL, visit_time INTEGER NOT NULL, from_visit INTEGER, transition INTEGER DEFAULT 0 NOT NULL, segment_id INTEGER, visit_duration INTEGER DEFAULT 0 NOT NULL);
CREATE TABLE keyword_search_terms(keyword_id INTEGER NOT NULL, url_id INTEGER NOT NULL, term LONGVARCHAR NOT NULL, normalized_term LONGVARCHAR NOT NULL);
INSERT INTO urls VALUES(1, 'http://news.example/front.htm', 'News', 1, 0, 13300000000000000, 0);
INSERT INTO urls VALUES(2, 'https://clinic.example/results', 'Results', 1, 0, 13300000000000001, 0);
INSERT INTO visits(id, url, visit_time) VALUES(1, 1, 13300000000000000), (2, 2, 13300000000000001);
INSERT INTO keyword_search_terms VALUES(2, 2, 'clinic results', 'clinic results');"
firefox_places="CREATE TABLE moz_places(id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, rev_host LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, typed INTEGER DEFAULT 0 NOT NULL, frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date INTEGER, guid TEXT, foreign_count INTEGER DEFAULT 0 NOT NULL, url_hash INTEGER DEFAULT 0 NOT NULL);
CREATE TABLE moz_historyvisits(id INTEGER PRIMARY KEY, from_visit INTEGER, place_id INTEGER, visit_date INTEGER, visit_type INTEGER, session INTEGER);
CREATE TABLE moz_bookmarks(id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, parent INTEGER, position INTEGER, title LONGVARCHAR, guid TEXT);
CREATE TABLE moz_inputhistory(place_id INTEGER NOT NULL, input LONGVARCHAR NOT NULL, use_count INTEGER, PRIMARY KEY (place_id, input));
INSERT INTO moz_places(id, url, title, visit_count, last_visit_date) VALUES(1, 'https://recipes.example/', 'Recipes', 2, 1700000000000000), (2, 'https://clinic.example/results', 'Results', 1, 1700000000000001);
INSERT INTO moz_historyvisits(id, place_id, visit_date, visit_type) VALUES(1, 1, 1700000000000000, 1), (2, 2, 1700000000000001, 1);
INSERT INTO moz_bookmarks(id, type, fk, parent, position, title) VALUES(1, 1, 1, 0, 0, 'Recipes');
INSERT INTO moz_inputhistory VALUES(2, 'clin', 1);"
# Cookies of the bank (kept by SafeCookie.dat) and of a tracker (which goes).
chrome_cookies="CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
CREATE TABLE cookies(creation_utc INTEGER NOT NULL, host_key TEXT NOT NULL, top_frame_site_key TEXT NOT NULL, name TEXT NOT NULL, value TEXT NOT NULL, encrypted_value BLOB NOT NULL, path TEXT NOT NULL, expires_utc INTEGER NOT NULL, is_secure INTEGER NOT NULL, is_httponly INTEGER NOT NULL, last_access_utc INTEGER NOT NULL, has_expires INTEGER NOT NULL, is_persistent INTEGER NOT NULL, priority INTEGER NOT NULL, samesite INTEGER NOT NULL, source_scheme INTEGER NOT NULL, source_port INTEGER NOT NULL, last_update_utc INTEGER NOT NULL, source_type INTEGER NOT NULL, has_cross_site_ancestor INTEGER NOT NULL);
INSERT INTO cookies VALUES(1, '.bank.example', '', 'session', '', x'00', '/', 0, 1, 1, 0, 1, 1, 1, 0, 2, 443, 0, 0, 0);
INSERT INTO cookies VALUES(2, '.tracker.example', '', 'uid', '', x'00', '/', 0, 1, 1, 0, 1, 1, 1, 0, 2, 443, 0, 0, 0);"
firefox_cookies="CREATE TABLE moz_cookies(id INTEGER PRIMARY KEY, originAttributes TEXT NOT NULL DEFAULT '', name TEXT, value TEXT, host TEXT, path TEXT, expiry INTEGER, lastAccessed INTEGER, creationTime INTEGER, isSecure INTEGER, isHttpOnly INTEGER, inBrowserElement INTEGER DEFAULT 0, sameSite INTEGER DEFAULT 0, schemeMap INTEGER DEFAULT 0, isPartitionedAttributeSet INTEGER DEFAULT 0, updateTime INTEGER);
INSERT INTO moz_cookies(id, name, value, host, path) VALUES(1, 'session', 'x', 'www.bank.example', '/'), (2, 'uid', 'y', '.tracker.example', '/');"
for p in Default "Profile 1"; do
  mkdir -p "$chrome/$p/Cache/Cache_Data" "$chrome/$p/Code Cache/js" "$chrome/$p/Network"
  for f in "Visited Links" "Top Sites" "Login Data" Cache/Cache_Data/data_0 "Code Cache/js/index"; do
    echo "$p $f" > "$chrome/$p/$f"
  done
  rm -f "$chrome/$p/Network/Cookies"; sqlite3 "$chrome/$p/Network/Cookies" "$chrome_cookies"
  echo '{"roots":{"bookmark_bar":{"children":[],"type":"folder"}},"version":1}' > "$chrome/$p/Bookmarks"
  rm -f "$chrome/$p/History"; sqlite3 "$chrome/$p/History" "$chrome_history"
done
mkdir -p "$firefox/sessionstore-backups" "$firefox_cache/cache2/entries"
for f in logins.json sessionstore-backups/recovery.jsonlz4; do
  echo "$f" > "$firefox/$f"
done
rm -f "$firefox/places.sqlite" "$firefox/cookies.sqlite"
sqlite3 "$firefox/places.sqlite" "$firefox_places"
sqlite3 "$firefox/cookies.sqlite" "$firefox_cookies"
printf '[Profile0]\nName=default-release\nIsRelative=1\nPath=Profiles/k3x9.default-release\n' > "$firefox/../../profiles.ini"
echo page > "$firefox_cache/cache2/entries/5A0C"
histories() {
  for p in Default "Profile 1"; do
    echo "  Chrome $p History: $(sqlite3 "$chrome/$p/History" 'SELECT url FROM urls' | tr '\n' ' ')"
  done
  echo "  Firefox places.sqlite: $(sqlite3 "$firefox/places.sqlite" 'SELECT url FROM moz_places' | tr '\n' ' ')"
  for p in Default "Profile 1"; do
    echo "  Chrome $p Cookies: $(sqlite3 "$chrome/$p/Network/Cookies" 'SELECT host_key FROM cookies' | tr '\n' ' ')"
  done
  echo "  Firefox cookies.sqlite: $(sqlite3 "$firefox/cookies.sqlite" 'SELECT host FROM moz_cookies' | tr '\n' ' ')"
}
# Browser cache, cookies, history and the clipboard need a Windows program.
seeder seed
cookie_file=$(seeder list | tr -d '\r' | sed -n 's/.*Cookie:.*@bank\.example\/  (file \(.*\))$/\1/p')
printf '%s\r\nbank.example\r\n' "$cookie_file" > "$install/SafeCookie.dat"
printf 'http://news.example/front.htm\r\n' > "$install/SafeHistory.dat"

users="$prefix/drive_c/users/$(basename "$(dirname "$temp")")/AppData/Local/Microsoft/Windows"
index_dats=("$users/INetCookies/index.dat" "$users/History/History.IE5/index.dat")

echo "  safe lists beside the program:"
echo "    SafeURLs.dat     http://intranet.example/"
echo "    SafeCookie.dat   $cookie_file (the bank.example cookie), bank.example (its site in every browser)"
echo "    SafeHistory.dat  http://news.example/front.htm"
show "$runmru" "$docfind" "$filesnamed" "$typed" "$forms"
echo "  temporary folder:"; (cd "$temp" && find . -type f | sed 's/^/    /')
files "$trash" "$netscape" "$scratch" "$prefix/drive_c/Docs"
plugin_state
files "$chrome" "$firefox" "$firefox_cache"
histories
seeder list
head_of "${index_dats[@]}"

echo
echo "== sweepora-cli definitions (the entries this machine offers)"
wine_ "$cli" definitions
echo
echo "== sweepora-cli preview"
wine_ "$cli" preview
echo
echo "== sweepora-cli clean --report C:\\report.txt"
wine_ "$cli" clean --report 'C:\report.txt'
echo
echo "== Left afterwards"
show "$runmru" "$docfind" "$filesnamed" "$typed" "$forms"
echo "  temporary folder (the hidden file is never touched):"; (cd "$temp" && find . | sed 's/^/    /')
echo "  (the Recycle Bin emptied; in the Netscape profile only prefs.js is left; the custom folder goes with its"
echo "   contents; the thesis outside keeps its data: only the custom folder's second name for it went)"
files "$trash" "$netscape" "$scratch" "$prefix/drive_c/Docs"
echo "  (the plugin leaves the History key, the Zoom value and viewer.ini)"
plugin_state
echo "  (the browsers keep their bookmarks and passwords; in the histories only the kept news page and"
echo "   the bookmarked recipes are left; of the cookies only the kept bank's; the caches are empty)"
files "$chrome" "$firefox" "$firefox_cache"
histories
seeder list
head_of "${index_dats[@]}"
echo
echo "== The saved report (C:\\report.txt)"
tr -d '\r' < "$prefix/drive_c/report.txt"
sandbox --stop
