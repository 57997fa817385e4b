#!/usr/bin/env bash
# Packs the zips from the builds at hand and checks that each holds what a user needs:
# the three programs for its architecture, the starter plugins and definitions, the guide,
# README, licence.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/dist.sh" --no-build >/dev/null
version=$("$root/scripts/version.sh")
status=0
for arch in x86_64 i686; do
  name="sweepora-$version-$arch"
  zip="$root/dist/$name.zip"
  listing=$(unzip -Z1 "$zip")
  expected=(sweepora.exe sweepora-cli.exe iea.exe help/Help.htm README.md LICENSE policy/sweepora.admx
    policy/en-US/sweepora.adml)
  for plugin in "$root/plugins/"*.plg; do expected+=("plugins/$(basename "$plugin")"); done
  for definitions in "$root/definitions/"*.ini; do
    if [ -f "$definitions" ]; then expected+=("definitions/$(basename "$definitions")"); fi
  done
  for entry in "${expected[@]}"; do
    grep -qxF "$name/$entry" <<<"$listing" || { echo "$zip: $entry missing"; status=1; }
  done
  if grep -q '\.manifest$' <<<"$listing"; then echo "$zip: a manifest is shipped"; status=1; fi
  # Each program must be built for the zip's architecture.
  # (the PE header's machine field: 8664 for x86_64, 014c for i686)
  machine=$([ "$arch" = x86_64 ] && echo 8664 || echo 014c)
  for exe in sweepora.exe sweepora-cli.exe iea.exe; do
    probe="$root/dist/.probe.exe"
    unzip -p "$zip" "$name/$exe" > "$probe"
    pe=$(od -An -t u4 -j 60 -N 4 "$probe" | tr -d ' ')
    found=$(od -An -t x2 -j $((pe + 4)) -N 2 "$probe" | tr -d ' ')
    [ "$found" = "$machine" ] || { echo "$zip: $exe is not $arch ($found)"; status=1; }
    rm -f "$probe"
  done
  echo "$zip: $(wc -l <<<"$listing") entries"
done
exit $status
