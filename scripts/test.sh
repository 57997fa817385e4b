#!/usr/bin/env bash
# Builds both architectures and runs every test under Wine in a fresh sandbox.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" x86_64
# There is no 32-bit Wine here: the i686 build is compiled, not run.
"$root/scripts/build.sh" i686 -DSWEEPORA_BUILD_TESTS=OFF
cd "$root/build"
ctest --output-on-failure
