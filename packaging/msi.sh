#!/usr/bin/env bash
# Builds one MSI package with wixl:
#   msi.sh x64|x86 BIN_DIR ICON OUT.msi [VERSION]
# BIN_DIR holds the three programs of that architecture; the plugins, definitions, guide,
# README and licence come from the repository. VERSION defaults to the one in CMakeLists.txt.
set -euo pipefail
[ $# -ge 4 ] || { echo "Usage: msi.sh x64|x86 BIN_DIR ICON OUT.msi [VERSION]" >&2; exit 2; }
arch=$1 bin=$(cd "$2" && pwd) icon=$(cd "$(dirname "$3")" && pwd)/$(basename "$3") out=$4
root=$(cd "$(dirname "$0")/.." && pwd)
version=${5:-$("$root/scripts/version.sh")}
case $arch in x64) win64=yes ;; x86) win64=no ;; *) echo "msi.sh: unknown architecture $arch" >&2; exit 2 ;; esac
for f in sweepora.exe sweepora-cli.exe iea.exe; do
  [ -f "$bin/$f" ] || { echo "msi.sh: $bin/$f missing" >&2; exit 1; }
done
[ -f "$icon" ] || { echo "msi.sh: $icon missing" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# wixl takes sources relative to the folder of its input, so everything is linked there.
cp "$root/packaging/sweepora.wxs" "$work/"
ln -s "$bin" "$work/bin"
ln -s "$root" "$work/source"
cp "$icon" "$work/sweepora.ico"
# The folders' files are listed afresh each time, so a new plugin needs no edit here.
(cd "$work" && for folder in source/plugins/ source/definitions/ source/help/; do
   if [ -d "$folder" ]; then find "$folder" -type f; fi
 done | LC_ALL=C sort |
  wixl-heat -p source/ --directory-ref INSTALLDIR --component-group Content --var var.SourceDir) \
  > "$work/content.wxs"
mkdir -p "$(dirname "$out")"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")
(cd "$work" && wixl -a "$arch" -o "$out" \
  -D Arch="$arch" -D Win64="$win64" -D Version="$version" \
  -D BinDir=bin -D SourceDir=source -D Icon=sweepora.ico \
  sweepora.wxs content.wxs)
