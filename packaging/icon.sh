#!/usr/bin/env bash
# Draws the program's icon into BUILD_DIR/packaging/sweepora.ico with the build's own
# sweepora-icon.exe, under Wine in a throwaway prefix, unless it is newer than the tool:
#   icon.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?Usage: icon.sh BUILD_DIR}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
tool=$build/packaging/sweepora-icon.exe
icon=$build/packaging/sweepora.ico
[ -f "$tool" ] || { echo "icon.sh: $tool missing: build first" >&2; exit 1; }
if [ ! -s "$icon" ] || [ "$tool" -nt "$icon" ]; then
  sandbox=$build/packaging/sandbox
  rm -f "$icon"
  status=0
  "$root/tools/wine-sandbox" "$sandbox" "$tool" sweepora.ico || status=$?
  "$root/tools/wine-sandbox" "$sandbox" --stop
  rm -rf "$sandbox"
  [ $status -eq 0 ] && [ -s "$icon" ] || { echo "icon.sh: the icon could not be drawn" >&2; exit 1; }
fi
echo "$icon"
