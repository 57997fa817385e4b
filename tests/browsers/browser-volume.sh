#!/usr/bin/env bash
# A Chromium profile on a real NTFS volume, seen by Wine as drive D: and made the user's
# Local AppData, cleaned by the console program with "Clear Browser History", "Clear
# Cookies" and "Clear AutoComplete Forms Data" ticked, one overwrite pass, and the kept
# site on "Cookies to Keep". Then the raw image is searched: no copy of the forgotten site
# may remain anywhere on the volume, in ASCII or UTF-16LE, not in a database, a journal or
# a freed cluster; the kept site must still be in the live databases.
# Needs FUSE and ntfs-3g; exits 77 where it cannot mount.
#   browser-volume.sh SANDBOX_DIR SWEEPORA_CLI_EXE
set -euo pipefail
mkdir -p "$1"
sandbox=$(cd "$1" && pwd)
cli=$2
here=$(cd "$(dirname "$0")" && pwd)
ws="$here/../../tools/wine-sandbox"
. "$here/../support/sandbox.sh"
box="$sandbox/browser-volume"
work="$box/volume"
mnt="$work/mnt"
image="$work/ntfs.img"
drive="$box/prefix/dosdevices/d:"
forgotten="forgotten-$(od -An -N6 -tx1 /dev/urandom | tr -d ' \n').example"
kept="kept-$(od -An -N6 -tx1 /dev/urandom | tr -d ' \n').example"
fuse_pid="" failures=0

[ -e /dev/fuse ] || { echo "skipped: no /dev/fuse"; exit 77; }
command -v mkntfs >/dev/null && command -v ntfs-3g >/dev/null ||
  { echo "skipped: no mkntfs or ntfs-3g (package ntfs-3g)"; exit 77; }
command -v sqlite3 >/dev/null || { echo "skipped: no sqlite3 shell (package sqlite3)"; exit 77; }

run_wine() { "$ws" "$box" --wine "$@"; }

unmount() {
  rm -f "$drive"
  if mountpoint -q "$mnt" 2>/dev/null; then
    sync
    for _ in 1 2 3 4 5; do
      { fusermount -u "$mnt" 2>/dev/null || umount "$mnt" 2>/dev/null; } && break
      sleep 1
    done
  fi
  # The image is complete only once ntfs-3g has written everything and exited.
  if [ -n "$fuse_pid" ]; then wait "$fuse_pid" 2>/dev/null || true; fi
  fuse_pid=""
  sync
}

cleanup() {
  unmount
  [ -d "$box/prefix" ] && "$ws" "$box" --stop >/dev/null 2>&1 || true
  if mountpoint -q "$mnt" 2>/dev/null; then echo "could not unmount $mnt" >&2; else rm -rf "$box"; fi
}
trap cleanup EXIT
trap 'exit 1' INT TERM

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

count() { # count TEXT FILE [utf16]: occurrences
  if [ "${3:-}" = utf16 ]; then
    local pattern
    pattern=$(printf '%s' "$1" | od -An -v -tx1 | tr -d ' \n' | sed 's/\(..\)/\\x\1\\x00/g')
    { LC_ALL=C grep -a -o -P -- "$pattern" "$2" || true; } | wc -l
  else
    { LC_ALL=C grep -a -o -F -- "$1" "$2" || true; } | wc -l
  fi
}

# The schemas the C++ tests use, as Chromium lays its databases out.
schema() { cat "$here/../support/data/$1.sql"; }

# ---------------------------------------------------------------------------------------
# The volume, and the profile on it as Chrome leaves it: rollback journals in TRUNCATE mode
# (an empty -journal beside each database), the forgotten site in many rows, on many pages
# and overflow pages, the kept site beside it.

