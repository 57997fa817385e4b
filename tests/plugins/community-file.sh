#!/usr/bin/env bash
# The community's definitions file, measured: every entry installed in a prefix of its own
# and previewed; at most one key in a hundred may be refused. The file is read where it
# lies and copied into the throwaway prefix only.
#   community-file.sh SANDBOX PLUGINS_TESTS_EXE COMMUNITY_FILE
set -euo pipefail
sandbox=$1 tests=$2 file=$3
here=$(cd "$(dirname "$0")" && pwd)
wine_sandbox="$here/../../tools/wine-sandbox"
if [ ! -f "$file" ]; then
  echo "skipped: no community definitions file at $file"
  exit 0
fi
mkdir -p "$sandbox"
box="$(cd "$sandbox" && pwd)/community"
trap '"$wine_sandbox" "$box" --stop' EXIT
"$wine_sandbox" "$box" --init
cp "$file" "$box/prefix/drive_c/community.ini"
SWEEPORA_COMMUNITY_FILE='C:\community.ini' "$wine_sandbox" "$box" "$tests" --gtest_filter='CommunityFile.*'
