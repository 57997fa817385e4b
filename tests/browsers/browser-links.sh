#!/usr/bin/env bash
# Wine 8 makes no links from inside a prefix (no junctions, and symbolic links are a no-op
# that reports success): the host makes them before the browser-profile search meets them.
#   browser-links.sh SANDBOX ENGINE_TESTS.exe
set -euo pipefail
sandbox=$1 tests=$2
here=$(cd "$(dirname "$0")" && pwd)
base="$sandbox/prefix/drive_c/browser-links"
rm -rf "$base"
data="$base/Local/Google/Chrome/User Data"
firefox="$base/Roaming/Mozilla/Firefox"
mkdir -p "$data/Default" "$base/Target" "$firefox/Profiles/real"
ln -s ../../../../Target "$data/Profile 2"
ln -s ../../../../Target "$firefox/Profiles/linked"
printf '[Profile0]\nName=real\nIsRelative=1\nPath=Profiles/real\n[Profile1]\nName=linked\nIsRelative=1\nPath=Profiles/linked\n' >"$firefox/profiles.ini"
status=0
out=$(SWEEPORA_BROWSER_LINKS='C:\browser-links' "$here/../../tools/wine-sandbox" "$sandbox" "$tests" \
        --gtest_filter='*ReachedThroughLinksAreNotProfiles' 2>&1) || status=$?
echo "$out"
rm -rf "$base"
[ "$status" -eq 0 ]
grep -q 'OK \] BrowserFixture.FoldersReachedThroughLinksAreNotProfiles' <<<"$out"