unmount
rm -rf "$box"
mkdir -p "$mnt"
truncate -s 48M "$image"
mkntfs -q -F -f "$image" >/dev/null 2>&1
ntfs-3g -o no_detach "$image" "$mnt" </dev/null >"$work/mount.log" 2>&1 &
fuse_pid=$!
for _ in $(seq 50); do
  mountpoint -q "$mnt" && break
  kill -0 "$fuse_pid" 2>/dev/null || break
  sleep 0.1
done
mountpoint -q "$mnt" || { echo "skipped: ntfs-3g could not mount: $(tail -n 3 "$work/mount.log" | tr '\n' ' ')"; exit 77; }

data="$mnt/Local/Google/Chrome/User Data"
profile="$data/Default"
mkdir -p "$profile/Network"
printf '{"profile":{"name":"Person 1"}}' > "$profile/Preferences"
printf '{"profile":{"info_cache":{"Default":{"name":"Person 1"}}}}' > "$data/Local State"

sqlite3 -bail "$profile/History" >/dev/null <<SQL
PRAGMA journal_mode=TRUNCATE;
$(schema chromium-history)
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000)
INSERT INTO urls(id, url, title, visit_count, typed_count, last_visit_time, hidden)
SELECT i, CASE i % 4 WHEN 0 THEN 'https://$kept/' ELSE 'https://$forgotten/' END || 'page-' || i,
       CASE i % 50 WHEN 1 THEN 'Reading $forgotten ' || printf('%.4000c', 'x') ELSE 'Page ' || i END,
       2, i % 3, 13300000000000000 + i, 0 FROM n;
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 6000)
INSERT INTO visits(id, url, visit_time, from_visit, external_referrer_url, transition, segment_id, visit_duration)
SELECT i, (i - 1) % 3000 + 1, 13300000000000000 + i, 0,
       CASE i % 3 WHEN 0 THEN 'https://$forgotten/from-' || i ELSE '' END, 805306368, 0, 0 FROM n;
UPDATE urls SET visit_count = visit_count + 1 WHERE id % 7 = 0;
SQL

sqlite3 -bail "$profile/Network/Cookies" >/dev/null <<SQL
PRAGMA journal_mode=TRUNCATE;
$(schema chromium-cookies)
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000)
INSERT INTO cookies SELECT 13300000000000000 + i,
       CASE i % 4 WHEN 0 THEN '.$kept' ELSE '.$forgotten' END, '', 'c' || i, '',
       CAST(CASE WHEN i % 4 = 0 THEN 'v10 $kept ' || i WHEN i % 40 = 1 THEN printf('%.3000c', 'v') || '$forgotten'
                 ELSE 'v10 $forgotten ' || i END AS BLOB),
       '/', 13400000000000000, 1, 1, 13300000000000000 + i, 1, 1, 1, 0, 2, 443, 0, 0, 0 FROM n;
SQL

sqlite3 -bail "$profile/Web Data" >/dev/null <<SQL
PRAGMA journal_mode=TRUNCATE;
$(schema chromium-web-data)
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1500)
INSERT INTO autofill(name, value, value_lower, date_created, date_last_used, count)
SELECT 'email', 'user' || i || '@$forgotten', 'user' || i || '@$forgotten', 1700000000 + i, 1700000000 + i, 1 FROM n;
SQL

# The sites' storage as real Chromium wrote it (LevelDB stores, a service worker and its
# caches): 127.0.0.1:8731 goes, localhost stays.
cp -r "$here/data/chromium-profile/." "$profile/"
storage_gone=(LSVALUE_127 SSVALUE_127 FRAMEVAL_127 CACHEVAL_127)
storage_count() { # both encodings of every text the removed site left in its storage
  local n=0 text
  for text in "${storage_gone[@]}"; do n=$((n + $(count "$text" "$image") + $(count "$text" "$image" utf16))); done
  echo "$n"
}

for db in History "Network/Cookies" "Web Data"; do
  [ -f "$profile/$db-journal" ] && [ ! -s "$profile/$db-journal" ] || fail "$db: no empty -journal beside it, as Chrome leaves it"
