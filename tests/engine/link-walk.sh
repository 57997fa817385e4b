#!/usr/bin/env bash
# A folder walk that meets links made on the host side, the only way to make them under
# Wine: a linked folder, a hard link and a symbolic link to files outside the walk, and a
# link to the Windows folder for a plugin pattern. Nothing outside the walk may change.
#   link-walk.sh SANDBOX ENGINE_TESTS.exe
set -euo pipefail
sandbox=$1 tests=$2
here=$(cd "$(dirname "$0")" && pwd)
base="$sandbox/prefix/drive_c/link-walk"
rm -rf "$base"
mkdir -p "$base/walk" "$base/target" "$base/docs"
printf precious > "$base/target/kept.txt"
printf 'thesis, chapter one' > "$base/docs/thesis.doc"
printf gone > "$base/walk/gone.txt"
ln -s ../target "$base/walk/link"
ln "$base/docs/thesis.doc" "$base/walk/hard.doc"
ln -s ../docs/thesis.doc "$base/walk/soft.doc"
ln -s ../windows "$base/winlink"

out=$(SWEEPORA_LINK_WALK='C:\link-walk\walk' "$here/../../tools/wine-sandbox" "$sandbox" "$tests" \
        --gtest_filter='*LinksAreNeverWrittenThrough' 2>&1) || { echo "$out"; exit 1; }
echo "$out"
grep -q '\[       OK \] EradicationFixture.LinksAreNeverWrittenThrough' <<<"$out"
[ "$(cat "$base/target/kept.txt")" = precious ] || { echo "the linked folder's target was touched"; exit 1; }
[ "$(cat "$base/docs/thesis.doc")" = 'thesis, chapter one' ] || { echo "the linked file was touched"; exit 1; }
[ -L "$base/walk/soft.doc" ] || { echo "the symbolic link is gone"; exit 1; }
rm -rf "$base"
