#!/usr/bin/env bash
# Builds the x86_64 and i686 programs and packs a portable zip and an MSI package for each
# into dist/:
#   dist.sh            build, then pack
#   dist.sh --no-build pack what build/ and build-i686/ already hold
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" != --no-build ]; then
  "$root/scripts/setup.sh"
  "$root/scripts/build.sh" x86_64 >/dev/null
  "$root/scripts/build.sh" i686 -DSWEEPORA_BUILD_TESTS=OFF >/dev/null
fi
version=$("$root/scripts/version.sh")
mkdir -p "$root/dist"
for arch in x86_64 i686; do
  bin="$root/build/bin"
  [ "$arch" = x86_64 ] || bin="$root/build-$arch/bin"
  name="sweepora-$version-$arch"
  stage="$root/dist/$name"
  rm -rf "$stage" "$stage.zip"
  mkdir -p "$stage/plugins" "$stage/definitions" "$stage/help" "$stage/policy/en-US"
  cp "$bin/sweepora.exe" "$bin/sweepora-cli.exe" "$bin/iea.exe" "$stage/"
  cp "$root/plugins/"*.plg "$stage/plugins/"
  # Our own definitions, when there are any; administrators add theirs there.
  for definitions in "$root/definitions/"*.ini; do
    if [ -f "$definitions" ]; then cp "$definitions" "$stage/definitions/"; fi
  done
  cp "$root/policy/sweepora.admx" "$stage/policy/"
  cp "$root/policy/en-US/sweepora.adml" "$stage/policy/en-US/"
  cp "$root/help/Help.htm" "$stage/help/"
  cp "$root/README.md" "$root/LICENSE" "$stage/"
  # The program writes its own manifest beside itself at start; none is shipped.
  (cd "$root/dist" && zip -qr "$name.zip" "$name")
  rm -rf "$stage"
  echo "$root/dist/$name.zip"
done
# The MSIs carry the program's icon, drawn once by the x86_64 build under Wine.
icon=$("$root/packaging/icon.sh" "$root/build")
"$root/packaging/msi.sh" x64 "$root/build/bin" "$icon" "$root/dist/sweepora-$version-x64.msi"
"$root/packaging/msi.sh" x86 "$root/build-i686/bin" "$icon" "$root/dist/sweepora-$version-x86.msi"
echo "$root/dist/sweepora-$version-x64.msi"
echo "$root/dist/sweepora-$version-x86.msi"
