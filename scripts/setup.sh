#!/usr/bin/env bash
# Installs what the build and the tests need on Debian, when it is missing (wine brings
# the wine and wineserver commands; wine64 alone has neither; Xvfb gives windows a screen).
# As root it runs apt-get; otherwise it prints the exact install line and stops.
set -euo pipefail
packages=(cmake make g++-mingw-w64-x86-64 g++-mingw-w64-i686 googletest wine64 wine xvfb xdotool zip unzip)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
line="apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Install them as root with:" >&2
  echo "  $line" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
