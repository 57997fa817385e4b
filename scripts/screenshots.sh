#!/usr/bin/env bash
# Takes the README's screenshots under Xvfb in a throwaway sandbox and puts them in docs/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" x86_64 >/dev/null
sandbox="$root/build/shots-sandbox"
"$root/tools/wine-sandbox" "$sandbox" --init
mkdir -p "$sandbox/prefix/drive_c/shots" "$root/docs"
"$root/tools/wine-sandbox" "$sandbox" "$root/build/bin/sweepora-shots.exe" 'C:\shots' | tr -d '\r'
"$root/tools/wine-sandbox" "$sandbox" --stop
cp "$sandbox/prefix/drive_c/shots/"*.png "$root/docs/"
ls -l "$root/docs/"*.png
