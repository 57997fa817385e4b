#!/usr/bin/env bash
# Puts the sources of LevelDB and of snappy, its compressor, into third_party/leveldb/
# (git ignores it): Debian 12's source tarballs of the pinned versions, checked against
# their SHA-256 and unpacked as they came. They build the tests' judge of the LevelDB
# databases Sweepora writes (cmake/LevelDbJudge.cmake), never the product. Does nothing
# when the folder already holds the files its stamp vouches for.
# LEVELDB_ORIG_TARBALL=FILE and SNAPPY_ORIG_TARBALL=FILE use tarballs already at hand.
set -euo pipefail

leveldb_version=1.23
leveldb_url="http://deb.debian.org/debian/pool/main/l/leveldb/leveldb_${leveldb_version}.orig.tar.gz"
leveldb_sha256=9a37f8a6174f09bd622bc723b55881dc541cd50747cbd08831c2a82d620f6d76
snappy_version=1.1.9
snappy_url="http://deb.debian.org/debian/pool/main/s/snappy/snappy_${snappy_version}.orig.tar.gz"
snappy_sha256=75c1fbb3d618dd3a0483bff0e26d0a92b495bbe5059c8b4f1c962b478b6e06e7

root=$(cd "$(dirname "$0")/.." && pwd)
dest="$root/third_party/leveldb"
stamp="$dest/stamp"

fail() { echo "scripts/leveldb.sh: $*" >&2; exit 1; }

# The stamp names both tarballs with their checksums and the checksum of every file
# unpacked, so an edited or half-copied tree is unpacked again rather than built.
current_stamp() {
  echo "leveldb $leveldb_version $leveldb_sha256"
  echo "snappy $snappy_version $snappy_sha256"
  (cd "$dest" && find "leveldb-$leveldb_version" "snappy-$snappy_version" -type f -print0 | LC_ALL=C sort -z |
    xargs -0 sha256sum | sha256sum | cut -d' ' -f1)
}
if [ -f "$stamp" ] && [ "$(current_stamp 2>/dev/null)" = "$(cat "$stamp")" ]; then
  exit 0
fi

for tool in sha256sum tar gzip; do
  command -v "$tool" >/dev/null || fail "'$tool' is missing"
done

mkdir -p "$root/third_party"
work=$(mktemp -d "$root/third_party/.leveldb-work.XXXXXX")
trap 'rm -rf "$work"' EXIT

# fetch NAME URL SHA256 OVERRIDE: the tarball in $work, checked.
fetch() {
  local name=$1 url=$2 sha256=$3 override=$4 variable=$5
  local tarball="$work/$(basename "$url")"
  if [ -n "$override" ]; then
    cp "$override" "$tarball" || fail "cannot read $variable=$override"
  else
    echo "Fetching $name: $url"
    if command -v curl >/dev/null; then
      curl -fsSL --retry 3 -o "$tarball" "$url" || fail "download of $url failed (curl exit $?); check the network, or set $variable to a copy of the file"
    elif command -v wget >/dev/null; then
      wget -q -O "$tarball" "$url" || fail "download of $url failed (wget exit $?); check the network, or set $variable to a copy of the file"
    else
      fail "neither curl nor wget is installed: install curl (scripts/setup.sh does)"
    fi
  fi
  local got
  got=$(sha256sum "$tarball" | cut -d' ' -f1)
  [ "$got" = "$sha256" ] || fail "checksum mismatch for $(basename "$tarball"): expected $sha256, got $got; the file was not used"
  tar -xzf "$tarball" -C "$work/tree" || fail "cannot unpack $(basename "$tarball")"
}

mkdir "$work/tree"
fetch "LevelDB $leveldb_version" "$leveldb_url" "$leveldb_sha256" "${LEVELDB_ORIG_TARBALL:-}" LEVELDB_ORIG_TARBALL
fetch "snappy $snappy_version" "$snappy_url" "$snappy_sha256" "${SNAPPY_ORIG_TARBALL:-}" SNAPPY_ORIG_TARBALL
[ -f "$work/tree/leveldb-$leveldb_version/util/env_windows.cc" ] || fail "the tarball has no leveldb-$leveldb_version/util/env_windows.cc"
[ -f "$work/tree/snappy-$snappy_version/snappy.cc" ] || fail "the tarball has no snappy-$snappy_version/snappy.cc"

# Replaced whole and stamped last, so an interrupted run is redone next time.
rm -rf "$dest"
mv "$work/tree" "$dest"
current_stamp >"$dest/stamp.new"
mv "$dest/stamp.new" "$stamp"
echo "LevelDB $leveldb_version and snappy $snappy_version sources ready in third_party/leveldb"
