#!/usr/bin/env bash
# Starts the window under Wine on the demo sandbox (after `make run` has seeded it).
# It needs a display: run it from a desktop session (DISPLAY set).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
demo="$root/build/demo"
install="$demo/prefix/drive_c/Program Files/Sweepora"
[ -d "$install" ] || { echo "run 'make run' first: it seeds the demo sandbox" >&2; exit 1; }
cp "$root/build/bin/sweepora.exe" "$install/"
mkdir -p "$install/help" && cp "$root/build/bin/help/Help.htm" "$install/help/"
"$root/tools/wine-sandbox" "$demo" --wine 'C:\Program Files\Sweepora\sweepora.exe'
