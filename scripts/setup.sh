#!/usr/bin/env bash
# Installs what the build and the tests need on Debian, when it is missing (wine brings
# the wine and wineserver commands; wine64 alone has neither; Xvfb gives windows a screen;
# wine32:i386 runs the i686 tests and needs the i386 architecture added first; wixl builds
# the MSI packages; ntfs-3g and e2fsprogs make the real volumes of the physical erase check;
# tcl, gcc and libc6-dev make SQLite's amalgamation from its source, which it then obtains;
# chromium, firefox-esr and python3-plyvel make real browser profiles and open them again
# after a clean; last it fetches the LevelDB and snappy sources the tests' judge is built from).
# As root it runs apt-get; otherwise it prints the exact install line and stops.
set -euo pipefail
packages=(cmake make g++-mingw-w64-x86-64 g++-mingw-w64-i686 googletest nlohmann-json3-dev wine64 wine xvfb xdotool zip unzip wixl wine32:i386 libxml2-utils ntfs-3g e2fsprogs tcl gcc libc6-dev curl xz-utils sqlite3 chromium firefox-esr python3-plyvel)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -ne 0 ]; then
  need_i386=0
  dpkg --print-foreign-architectures | grep -qx i386 || need_i386=1
  line="apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends ${missing[*]}"
  [ $need_i386 -eq 1 ] && line="dpkg --add-architecture i386 && $line"
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]}" >&2
    echo "Install them as root with:" >&2
    echo "  $line" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  [ $need_i386 -eq 1 ] && dpkg --add-architecture i386
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
"$(dirname "$0")/sqlite.sh"
"$(dirname "$0")/leveldb.sh"
