#!/usr/bin/env bash
# Real Chromium before and after "Clear Cookies": a profile made by headless chromium (three
# sites with service workers, keep-bank's updated so that its version id is secret-clinic's
# registration id) is cleaned as Chrome's Default profile with other-site and keep-bank on
# "Cookies to Keep", then opened again by chromium with no server: both kept pages must load
# from their workers on every visit, Chromium must keep its worker database, and nothing of
# secret-clinic may be left in it, in its script cache or in any file of the profile.
# Needs chromium and python3-plyvel; exits 77 without them. Quiet when it passes.
#   real-chromium.sh SANDBOX_DIR SWEEPORA_CLI_EXE
set -euo pipefail
mkdir -p "$1"
sandbox=$(cd "$1" && pwd)
cli=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
ws="$root/tools/wine-sandbox"
tool="$root/tools/browser-fixtures/chromium-sw.py"
. "$root/tests/support/sandbox.sh"

command -v chromium >/dev/null || { echo "skipped: real Chromium: chromium is not installed"; exit 77; }
# Debian's plyvel is for Debian's python, which a python3 earlier on the path may not be.
python=""
for candidate in /usr/bin/python3 python3; do
  if "$candidate" -c 'import plyvel' 2>/dev/null; then python=$candidate; break; fi
done
[ -n "$python" ] || { echo "skipped: real Chromium: python3-plyvel is not installed"; exit 77; }

work="$sandbox/real-chromium"
prefix="$sandbox/prefix"
program="$prefix/drive_c/real-chromium"
failures=0 touched_settings=0 chrome="" started=0

wine_quiet() { "$ws" "$sandbox" --wine "$@" >/dev/null 2>&1; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
cleanup() {
  if [ -n "$chrome" ]; then rm -rf "$chrome"; rmdir "$(dirname "$chrome")" 2>/dev/null || true; fi
  rm -rf "$program"
  # The settings key is scratch for every test of the sandbox.
  if [ "$touched_settings" -eq 1 ]; then wine_quiet reg delete 'HKCU\Software\Sweepora' /f || true; fi
  [ "$started" -eq 1 ] && "$ws" "$sandbox" --stop
  [ "$failures" -eq 0 ] && rm -rf "$work"
  return 0
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# Alone, outside CTest's sandbox fixture, the prefix is made here and stopped at the end.
if [ ! -d "$prefix/drive_c" ]; then
  "$ws" "$sandbox" --init >/dev/null 2>&1
  started=1
fi
rm -rf "$work" "$program"
mkdir -p "$work" "$program"
profile="$work/profile"
worker="$profile/Default/Service Worker"

# Records of the worker database and the script cache, one a line.
records() { [ -d "$worker/Database" ] && "$python" "$tool" dump "$worker/Database" 2>&1 || echo "(no database)"; }
scripts() { [ -d "$worker/ScriptCache" ] && "$python" "$tool" scripts "$worker/ScriptCache" 2>&1 || echo "(no script cache)"; }
has() { grep -qF -- "$2" <<<"$1"; }

if ! timeout 60 "$python" "$tool" make "$profile" >"$work/make.log" 2>&1; then
  cat "$work/make.log"
  fail "chromium did not make the profile"
  exit 1
fi

# Each site's registration, version and script resource as Chromium gave them.
before=$(records)
declare -A registration version resource
for site in other-site keep-bank secret-clinic; do
  line=$(grep -o "^REG:http://$site.test/\\\\0[0-9]*  registration [0-9]* version [0-9]*" <<<"$before" || true)
  registration[$site]=$(awk '{print $3}' <<<"$line")
  version[$site]=$(awk '{print $5}' <<<"$line")
  resource[$site]=$(grep -o "^RES:${version[$site]}\\\\0[0-9]*" <<<"$before" | sed 's/.*\\0//' || true)
  if [ -z "${registration[$site]}" ] || [ -z "${resource[$site]}" ]; then
    echo "$before"
    fail "the made profile has no worker of $site"
    exit 1
  fi
done
# What chromium-sw.py puts in secret-clinic's page and its localStorage.
marker="marker-secret-clinic-5e1f0c"

# Chrome's Default profile in the sandbox, and the program in a folder of its own, which is
# then its data folder, with the two kept sites.
chrome="$prefix/drive_c/users/$(prefix_user "$prefix")/AppData/Local/Google/Chrome"
rm -rf "$chrome"
mkdir -p "$chrome/User Data"
cp -a "$profile/Default" "$chrome/User Data/Default"
cp "$cli" "$program/sweepora-cli.exe"
printf 'other-site.test\r\nkeep-bank.test\r\n' >"$program/SafeCookie.dat"
erase_settings NetCookies >"$program/settings.reg"
touched_settings=1
wine_quiet reg delete 'HKCU\Software\Sweepora' /f || true
wine_quiet reg import 'C:\real-chromium\settings.reg' || { fail "the settings could not be imported"; exit 1; }

status=0
timeout 90 "$ws" "$sandbox" --wine 'C:\real-chromium\sweepora-cli.exe' clean >"$work/clean.log" 2>&1 || status=$?
[ "$status" -eq 0 ] || fail "sweepora-cli clean ended with status $status"
rm -rf "$profile/Default"
cp -a "$chrome/User Data/Default" "$profile/Default"

# What the cleaner left, and what Chromium keeps of it after opening the kept sites twice.
check_profile() { # check_profile WHEN
  local now scripts_now
  now=$(records)
  scripts_now=$(scripts)
  [ -d "$worker/Database" ] || fail "$1: the service worker database is gone"
  local site
  for site in other-site keep-bank; do
    has "$now" "REG:http://$site.test/" || fail "$1: $site's registration is gone"
    has "$now" "RES:${version[$site]}\\0${resource[$site]}  " || fail "$1: $site's script record is gone"
    grep -qx "[0-9a-f]*_0  resource ${resource[$site]}" <<<"$scripts_now" ||
      fail "$1: $site's script (resource ${resource[$site]}) is gone from the script cache"
  done
  site=secret-clinic
  has "$now" "REG:http://$site.test/" && fail "$1: $site's registration is left"
  has "$now" "REGID_TO_ORIGIN:${registration[$site]}  " && fail "$1: $site's REGID_TO_ORIGIN is left"
  has "$now" "RES:${version[$site]}\\0" && fail "$1: $site's script record RES:${version[$site]} is left"
  grep -qx "[0-9a-f]*_0  resource ${resource[$site]}" <<<"$scripts_now" &&
    fail "$1: $site's script (resource ${resource[$site]}) is left in the script cache"
  local left
  left=$(grep -rlaF -- "$marker" "$profile" || true)
  [ -z "$left" ] || fail "$1: secret-clinic's marker is left in: ${left//$'\n'/, }"
  if [ "$failures" -gt 0 ]; then
    echo "  worker database $1:"; sed 's/^/    /' <<<"$now"
    echo "  script cache $1:"; sed 's/^/    /' <<<"$scripts_now"
  fi
}

check_profile "after the clean"
status=0
timeout 60 "$python" "$tool" visit "$profile" keep-bank.test other-site.test >"$work/visit.log" 2>&1 || status=$?
[ "$status" -eq 0 ] || fail "the kept sites did not load from their workers offline"
check_profile "after chromium opened the kept sites"

if [ "$failures" -gt 0 ]; then
  echo "  before the clean:"; sed 's/^/    /' <<<"$before"
  echo "  sweepora-cli clean:"; sed 's/^/    /' "$work/clean.log"
  echo "  chromium, server down:"; sed 's/^/    /' "$work/visit.log"
  echo "  (files kept in $work)"
  exit 1
fi
