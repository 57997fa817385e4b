#!/usr/bin/env bash
# A live level-7 erase on real volumes (an ext4 loop mount and an NTFS image through FUSE),
# seen by Wine as drive D:, then a search of the raw image bytes: no byte of the erased
# content may remain. A level-0 erase on the same volume is the control: its content must
# still be found, or the search proves nothing. Whether the old names remain is printed.
# ext4 needs root and loop devices, NTFS needs FUSE; exits 77 when neither can be mounted.
#   physical-volume.sh SANDBOX_DIR SWEEPORA_CLI_EXE
set -euo pipefail
mkdir -p "$1"
sandbox=$(cd "$1" && pwd)
cli=$2
ws="$(cd "$(dirname "$0")/../.." && pwd)/tools/wine-sandbox"
work="$sandbox/physical-volume"
mnt="$work/mnt"
drive="$sandbox/prefix/dosdevices/d:"
fs="" image="" mounted="" fuse_pid="" failures=0 touched_settings=0

wine_quiet() { "$ws" "$sandbox" --wine "$@" >/dev/null 2>&1; }

unmount() {
  rm -f "$drive"
  # Give the sandbox its own D: back for the tests that follow.
  if [ -d "$sandbox/drive_d" ]; then ln -sfn "$sandbox/drive_d" "$drive"; fi
  if mountpoint -q "$mnt" 2>/dev/null; then
    sync
    # Wine may still be closing its last handle on the volume.
    for _ in 1 2 3 4 5; do
      { fusermount -u "$mnt" 2>/dev/null || umount "$mnt" 2>/dev/null; } && break
      sleep 1
    done
  fi
  # The image is complete only once ntfs-3g has written everything and exited.
  if [ -n "$fuse_pid" ]; then wait "$fuse_pid" 2>/dev/null || true; fi
  fuse_pid="" mounted=""
  sync
}