done
sync
before=$(count "$forgotten" "$image")
echo "  before the clean: the forgotten site is in the image $before times"
[ "$before" -gt 0 ] || fail "the forgotten site is not in the image before the clean, so the search proves nothing"
storage_before=$(storage_count)
echo "  before the clean: the removed site's storage texts are in the image $storage_before times"
[ "$storage_before" -gt 0 ] || fail "the removed site's storage is not in the image before the clean"

# ---------------------------------------------------------------------------------------
# The prefix: Local AppData on D:, the program in a folder of its own with its safe list,
# one overwrite pass, the three boxes ticked and nothing else.

"$ws" "$box" --init >/dev/null
ln -sfn "$mnt" "$drive"
for key in "User Shell Folders" "Shell Folders"; do
  run_wine reg add "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\$key" /v "Local AppData" \
    /t REG_SZ /d 'D:\Local' /f >/dev/null 2>&1 || { echo "FAIL: Local AppData could not be moved to D:"; exit 1; }
done
program="$box/prefix/drive_c/browser-prog"
mkdir -p "$program"
cp "$cli" "$program/sweepora-cli.exe"
built=$(cd "$(dirname "$cli")" && pwd)
[ -d "$built/definitions" ] && cp -r "$built/definitions" "$program/"
printf '%s\r\nlocalhost\r\n' "$kept" > "$program/SafeCookie.dat"
reg="$box/prefix/drive_c/browser-volume.reg"
{ erase_settings NetHistory NetCookies IEAutoComplete; printf '"NoOverWrites"="1"\n'; } > "$reg"
run_wine reg import 'C:\browser-volume.reg' >/dev/null 2>&1 || { echo "FAIL: the settings could not be imported"; exit 1; }

status=0
run_wine 'C:\browser-prog\sweepora-cli.exe' clean >"$work/run.log" 2>&1 || status=$?
tr -d '\r' < "$work/run.log" | grep -i -e chrome -e 'not cleaned' | sed 's/^/    /' || true
[ "$status" -eq 0 ] || fail "the clean ended with status $status"
for db in History 'Network\\Cookies' "Web Data"; do
  grep -q "Google Chrome (Person 1) $db.[0-9]* rows removed" "$work/run.log" || fail "no line for $db in the run's log"
done
"$ws" "$box" --stop >/dev/null 2>&1 || true
rm -f "$drive"

kept_rows=$(sqlite3 "$profile/History" "SELECT count(*) FROM urls WHERE url LIKE '%$kept%'")
kept_cookies=$(sqlite3 "$profile/Network/Cookies" "SELECT count(*) FROM cookies WHERE host_key = '.$kept'")
echo "  after the clean: kept site rows: $kept_rows addresses, $kept_cookies cookies"
[ "$kept_cookies" -eq 500 ] || fail "the kept site's cookies are not all there ($kept_cookies of 500)"
[ "$(sqlite3 "$profile/Network/Cookies" "SELECT count(*) FROM cookies WHERE host_key LIKE '%$forgotten%'")" -eq 0 ] ||
  fail "the forgotten site still has cookies"
unmount

ascii=$(count "$forgotten" "$image")
utf16=$(count "$forgotten" "$image" utf16)
echo "  after the clean: the forgotten site is in the image $ascii times in ASCII, $utf16 in UTF-16LE"
[ "$ascii" -eq 0 ] && [ "$utf16" -eq 0 ] || fail "the forgotten site is still on the volume"
[ "$(count "$kept" "$image")" -gt 0 ] || fail "the kept site is not in the image"
storage_after=$(storage_count)
echo "  after the clean: the removed site's storage texts are in the image $storage_after times"
[ "$storage_after" -eq 0 ] || fail "the removed site's storage is still on the volume"
[ "$(count LSVALUE_localhost "$image")" -gt 0 ] || fail "the kept site's local storage is not in the image"
[ "$failures" -eq 0 ] || { echo "$failures checks failed"; exit 1; }
echo "passed"
