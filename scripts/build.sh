#!/usr/bin/env bash
# Configures and builds one architecture: build.sh x86_64|i686 [extra cmake arguments]
set -euo pipefail
arch=${1:-x86_64}; shift || true
root=$(cd "$(dirname "$0")/.." && pwd)
dir="$root/build"
[ "$arch" = x86_64 ] || dir="$root/build-$arch"
# CMake needs SQLite's amalgamation, which a fresh clone lacks; a no-op once it is there.
"$root/scripts/sqlite.sh"
# The tests judge our LevelDB files with LevelDB's own library, built from its sources.
"$root/scripts/leveldb.sh"
cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
