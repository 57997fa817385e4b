#!/usr/bin/env bash
# Puts SQLite's amalgamation (sqlite3.c, sqlite3.h) into third_party/sqlite/, and its
# command-line shell's source (shell/shell.c, for the benchmark's floor) beside it; git
# ignores both: Debian's source of the pinned version, checked against its SHA-256, made into
# the amalgamation the way Debian's own build does (configure, then `make sqlite3.c`, which
# needs a native C compiler and tclsh). Does nothing when the folder already holds the
# files its stamp vouches for. SQLITE_ORIG_TARBALL=FILE uses a tarball already at hand.
set -euo pipefail

version=3.40.1
url="http://deb.debian.org/debian/pool/main/s/sqlite3/sqlite3_${version}.orig.tar.xz"
sha256=aaa776260ab4dc976db34aa7891819484c8676b5b2783123ebc6301e2ca5d655

root=$(cd "$(dirname "$0")/.." && pwd)
dest="$root/third_party/sqlite"
stamp="$dest/stamp"

fail() { echo "scripts/sqlite.sh: $*" >&2; exit 1; }

# The stamp names the version, the tarball's checksum and the checksums of the files made
# from it, so an edited or half-copied file is made again rather than built.
current_stamp() {
  echo "version $version"
  echo "source $url"
  echo "source-sha256 $sha256"
  (cd "$dest" && sha256sum sqlite3.c sqlite3.h)
}
shell_stamp() {
  echo "version $version"
  echo "source-sha256 $sha256"
  (cd "$dest/shell" && sha256sum shell.c)
}
amalgamation_ok=false
if [ -f "$stamp" ] && [ -f "$dest/sqlite3.c" ] && [ -f "$dest/sqlite3.h" ] &&
   [ "$(current_stamp 2>/dev/null)" = "$(cat "$stamp")" ]; then
  amalgamation_ok=true
fi
shell_ok=false
if [ -f "$dest/shell/stamp" ] && [ "$(shell_stamp 2>/dev/null)" = "$(cat "$dest/shell/stamp")" ]; then
  shell_ok=true
fi
$amalgamation_ok && $shell_ok && exit 0

for tool in sha256sum tar xz make cc tclsh; do
  command -v "$tool" >/dev/null || fail "'$tool' is missing; scripts/setup.sh installs it (Debian packages: tcl, gcc, libc6-dev, make, xz-utils)"
done

mkdir -p "$root/third_party"
work=$(mktemp -d "$root/third_party/.sqlite-work.XXXXXX")
trap 'rm -rf "$work"' EXIT
tarball="$work/sqlite3_${version}.orig.tar.xz"

if [ -n "${SQLITE_ORIG_TARBALL:-}" ]; then
  cp "$SQLITE_ORIG_TARBALL" "$tarball" || fail "cannot read SQLITE_ORIG_TARBALL=$SQLITE_ORIG_TARBALL"
else
  echo "Fetching SQLite $version: $url"
  if command -v curl >/dev/null; then
    curl -fsSL --retry 3 -o "$tarball" "$url" || fail "download of $url failed (curl exit $?); check the network, or set SQLITE_ORIG_TARBALL to a copy of the file"
  elif command -v wget >/dev/null; then
    wget -q -O "$tarball" "$url" || fail "download of $url failed (wget exit $?); check the network, or set SQLITE_ORIG_TARBALL to a copy of the file"
  else
    fail "neither curl nor wget is installed: install curl (scripts/setup.sh does)"
  fi
fi

got=$(sha256sum "$tarball" | cut -d' ' -f1)
[ "$got" = "$sha256" ] || fail "checksum mismatch for $(basename "$tarball"): expected $sha256, got $got; the file was not used"

tar -xJf "$tarball" -C "$work" || fail "cannot unpack $(basename "$tarball")"
src="$work/sqlite3-$version"
[ -x "$src/configure" ] || fail "the tarball has no sqlite3-$version/configure"

# An out-of-tree configure keeps the unpacked source as it came.
mkdir "$work/build"
(cd "$work/build" && "$src/configure" --disable-tcl --disable-readline >"$work/configure.log" 2>&1) ||
  { tail -n 20 "$work/configure.log" >&2; fail "SQLite's configure failed (log above)"; }
(cd "$work/build" && make sqlite3.c sqlite3.h shell.c >"$work/make.log" 2>&1) ||
  { tail -n 20 "$work/make.log" >&2; fail "making the amalgamation failed (log above)"; }
grep -q "^#define SQLITE_VERSION  *\"$version\"" "$work/build/sqlite3.h" ||
  fail "the amalgamation made is not version $version"

# Replaced whole and stamped last, so an interrupted run is redone next time. An
# amalgamation already in place stays untouched, as builds may be reading it.
if ! $amalgamation_ok; then
  rm -rf "$dest"
  mkdir -p "$dest"
  cp "$work/build/sqlite3.c" "$work/build/sqlite3.h" "$src/LICENSE.md" "$dest/"
  current_stamp >"$dest/stamp.new"
  mv "$dest/stamp.new" "$stamp"
  echo "SQLite $version amalgamation ready in third_party/sqlite"
fi
rm -rf "$dest/shell"
mkdir -p "$dest/shell"
cp "$work/build/shell.c" "$dest/shell/"
shell_stamp >"$dest/shell/stamp.new"
mv "$dest/shell/stamp.new" "$dest/shell/stamp"
echo "SQLite $version shell source ready in third_party/sqlite/shell"
