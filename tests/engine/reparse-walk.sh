#!/usr/bin/env bash
# A folder walk that meets a linked folder: the link is made on the host side, the only
# way to get one Wine reports as a reparse point; the walk must not reach its target.
#   reparse-walk.sh SANDBOX ENGINE_TESTS.exe
set -euo pipefail
sandbox=$1 tests=$2
here=$(cd "$(dirname "$0")" && pwd)
base="$sandbox/prefix/drive_c/reparse-walk"
rm -rf "$base"
mkdir -p "$base/walk" "$base/target"
printf precious > "$base/target/kept.txt"
printf gone > "$base/walk/gone.txt"
ln -s ../target "$base/walk/link"

out=$(SWEEPORA_REPARSE_WALK='C:\reparse-walk\walk' "$here/../../tools/wine-sandbox" "$sandbox" "$tests" \
        --gtest_filter='*LinkedFolderIsNeverFollowed' 2>&1) || { echo "$out"; exit 1; }
echo "$out"
grep -q '\[       OK \] EradicationFixture.LinkedFolderIsNeverFollowed' <<<"$out"
[ "$(cat "$base/target/kept.txt")" = precious ] || { echo "the link's target was touched"; exit 1; }
rm -rf "$base"