cleanup() {
  unmount
  if mountpoint -q "$mnt" 2>/dev/null; then
    echo "could not unmount $mnt" >&2
  else
    rm -rf "$work"
  fi
  # The settings key is scratch for every test of the sandbox.
  if [ "$touched_settings" -eq 1 ]; then wine_quiet reg delete 'HKCU\Software\Sweepora' /f || true; fi
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# Occurrences of TEXT in the image: as bytes, or in UTF-16LE with "utf16".
count() { # count TEXT [utf16]
  if [ "${2:-}" = utf16 ]; then
    local pattern
    pattern=$(printf '%s' "$1" | od -An -v -tx1 | tr -d ' \n' | sed 's/\(..\)/\\x\1\\x00/g')
    { LC_ALL=C grep -a -o -P -- "$pattern" "$image" || true; } | wc -l
  else
    { LC_ALL=C grep -a -o -F -- "$1" "$image" || true; } | wc -l
  fi
}

fail() { echo "FAIL $fs: $*"; failures=$((failures + 1)); }

random_hex() { od -An -N12 -tx1 /dev/urandom | tr -d ' \n'; }

marked_file() { # marked_file MARKER SIZE FILE: the marker line repeated
  local text=""
  while [ ${#text} -lt "$2" ]; do text+="$1"$'\n'; done
  printf '%s' "${text:0:$2}" > "$3"
}

# The settings of one run: only the custom folders, this one folder, this many passes.
settings() { # settings PASSES FOLDER
  local reg="$sandbox/prefix/drive_c/physical-volume.reg" category
  {
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Sweepora\\EraseSettings]\n'
    for category in NetHistory IETempFiles NetCookies NetVisitedUrls NetTypedUrls IndexDatFiles \
        IEAutoComplete IEAutoPass RecentDocs RecBin Clipboard EmailHistory RunHistory FileFind TempFiles; do
      printf '"%s"="0"\n' "$category"
    done
    printf '"CustomDirs"="1"\n"NoOverWrites"="%s"\n"CustomDirList"="%s"\n' "$1" "${2//\\/\\\\}"
  } > "$reg"
  touched_settings=1
  wine_quiet reg delete 'HKCU\Software\Sweepora' /f || true
  # Without them the run would clean every default category of the sandbox.
  wine_quiet reg import physical-volume.reg || { echo "FAIL: the settings could not be imported"; exit 1; }
  rm -f "$reg"
}

clean_run() { # clean_run PASSES FOLDER
  settings "$1" "$2"
  local status=0
  "$ws" "$sandbox" "$cli" clean >"$work/run.log" 2>&1 || status=$?
  sed "s/^/    [level $1] /" "$work/run.log"
  [ "$status" -eq 0 ] || fail "the level $1 run ended with status $status"
}

# Each mount function mounts its volume and sets $mounted, or says why it is skipped.
mount_ext4() {
  [ "$(id -u)" -eq 0 ] || { echo "skipped: ext4: not running as root"; return; }
  [ -e /dev/loop-control ] || { echo "skipped: ext4: no /dev/loop-control"; return; }
  command -v mkfs.ext4 >/dev/null || { echo "skipped: ext4: no mkfs.ext4 (package e2fsprogs)"; return; }
  image="$work/ext4.img"
  truncate -s 8M "$image"
  mkfs.ext4 -q -F "$image"
  if mount -o loop "$image" "$mnt" 2>"$work/mount.log"; then
    mounted=ext4
  else
    echo "skipped: ext4: mount -o loop failed: $(tr '\n' ' ' < "$work/mount.log")"
  fi
}

mount_ntfs() {
  [ -e /dev/fuse ] || { echo "skipped: NTFS: no /dev/fuse"; return; }
  command -v mkntfs >/dev/null && command -v ntfs-3g >/dev/null ||
    { echo "skipped: NTFS: no mkntfs or ntfs-3g (package ntfs-3g)"; return; }
  image="$work/ntfs.img"
  truncate -s 8M "$image"
  mkntfs -q -F -f "$image" >/dev/null 2>&1
  # A child of ours in the foreground, so that we can wait for it to finish writing.
  ntfs-3g -o no_detach "$image" "$mnt" </dev/null >"$work/mount.log" 2>&1 &
  fuse_pid=$!
  for _ in $(seq 50); do
    mountpoint -q "$mnt" && { mounted=NTFS; return; }
    kill -0 "$fuse_pid" 2>/dev/null || break
    sleep 0.1
  done
  unmount
  echo "skipped: NTFS: ntfs-3g could not mount: $(tail -n 3 "$work/mount.log" | tr '\n' ' ')"
}

# Several marked files erased at level 7, one at level 0; then the image is searched.
check_volume() { # check_volume NAME_ENCODING
  local encoding=$1 markers=() names=() control name marker n
  mkdir "$mnt/erase7" "$mnt/erase0"
  for n in 1 2 3 4; do
    marker="sweepora-erased-content-$(random_hex)"
    name="sweepora-erased-name-$(random_hex)-a-long-and-distinctive-file-name-$n.txt"
    marked_file "$marker" $((n * 5000 + 123)) "$mnt/erase7/$name"
    markers+=("$marker") names+=("$name")
  done
  control="sweepora-kept-content-$(random_hex)"
  marked_file "$control" 6000 "$mnt/erase0/control.txt"
  # On the volume before the erase, or a clean image would prove nothing.
  sync
  for marker in "${markers[@]}" "$control"; do
    [ "$(count "$marker")" -gt 0 ] || fail "$marker is not in the image before the erase"
  done

  # The sandbox fixture makes the prefix; a run of its own makes it here.
  [ -d "$sandbox/prefix/drive_c" ] || "$ws" "$sandbox" --init
  ln -sfn "$mnt" "$drive"
  clean_run 7 'D:\erase7'
  for name in "${names[@]}"; do [ ! -e "$mnt/erase7/$name" ] || fail "level 7 left $name on D:"; done
  clean_run 0 'D:\erase0'
  [ ! -e "$mnt/erase0/control.txt" ] || fail "level 0 left control.txt on D:"
  unmount

  for marker in "${markers[@]}"; do
    n=$(count "$marker")
    [ "$n" -eq 0 ] || fail "level 7: the erased content $marker is still in the image ($n times)"
  done
  n=$(count "$control")
  echo "  level 0: the control content is in the image $n times"
  [ "$n" -gt 0 ] || fail "level 0: the control content is not in the image, so the search is broken"
  for name in "${names[@]}"; do
    echo "  measured: old name found $(count "$name" "$encoding") times ($encoding): $name"
  done
  echo "  measured: control.txt (level 0) found $(count control.txt "$encoding") times ($encoding)"
}

ran=0
for volume in ext4:utf8 ntfs:utf16; do
  fs=${volume%%:*}
  echo "== $fs"
  unmount # what a killed run left
  mountpoint -q "$mnt" 2>/dev/null && { echo "FAIL: $mnt is still mounted"; exit 1; }
  rm -rf "$work"
  mkdir -p "$mnt"
  "mount_$fs"
  [ -n "$mounted" ] || continue
  check_volume "${volume#*:}"
  ran=$((ran + 1))
done
[ "$failures" -eq 0 ] || { echo "$failures checks failed"; exit 1; }
[ "$ran" -gt 0 ] || exit 77
echo "passed on $ran volume(s)"
