#!/usr/bin/env bash
# Builds both architectures and runs every test under Wine, each in a fresh sandbox: the
# i686 tests without windows under 32-bit Wine, then every x86_64 test. Non-zero when any
# test of either fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" x86_64
"$root/scripts/build.sh" i686 -DSWEEPORA_BUILD_TESTS=ON
failed=()
if "$root/tools/wine-sandbox" "$root/build-i686/sandbox" --can-run-32; then
  echo "== i686 tests (32-bit Wine)"
  (cd "$root/build-i686" && ctest --output-on-failure -LE window) || failed+=(i686)
else
  # Built all the same, so that a 32-bit fault in the code still fails the build.
  echo "== i686 tests skipped: no 32-bit Wine here, or a kernel that cannot start 32-bit programs"
fi
echo "== x86_64 tests"
(cd "$root/build" && ctest --output-on-failure) || failed+=(x86_64)
if [ ${#failed[@]} -ne 0 ]; then
  echo "Failed: the ${failed[*]} tests" >&2
  exit 1
fi
