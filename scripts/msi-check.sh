#!/usr/bin/env bash
# Packs the MSIs from the builds at hand and tries them in a throwaway Wine prefix: an older
# package replaced by the new one, a silent install into Program Files with its shortcut and
# its entry in the installed programs, the console program run from there, and a silent
# uninstall that leaves nothing of ours but the user's own settings. The x86 package is tried
# too when 32-bit Wine and an i686 build are there.
#   msi-check.sh [BUILD_DIR]
set -Eeuo pipefail
# A step that fails outside a check would otherwise end the script without a word.
trap 'echo "msi-check.sh: line $LINENO: \"$BASH_COMMAND\" exited with $?"' ERR
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
version=$("$root/scripts/version.sh")
command -v wixl >/dev/null || { echo "wixl is missing: run scripts/setup.sh"; exit 1; }

work=$build/msi-check
sandbox=$work/sandbox
rm -rf "$work"
mkdir -p "$work"
icon=$("$root/packaging/icon.sh" "$build")

sandboxed() { "$root/tools/wine-sandbox" "$sandbox" "$@"; }
trap 'sandboxed --stop' EXIT
sandboxed --init
prefix=$sandbox/prefix
drive=$prefix/drive_c
mkdir -p "$drive/packages"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# "KEY|DisplayVersion|Publisher|UninstallString" for every entry named Sweepora in the
# installed programs, in both registry views.
entries() {
  for view in 64 32; do
    { sandboxed --wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s /reg:$view 2>/dev/null || true; } |
      tr -d '\r' | awk '
        function flush() { if (v["DisplayName"] == "Sweepora") print key "|" v["DisplayVersion"] "|" v["Publisher"] "|" v["UninstallString"]; delete v }
        /^HKEY_/ { flush(); key = $0; next }
        $2 ~ /^REG_(EXPAND_)?SZ$/ { v[$1] = substr($0, index($0, $2) + length($2) + 4) }
        END { flush() }'
  done | sort -u
}

# Windows puts a per-machine shortcut in the common Start menu; Wine's installer puts it in
# the installing user's.
shortcuts() {
  find "$drive/ProgramData/Microsoft/Windows/Start Menu/Programs" \
       "$drive"/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs \
       -maxdepth 1 -iname 'Sweepora.lnk' 2>/dev/null || true
}

expected_files() {
  printf '%s\n' sweepora.exe sweepora-cli.exe iea.exe README.md LICENSE help/Help.htm
  (cd "$root" && ls plugins/*.plg && { ls definitions/*.ini 2>/dev/null || true; })
}

install() { # MSI_NAME
  sandboxed --wine msiexec /i "C:\\packages\\$1" /qn || fail "msiexec /i $1 exited with $?"
}

# The tasks in the scheduler's own store, every user's.
scheduled() {
  find "$drive/windows/system32/tasks" -ipath '*sweepora*' -type f 2>/dev/null || true
}

# The message file registered for the run events' source, empty when there is no source.
event_source() {
  { sandboxed --wine reg query 'HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Sweepora' \
      /v EventMessageFile 2>/dev/null || true; } |
    tr -d '\r' | awk '$1 == "EventMessageFile" { print substr($0, index($0, $2) + length($2) + 4) }'
}

# The packed upgrade codes of every installed product.
upgrade_codes() {
  { sandboxed --wine reg query 'HKLM\Software\Classes\Installer\UpgradeCodes' 2>/dev/null || true; } |
    tr -d '\r' | grep -o '[0-9A-F]\{32\}$' | LC_ALL=C sort || true
}

# Installs, checks, runs and uninstalls one package: ARCH MSI PROGRAM_FILES_FOLDER
try_package() {
  local arch=$1 msi=$2 folder=$3
  local dir="$drive/$folder/Sweepora" windir="C:\\$folder\\Sweepora"
  echo "== $arch: $(basename "$msi")"
  install "$(basename "$msi")"

  if [ -d "$dir" ]; then
    diff <(expected_files | LC_ALL=C sort) <(cd "$dir" && find . -type f | sed 's|^\./||' | LC_ALL=C sort) ||
      fail "$arch: the installed files differ from the expected ones (< expected, > installed)"
  else
    fail "$arch: $windir was not created"
  fi

  local found code=
  found=$(entries)
  if [ "$(wc -l <<<"$found")" -ne 1 ] || [ -z "$found" ]; then
    fail "$arch: expected one Sweepora entry in the installed programs, found: ${found:-none}"
  else
    IFS='|' read -r key shown publisher uninstall <<<"$found"
    [ "$shown" = "$version" ] || fail "$arch: DisplayVersion is '$shown', not $version"
    [ "$publisher" = Sweepora ] || fail "$arch: Publisher is '$publisher', not Sweepora"
    code=${key##*\\}
    [ "$uninstall" = "MsiExec.exe /X$code" ] || fail "$arch: the uninstall command is '$uninstall'"
    cmp -s "$icon" "$drive/windows/Installer/$code/SweeporaIcon" ||
      fail "$arch: the installed programs' icon is not the program's own"
  fi

  local link
  link=$(shortcuts)
  if [ -z "$link" ]; then
    fail "$arch: no Start-menu shortcut"
  else
    grep -aqF "$windir\\sweepora.exe" "$link" || fail "$arch: the shortcut does not open $windir\\sweepora.exe"
  fi

  for command in definitions preview; do
    sandboxed --wine "$windir\\sweepora-cli.exe" $command > "$work/$arch-$command.txt" 2>&1 ||
      fail "$arch: sweepora-cli.exe $command exited with $? (output in $work/$arch-$command.txt)"
  done

  # A task the user schedules, and the run events' source: both go with the package.
  sandboxed --wine "$windir\\sweepora-cli.exe" schedule add --daily 18:30 --preview > "$work/$arch-schedule.txt" 2>&1 ||
    fail "$arch: schedule add exited with $? (output in $work/$arch-schedule.txt)"
  [ -n "$(scheduled)" ] || fail "$arch: schedule add left no task in the scheduler's store"
  [ "$(event_source)" = "$windir\\sweepora-cli.exe" ] ||
    fail "$arch: the event source's message file is '$(event_source)', not $windir\\sweepora-cli.exe"

  # The user's own settings are theirs: the uninstall must leave them.
  sandboxed --wine reg add 'HKCU\Software\Sweepora\Options' /v Kept /d yes /f >/dev/null ||
    fail "$arch: reg add of the user's setting exited with $?"
  local data=("$drive"/users/*/AppData/Local)
  mkdir -p "${data[0]}/Sweepora"
  echo kept > "${data[0]}/Sweepora/SafeURLs.dat"

  sandboxed --wine msiexec /x "C:\\packages\\$(basename "$msi")" /qn || fail "msiexec /x exited with $?"
  [ ! -e "$dir" ] || fail "$arch: $windir is left: $(cd "$dir" && find . | tr '\n' ' ')"
  [ -z "$(shortcuts)" ] || fail "$arch: the shortcut is left: $(shortcuts)"
  [ -z "$(entries)" ] || fail "$arch: the installed programs still list $(entries)"
  [ -z "$(scheduled)" ] || fail "$arch: the uninstall left the scheduled tasks: $(scheduled)"
  [ -z "$(event_source)" ] || fail "$arch: the uninstall left the event source"
  [ -z "$code" ] || [ ! -e "$drive/windows/Installer/$code" ] || fail "$arch: the icon of $code is left"
  sandboxed --wine reg query 'HKCU\Software\Sweepora\Options' /v Kept >/dev/null 2>&1 ||
    fail "$arch: the uninstall removed the user's settings"
  [ -f "${data[0]}/Sweepora/SafeURLs.dat" ] || fail "$arch: the uninstall removed the user's data folder"
  sandboxed --wine reg delete 'HKCU\Software\Sweepora' /f >/dev/null 2>&1 || true
  rm -rf "${data[0]}/Sweepora"
}

