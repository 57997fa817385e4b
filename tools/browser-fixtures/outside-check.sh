#!/usr/bin/env bash
# How much of a forgotten site a clean leaves in real browser profiles, seen from outside.
# Headless chromium and firefox-esr visit three sites that leave everything a user's visits
# leave (outside.py); both profiles go into a fresh Wine sandbox as Chrome's Default profile
# and as a Firefox profile of profiles.ini; every browser box is ticked, other-site.test and
# keep-bank.test are on "Cookies to Keep", and sweepora-cli cleans. Prints, per browser, the
# files holding secret-clinic before and after (and lists those after), whether the kept
# sites' data, the bookmark and the password came through unchanged, then opens the cleaned
# Chromium profile offline. Needs chromium, firefox-esr, python3-plyvel, sqlite3.
#   outside-check.sh WORK_DIR SWEEPORA_CLI_EXE
# Exits 1 when something of secret-clinic is left or a kept thing changed.
set -euo pipefail
[ $# -eq 2 ] || { sed -n '2,11p' "$0"; exit 2; }
mkdir -p "$1"
work=$(cd "$1" && pwd)
cli=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
ws="$root/tools/wine-sandbox"
py=/usr/bin/python3
tool="$here/outside.py"
. "$root/tests/support/sandbox.sh"
for need in chromium firefox-esr sqlite3; do
  command -v "$need" >/dev/null || { echo "$need is not installed"; exit 77; }
done
"$py" -c 'import plyvel' 2>/dev/null || { echo "python3-plyvel is not installed"; exit 77; }

sandbox="$work/sandbox"
started=0
cleanup() { [ "$started" -eq 1 ] && "$ws" "$sandbox" --stop >/dev/null 2>&1; return 0; }
trap cleanup EXIT
trap 'exit 1' INT TERM

rm -rf "$work"/{made,sandbox,after,logs}
mkdir -p "$work"/{made,logs} "$work/made/downloads-chromium" "$work/made/downloads-firefox"
stamp() { date +%s.%N; }
took() { printf '%.1f s' "$(echo "$(stamp) - $1" | bc)"; }

echo "== making the profiles"
t=$(stamp)
timeout 120 "$py" "$tool" chromium "$work/made/chromium" "$work/made/downloads-chromium" >"$work/logs/chromium.log" 2>&1 ||
  { cat "$work/logs/chromium.log"; echo "chromium did not make its profile"; exit 1; }
echo "chromium: $(took "$t"); $(grep -c 'form sent, download saved' "$work/logs/chromium.log") sites visited; $(grep '^Web Data' "$work/logs/chromium.log")"
t=$(stamp)
timeout 180 "$py" "$tool" firefox "$work/made/firefox" "$work/made/downloads-firefox" >"$work/logs/firefox.log" 2>&1 ||
  { cat "$work/logs/firefox.log"; echo "firefox did not make its profile"; exit 1; }
echo "firefox: $(took "$t"); $(grep -c 'form sent, download saved' "$work/logs/firefox.log") sites visited; $(grep -E '^formhistory|^bookmark' "$work/logs/firefox.log" | tr '\n' ' ')"

echo "== the sandbox"
t=$(stamp)
"$ws" "$sandbox" --init >/dev/null 2>&1
started=1
prefix="$sandbox/prefix"
home="$prefix/drive_c/users/$(prefix_user "$prefix")"
chrome="$home/AppData/Local/Google/Chrome/User Data"
mkdir -p "$(dirname "$chrome")"
cp -a "$work/made/chromium" "$chrome"
find "$chrome" -maxdepth 1 -name 'Singleton*' -exec rm -f {} +
rm -rf "$chrome/Crash Reports"
fx="$home/AppData/Roaming/Mozilla/Firefox"
fxprofile="$fx/Profiles/outside.default-release"
fxlocal="$home/AppData/Local/Mozilla/Firefox/Profiles/outside.default-release"
mkdir -p "$fx/Profiles" "$fxlocal"
cp -a "$work/made/firefox" "$fxprofile"
# On Windows the caches live in Local AppData; the fixture's own prefs are no user's.
for cache in cache2 startupCache; do
  [ -d "$fxprofile/$cache" ] && mv "$fxprofile/$cache" "$fxlocal/$cache"
done
rm -f "$fxprofile/user.js" "$fxprofile/lock" "$fxprofile/.parentlock"
sed -i '/dom.securecontext.allowlist/d' "$fxprofile/prefs.js"
printf '[Profile0]\r\nName=default-release\r\nIsRelative=1\r\nPath=Profiles/outside.default-release\r\nDefault=1\r\n\r\n[General]\r\nStartWithLastProfile=1\r\nVersion=2\r\n' >"$fx/profiles.ini"
mkdir -p "$home/Downloads"
cp "$work/made/downloads-chromium"/* "$work/made/downloads-firefox"/* "$home/Downloads/" 2>/dev/null || true

program="$prefix/drive_c/outside"
mkdir -p "$program"
cp "$cli" "$program/sweepora-cli.exe"
printf 'other-site.test\r\nkeep-bank.test\r\n' >"$program/SafeCookie.dat"
# Every browser box: history, cookies, cache, typed addresses, forms.
erase_settings NetHistory NetCookies IETempFiles NetVisitedUrls NetTypedUrls IEAutoComplete >"$program/settings.reg"
"$ws" "$sandbox" --wine reg import 'C:\outside\settings.reg' >/dev/null 2>&1
echo "sandbox ready: $(took "$t")"

places=(chromium "$chrome" firefox "$fxprofile" firefox-local "$fxlocal")
count() { "$py" "$tool" holding "$2" | tee "$work/logs/holding-$1-$3.txt" | wc -l; }
declare -A before
for ((i = 0; i < ${#places[@]}; i += 2)); do before[${places[i]}]=$(count "${places[i]}" "${places[i+1]}" before); done
"$py" "$tool" kept-chromium "$chrome" >"$work/logs/kept-chromium-before.txt" 2>&1
"$py" "$tool" kept-firefox "$fxprofile" >"$work/logs/kept-firefox-before.txt" 2>&1

echo "== sweepora-cli clean"
t=$(stamp)
status=0
timeout 300 "$ws" "$sandbox" --wine 'C:\outside\sweepora-cli.exe' clean >"$work/logs/clean.log" 2>&1 || status=$?
echo "status $status, $(took "$t"); its lines for the browsers:"
grep -aiE 'chrome|firefox' "$work/logs/clean.log" | sed 's/^/  /' | cut -c1-200 || true

failures=0
echo "== files holding secret-clinic (ASCII or UTF-16LE, any case)"
for ((i = 0; i < ${#places[@]}; i += 2)); do
  name=${places[i]}
  after=$(count "$name" "${places[i+1]}" after)
  echo "$name: ${before[$name]} before, $after after"
  if [ "$after" -gt 0 ]; then
    failures=$((failures + 1))
    echo "      size  box            file"
    sed 's/^/  /' "$work/logs/holding-$name-after.txt"
  fi
done
echo "downloaded files (stay on purpose): $(ls "$home/Downloads" | tr '\n' ' ')"

echo "== kept data"
"$py" "$tool" kept-chromium "$chrome" >"$work/logs/kept-chromium-after.txt" 2>&1
"$py" "$tool" kept-firefox "$fxprofile" >"$work/logs/kept-firefox-after.txt" 2>&1
for browser in chromium firefox; do
  while IFS= read -r line; do
    what=$(cut -d' ' -f1-3 <<<"$line" | cut -c1-40)
    if grep -qxF -- "$line" "$work/logs/kept-$browser-after.txt"; then
      echo "  $browser: same      $what"
    else
      echo "  $browser: CHANGED   $what"
      failures=$((failures + 1))
    fi
  done <"$work/logs/kept-$browser-before.txt"
done

echo "== chromium opens the cleaned profile offline"
mkdir -p "$work/after"
cp -a "$chrome" "$work/after/chromium"
status=0
timeout 90 "$py" "$root/tools/browser-fixtures/chromium-sw.py" visit "$work/after/chromium" keep-bank.test other-site.test \
  >"$work/logs/visit.log" 2>&1 || status=$?
sed 's/^/  /' "$work/logs/visit.log"
[ "$status" -eq 0 ] || { echo "  the kept sites did not load from their workers"; failures=$((failures + 1)); }
echo "  files holding secret-clinic after chromium ran:"
"$py" "$tool" holding "$work/after/chromium" | sed 's/^/  /'

echo "== firefox opens the cleaned profile offline"
cp -a "$fxprofile" "$work/after/firefox"
status=0
timeout 120 "$py" "$tool" visit-firefox "$work/after/firefox" keep-bank.test other-site.test \
  >"$work/logs/visit-firefox.log" 2>&1 || status=$?
sed 's/^/  /' "$work/logs/visit-firefox.log"
[ "$status" -eq 0 ] || { echo "  the kept sites did not load from their workers"; failures=$((failures + 1)); }
echo "  files holding secret-clinic after firefox ran:"
"$py" "$tool" holding "$work/after/firefox" | sed 's/^/  /'
echo "(logs in $work/logs)"
[ "$failures" -eq 0 ]
