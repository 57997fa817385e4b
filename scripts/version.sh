#!/usr/bin/env bash
# Prints the program's version from project(Sweepora VERSION ...) in CMakeLists.txt, its one
# home; the build hands it to the code and the version resource through a generated header.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^project(Sweepora VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || { echo "version.sh: no project(Sweepora VERSION ...) in $root/CMakeLists.txt" >&2; exit 1; }
echo "$version"