# x64: an older version first, so that the real package has to replace it.
"$root/packaging/msi.sh" x64 "$build/bin" "$icon" "$drive/packages/older-x64.msi" 0.1
"$root/packaging/msi.sh" x64 "$build/bin" "$icon" "$drive/packages/sweepora-$version-x64.msi"
echo "== x64: sweepora-0.1 installed first"
install older-x64.msi
[ "$(entries | cut -d'|' -f2)" = 0.1 ] || fail "x64: the older package did not install: $(entries)"
try_package x64 "$drive/packages/sweepora-$version-x64.msi" "Program Files"

# Each architecture refuses to install beside the other and has its own upgrade code. The
# x86 package is made of the x64 programs here: only its tables are tried, so this runs where
# 32-bit programs cannot.
"$root/packaging/msi.sh" x86 "$build/bin" "$icon" "$drive/packages/other-x86.msi"
installed_codes=
refused_beside() { # INSTALLED_MSI OTHER_MSI; leaves the first one's upgrade code in installed_codes
  local before
  install "$1"
  before=$(upgrade_codes)
  installed_codes=$before
  if sandboxed --wine msiexec /i "C:\\packages\\$2" /qn; then
    fail "$2 installed beside $1"
  fi
  [ "$(upgrade_codes)" = "$before" ] || fail "$2 changed the installed products beside $1"
  [ "$(entries | wc -l)" -eq 1 ] || fail "two Sweepora entries after $2 beside $1: $(entries)"
  sandboxed --wine msiexec /x "C:\\packages\\$1" /qn || fail "msiexec /x $1 exited with $?"
}
echo "== the x64 and x86 packages, one beside the other"
refused_beside "sweepora-$version-x64.msi" other-x86.msi
code64=$installed_codes
refused_beside other-x86.msi "sweepora-$version-x64.msi"
code86=$installed_codes
[ -n "$code64" ] && [ -n "$code86" ] && [ "$code64" != "$code86" ] ||
  fail "the x64 and x86 packages do not have upgrade codes of their own: '$code64' and '$code86'"

if ! sandboxed --can-run-32 || [ ! -f "$drive/windows/syswow64/kernel32.dll" ]; then
  echo "== x86: skipped, no 32-bit Wine, or a kernel that cannot start 32-bit programs"
elif [ ! -f "$root/build-i686/bin/sweepora-cli.exe" ]; then
  echo "== x86: skipped, no i686 build (scripts/build.sh i686)"
else
  "$root/packaging/msi.sh" x86 "$root/build-i686/bin" "$icon" "$drive/packages/sweepora-$version-x86.msi"
  try_package x86 "$drive/packages/sweepora-$version-x86.msi" "Program Files (x86)"
fi

[ $failures -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "The MSI packages install, run and uninstall cleanly"
