#!/usr/bin/env bash
# Builds both architectures and runs every test under Wine in a fresh sandbox; the i686
# engine tests too, where Wine's 32-bit support is installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" x86_64
if dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
  "$root/scripts/build.sh" i686 -DSWEEPORA_BUILD_TESTS=ON
  (cd "$root/build-i686" && ctest --output-on-failure -R 'sandbox|engine_tests|storage_tests')
else
  echo "No 32-bit Wine (package wine32:i386): the i686 build is compiled, not run."
  "$root/scripts/build.sh" i686 -DSWEEPORA_BUILD_TESTS=OFF
fi
cd "$root/build"
ctest --output-on-failure
