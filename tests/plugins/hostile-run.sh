#!/usr/bin/env bash
# Hostile definitions, end to end: hostile.ini aims at every protected place by every
# spelling we know, beside entries an application really needs. The console program runs
# them all, preview then clean, over canaries seeded in each place; every canary must come
# out byte for byte, every legitimate trace must go, and the log must refuse each hostile
# entry.
#   hostile-run.sh SANDBOX SWEEPORA_CLI_EXE
set -euo pipefail
sandbox=$1 cli=$2
here=$(cd "$(dirname "$0")" && pwd)
wine_sandbox="$here/../../tools/wine-sandbox"
started=$SECONDS

# A prefix of its own: a build without the guards wipes System32 and the profile, which the
# other tests share.
mkdir -p "$sandbox"
box="$(cd "$sandbox" && pwd)/hostile"
trap '"$wine_sandbox" "$box" --stop' EXIT
"$wine_sandbox" "$box" --init
prefix="$box/prefix"
drive_c="$prefix/drive_c"
run_wine() { "$wine_sandbox" "$box" --wine "$@"; }

failures=()
fail() { failures+=("$1"); }
# Ends a part: its failures with the clean run's report, or the prefix removed.
finish() {
  if [ ${#failures[@]} -gt 0 ]; then
    echo "---- the clean run's report ----"
    tr -d '\r' < "$program/clean-report.txt"
    echo "---- ${#failures[@]} failures ----"
    printf '%s\n' "${failures[@]}"
    exit 1
  fi
  trap - EXIT
  "$wine_sandbox" "$box" --stop
  rm -rf "$box"
}

# ---------------------------------------------------------------------------------------
# The prefix as Windows would have it.

sid=$(sed -n 's/^;; All keys relative to REGISTRY\\\\User\\\\//p' "$prefix/user.reg" | tr -d '\r')
profile_win=$(awk -v sid="$sid" '
  /^\[/ { inside = index($0, "ProfileList\\\\" sid "]") > 0; next }
  inside && /^"ProfileImagePath"=/ { sub(/^"ProfileImagePath"="/, ""); sub(/"$/, ""); print }' "$prefix/system.reg")
user=${profile_win##*\\}
[ -n "$sid" ] && [ -n "$user" ] && [ -d "$drive_c/users/$user" ] || { echo "no user profile found in $prefix"; exit 1; }

profile="users/$user"
docs="$profile/Documents"
local_appdata="$profile/AppData/Local"
roaming="$profile/AppData/Roaming"
locallow="$profile/AppData/LocalLow"
pf="Program Files"
pd="ProgramData"
win="windows"

# Wine links the user's folders to the host's home; on Windows they are folders of the profile.
for folder in Desktop Documents Downloads Music Pictures Videos; do
  if [ -L "$drive_c/$profile/$folder" ]; then
    rm "$drive_c/$profile/$folder"
    mkdir "$drive_c/$profile/$folder"
  fi
done
# Wine finds \\server\share in dosdevices/unc: this machine's administrative shares, as on Windows.
for server in localhost 127.0.0.1; do
  mkdir -p "$prefix/dosdevices/unc/$server"
  ln -sfn ../../c: "$prefix/dosdevices/unc/$server/c\$"
done

# The host path of a path below C:\ ("/" between parts), each existing part in the case the
# prefix has it: Wine made "windows\system32", the table says what Windows users see.
host() {
  local path=$drive_c part entry
  local -a parts
  IFS=/ read -ra parts <<<"$1"
  for part in "${parts[@]}"; do
    if [ ! -e "$path/$part" ] && [ ! -L "$path/$part" ]; then
      for entry in "$path"/*; do
        entry=${entry##*/}
        if [ "${entry,,}" = "${part,,}" ]; then
          part=$entry
          break
        fi
      done
    fi
    path="$path/$part"
  done
  printf '%s' "$path"
}

seed() { # PATH TEXT
  local file
  file=$(host "$1")
  mkdir -p "$(dirname "$file")"
  printf '%s\r\n' "$2" > "$file"
}

# ---------------------------------------------------------------------------------------
# What must come out unchanged: each place a hostile entry aims at.

canaries=(
  "$docs/canary-report.docx"
  "$docs/canary-notes.txt"
  "$docs/Sub/canary-deep.pdf"
  "$docs/canary-thesis.doc"
  "$docs/My Games/CanaryGame/Saves/canary-save.sav"
  "$docs/My Games/CanaryGame/Screenshots/canary-shot.png"
  "$profile/Desktop/canary-desktop.txt"
  "$profile/Downloads/canary-setup.exe"
  "$profile/Downloads/canary-archive.zip"
  "$profile/Pictures/canary-photo.jpg"
  "$profile/Music/canary-song.mp3"
  "$profile/Videos/canary-clip.mp4"
  "$profile/Favorites/canary-link.url"
  "$profile/canary-profile.dat"
  "$profile/canary-profile.docx"
  "$local_appdata/canary-local.dat"
  "$local_appdata/CanaryOther/settings.ini"
  "$local_appdata/Microsoft/canary-ms.dat"
  "$local_appdata/Microsoft/Credentials/canary-credential.bin"
  "$local_appdata/Google/Chrome/User Data/Default/Bookmarks"
  "$roaming/canary-roaming.dat"
  "$roaming/CanaryApp/Logs/settings.ini"
  "$roaming/Microsoft/canary-ms.dat"
  "$locallow/canary-locallow.dat"
  "users/other/Documents/canary-other.docx"
  "users/other/AppData/Local/canary-other.dat"
  "users/Public/Documents/canary-public.docx"
  "users/Public/Desktop/canary-public.txt"
  "users/canary-profiles.txt"
  "$pf/CanaryVendor/CanaryApp/canary.exe"
  "$pf/CanaryVendor/CanaryApp/canary.dll"
  "$pf/CanaryVendor/CanaryApp/bin/canary-plugin.dll"
  "$pf (x86)/CanaryVendor/CanaryApp/canary32.exe"
  "$pf/Common Files/CanaryVendor/canary-shared.dll"
  "$pd/canary-programdata.dat"
  "$pd/Microsoft/canary-ms.dat"
  "$win/canary.txt"
  "$win/canary.ini"
  "$win/system32/canary-sys.dll"
  "$win/system32/drivers/canary-driver.sys"
  "$win/Fonts/canary-font.ttf"
  "$win/Logs/canary-keep.txt"
  "$local_appdata/Google/Chrome/User Data/Default/Login Data"
  "$local_appdata/Google/Chrome/User Data/Local State"
  "$local_appdata/Microsoft/Edge/User Data/Default/Login Data"
  "$local_appdata/Microsoft/Edge/User Data/Default/Bookmarks"
  "$roaming/Mozilla/Firefox/profiles.ini"
  "$roaming/Mozilla/Firefox/Profiles/canary.default/key4.db"
  "$roaming/Mozilla/Firefox/Profiles/canary.default/logins.json"
  "$roaming/Mozilla/Firefox/Profiles/canary.default/cert9.db"
  "$roaming/Mozilla/Firefox/Profiles/canary.default/places.sqlite"
  "$profile/.ssh/id_rsa"
  "$profile/.ssh/known_hosts"
  "$profile/source/repos/Project/main.cpp"
  "$profile/source/repos/Project/main.h"
  "$local_appdata/Packages/CanonicalGroupLimited.Ubuntu_79rhkp1fndgsc/LocalState/ext4.vhdx"
  "$pf/Canary Games/Chicken Invaders 5/ci5.exe"
  "$docs/CanaryVendor/CanaryEditor/draft.docx"
  "../../drive_d/Photos/canary-photo.jpg"
  "../../drive_d/Photos/canary-notes.txt"
  "../../drive_d/Games/CanaryGame/Saves/slot1.sav"
  "Data/Projects/canary-main.cpp"
  "Data/Projects/canary-plan.docx"
  "canary-root.txt"
  "canary-boot.ini"
  "CanaryTools/canary-tool.ini"
  # What the exclusions keep: the folder by its own spelling, three files by others.
  "$local_appdata/CanaryApp/Data/Keep/keep.dat"
  "$local_appdata/CanaryApp/Data/Other/kept.dat"
  "$local_appdata/CanaryApp/Data/Long/long.dat"
  "$local_appdata/CanaryApp/Data/Short/short.dat"
)
# Windows' own files, already there.
existing=(
  "$win/system32/drivers/etc/hosts"
  "$win/system32/kernel32.dll"
  "$win/win.ini"
  "$win/system.ini"
)
kept_folders=(
  "$local_appdata/CanaryApp/Data/Keep/Empty"
)

# What the legitimate entries must take.
traces=(
  "$local_appdata/CanaryApp/Cache/data_0"
  "$local_appdata/CanaryApp/Cache/index"
  "$local_appdata/CanaryApp/Cache/sub/f_000001"
  "$local_appdata/CanaryApp/Data/gone.tmp"
  "$local_appdata/CanaryApp/Data/Deep/gone.tmp"
  "$local_appdata/CanaryApp/Data/Other/gone.tmp"
  "$roaming/CanaryApp/Logs/app.log"
  "$pd/CanaryApp/Logs/service.log"
  "$local_appdata/Google/Chrome/User Data/Default/Cache/Cache_Data/data_1"
  "$local_appdata/Google/Chrome/User Data/Profile 1/Cache/Cache_Data/f_000002"
  "$docs/My Games/CanaryGame/Logs/game.log"
  "$win/Temp/setup-trace.tmp"
  "$win/Temp/Sub/deep-trace.tmp"
  "$win/Logs/cbs.log"
  "$win/SoftwareDistribution/Download/update.cab"
  "$win/SoftwareDistribution/Download/abc/update.psf"
  "$win/Minidump/crash.dmp"
  "$win/SIGVERIF.TXT"
  "$pd/CanaryVendor/settings.ini"
  "$roaming/CanaryVendor/settings.ini"
  "$pf/CanaryVendor/CanaryApp/Logs/canary-app.cfg"
  "$local_appdata/calibre-cache/thumbs/t1.bin"
  "$roaming/Roxio Log Files/session.log"
  "$pf/Canary Games/Chicken Invaders 5/ci5.log"
  "../../drive_d/Games/CanaryGame/Logs/game.log"
  "$docs/CanaryVendor/CanaryEditor/Cache/blob"
  "$win/setupact.log"
)
gone_folders=(
  "$local_appdata/CanaryApp/Data/Deep"
)

for path in "${canaries[@]}"; do seed "$path" "sweepora canary, keep me: C:/$path"; done
for path in "${traces[@]}"; do seed "$path" "trace to clean: C:/$path"; done
mkdir -p "$(host "$local_appdata/CanaryApp/Data/Keep")/Empty"
for path in "${existing[@]}"; do
  [ -f "$(host "$path")" ] || { echo "the prefix has no $path"; exit 1; }
done

# Links, made host side as Wine cannot: a folder link to Documents and a file link to one of
# its files, both inside the cache a legitimate entry empties with RECURSE.
ln -s ../../../../Documents "$(host "$local_appdata/CanaryApp/Cache")/docs"
ln -s ../../../../Documents/canary-thesis.doc "$(host "$local_appdata/CanaryApp/Cache")/thesis.doc"

# ---------------------------------------------------------------------------------------
# The registry: canaries in each protected key aimed at, an application's own keys, and the
# program's settings (no built-in category, no overwrite passes: only the entries run).

clsid='{5EE0CA4A-2F1D-4C3B-9E47-C0DE00C0FFEE}'
hkcu=HKEY_CURRENT_USER
hklm=HKEY_LOCAL_MACHINE
cv='Software\Microsoft\Windows\CurrentVersion'
# key|value name (@ the default)|data
reg_canaries=(
  "$hkcu\\$cv\\Run|SweeporaCanary|canary run entry"
  "$hkcu\\$cv\\RunOnce|SweeporaCanary|canary runonce entry"
  "$hkcu\\$cv\\Explorer|SweeporaCanary|canary explorer setting"
  "$hkcu\\$cv\\Explorer\\Advanced|SweeporaCanary|canary explorer advanced setting"
  "$hkcu\\$cv\\Policies\\Explorer|SweeporaCanary|canary policy"
  "$hkcu\\Software\\Microsoft\\SweeporaCanary|Setting|canary microsoft child"
  "$hklm\\$cv\\Uninstall\\SweeporaCanary|DisplayName|canary uninstall entry"
  "$hklm\\$cv\\App Paths\\sweeporacanary.exe|@|canary app path"
  "$hklm\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run|SweeporaCanary|canary 32-bit run entry"
  "$hkcu\\Software\\Classes\\CLSID\\$clsid\\InprocServer32|@|canary user class"
  "$hklm\\Software\\Classes\\CLSID\\$clsid\\InprocServer32|@|canary machine class"
  "$hkcu\\Software\\Classes\\.sweeporacanary|@|canary user file type"
  "$hklm\\Software\\Classes\\.sweeporacanary|@|canary machine file type"
  "$hkcu\\Control Panel\\Desktop|SweeporaCanary|canary desktop setting"
  "$hkcu\\Environment|SweeporaCanary|canary environment variable"
  "$hkcu\\Keyboard Layout\\Preload|9|canary keyboard layout"
  "$hklm\\System\\ControlSet001\\Services\\SweeporaCanary|DisplayName|canary service"
  "$hkcu\\Software\\CanaryVendor\\CanaryTool|Language|canary setting beside a trace"
)
reg_traces=(
  "$hkcu\\Software\\CanaryVendor\\CanaryApp|LastFile|trace"
  "$hkcu\\Software\\CanaryVendor\\CanaryApp\\Recent|1|trace"
  "$hkcu\\Software\\CanaryVendor\\CanaryTool|LastFile|trace"
  "$hkcu\\Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\BagMRU|0|trace"
  "$hkcu\\Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\BagMRU\\0|0|trace"
)
reg_gone_keys=(
  "$hkcu\\Software\\CanaryVendor\\CanaryApp"
  "$hkcu\\Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\BagMRU"
)
settings=("$hkcu\\Software\\Sweepora\\EraseSettings|NoOverWrites|0")
for category in NetHistory IETempFiles NetCookies NetVisitedUrls NetTypedUrls IndexDatFiles IEAutoComplete \
                IEAutoPass RecentDocs RecBin Clipboard EmailHistory CustomDirs RunHistory FileFind TempFiles; do
  settings+=("$hkcu\\Software\\Sweepora\\EraseSettings|$category|0")
done

program="$drive_c/hostile-prog"
rm -rf "$program"
mkdir -p "$program"
{
  printf 'REGEDIT4\r\n'
  for row in "${reg_canaries[@]}" "${reg_traces[@]}" "${settings[@]}"; do
    IFS='|' read -r key name data <<<"$row"
    [ "$name" = @ ] && name=@ || name="\"$name\""
    printf '\r\n[%s]\r\n%s="%s"\r\n' "$key" "$name" "$data"
  done
} > "$program/seed.reg"
run_wine reg import 'C:\hostile-prog\seed.reg' /reg:64 > "$box/reg-import.txt" 2>&1 \
  || { cat "$box/reg-import.txt"; echo "the registry could not be seeded"; exit 1; }

# The value's line as Wine stores KEY in its hive file; empty when either is missing.
reg_line() { # KEY NAME
  local key=$1 name=$2 file
  case $key in
    "$hkcu"\\*) file="$prefix/user.reg" ;;
    "$hklm"\\*) file="$prefix/system.reg" ;;
  esac
  key=${key#*\\}
  [ "$name" = @ ] && name=@ || name="\"$name\""
  want="[${key//\\/\\\\}]" name="$name=" awk '
    BEGIN { want = tolower(ENVIRON["want"]); name = ENVIRON["name"] }
    /^\[/ { h = $0; sub(/ [0-9]+$/, "", h); inside = tolower(h) == want; next }
    inside && substr($0, 1, length(name)) == name { print; exit }' "$file"
}
reg_key_exists() { # KEY
  local key=$1 file
  case $key in
    "$hkcu"\\*) file="$prefix/user.reg" ;;
    "$hklm"\\*) file="$prefix/system.reg" ;;
  esac
  key=${key#*\\}
  want="[${key//\\/\\\\}]" awk '
    BEGIN { want = tolower(ENVIRON["want"]) }
    /^\[/ { h = $0; sub(/ [0-9]+$/, "", h); if (tolower(h) == want) { found = 1; exit } }
    END { exit !found }' "$file"
}

# ---------------------------------------------------------------------------------------
# The program in a folder of its own inside the prefix, with hostile.ini among its definitions.

built=$(cd "$(dirname "$cli")" && pwd)
cp "$cli" "$program/sweepora-cli.exe"
for folder in definitions plugins; do
  [ -d "$built/$folder" ] && cp -r "$built/$folder" "$program/"
done
mkdir -p "$program/definitions"

# Wine's 8.3 names are hashes of the long names: asked of the prefix.
run_wine cmd /c "dir /x C:\\ & dir /x C:\\users\\$user & dir /x C:\\users\\$user\\AppData\\Local" \
  > "$box/short-names.txt" 2>&1 || true
short_name() { # LONG
  tr -d '\r' < "$box/short-names.txt" | awk -v long="$1" '
    /<DIR>/ { line = $0; sub(/.*<DIR> +/, "", line)
              if (index(line, "~") && substr(line, length(line) - length(long) + 1) == long) { split(line, f, " "); print f[1]; exit } }'
}
programfiles83=$(short_name "Program Files")
documents83=$(short_name Documents)
canaryapp83=$(short_name CanaryApp)
for name in programfiles83 documents83 canaryapp83; do
  [ -n "${!name}" ] || { cat "$box/short-names.txt"; echo "no 8.3 name for $name"; exit 1; }
done
sed -e "s/@PROGRAMFILES83@/$programfiles83/g" -e "s/@DOCUMENTS83@/$documents83/g" \
    -e "s/@CANARYAPP83@/$canaryapp83/g" -e "s/@USERSID@/$sid/g" \
    "$here/hostile.ini" > "$program/definitions/hostile.ini"

# Entry names and their kind (the Section= of each), in file order.
names=() kinds=()
while IFS=$'\t' read -r name kind; do names+=("$name"); kinds+=("$kind"); done < <(awk '
  /^\[/ { name = $0; sub(/^\[/, "", name); sub(/ *\* *\]$/, "", name); next }
  /^Section=/ { sub(/^Section=/, ""); sub(/\r$/, ""); print name "\t" $0 }' "$here/hostile.ini")
kind_of() {
  local i
  for i in "${!names[@]}"; do
    if [ "${names[$i]}" = "$1" ]; then echo "${kinds[$i]}"; fi
  done
}
only=()
for name in "${names[@]}"; do only+=(--only "$name"); done

# ---------------------------------------------------------------------------------------
# Snapshots and checks.

declare -A hashes
for path in "${canaries[@]}" "${existing[@]}"; do hashes[$path]=$(sha256sum < "$(host "$path")"); done

# The registry as Wine last saved it: stopping the server saves it.
save_registry() { "$wine_sandbox" "$box" --stop; }

save_registry
for row in "${reg_canaries[@]}" "${reg_traces[@]}"; do
  IFS='|' read -r key name data <<<"$row"
  [ -n "$(reg_line "$key" "$name")" ] || { echo "the seeding left no $key, $name"; exit 1; }
done

check_canaries() { # WHEN
  local path file
  for path in "${canaries[@]}" "${existing[@]}"; do
    file=$(host "$path")
    if [ ! -f "$file" ]; then
      fail "$1: canary lost: C:/$path"
    elif [ "$(sha256sum < "$file")" != "${hashes[$path]}" ]; then
      fail "$1: canary changed: C:/$path"
    fi
  done
  for path in "${kept_folders[@]}"; do
    [ -d "$(host "$path")" ] || fail "$1: kept folder lost: C:/$path"
  done
  for row in "${reg_canaries[@]}"; do
    IFS='|' read -r key name data <<<"$row"
    local line
    line=$(reg_line "$key" "$name")
    if [ -z "$line" ]; then
      fail "$1: registry canary lost: $key, $name"
    elif [ "$line" != "$( [ "$name" = @ ] && echo "@=\"$data\"" || echo "\"$name\"=\"$data\"")" ]; then
      fail "$1: registry canary changed: $key, $name: $line"
    fi
  done
}

check_traces() { # WHEN present|gone
  local path row key name data
  for path in "${traces[@]}" "${gone_folders[@]}"; do
    local file
    file=$(host "$path")
    if [ "$2" = present ] && [ ! -e "$file" ]; then fail "$1: a preview took C:/$path"; fi
    if [ "$2" = gone ] && [ -e "$file" ]; then fail "$1: legitimate trace left: C:/$path"; fi
  done
  for row in "${reg_traces[@]}"; do
    IFS='|' read -r key name data <<<"$row"
    local line
    line=$(reg_line "$key" "$name")
    if [ "$2" = present ] && [ -z "$line" ]; then fail "$1: a preview took $key, $name"; fi
    if [ "$2" = gone ] && [ -n "$line" ]; then fail "$1: legitimate registry trace left: $key, $name"; fi
  done
  if [ "$2" = gone ]; then
    for key in "${reg_gone_keys[@]}"; do
      if reg_key_exists "$key"; then fail "$1: legitimate key left: $key"; fi
    done
  fi
}

# Each hostile entry refused at least once, each legitimate one never, by the report's lines:
# an entry's lines come before its "Plugin : NAME" line.
check_refusals() { # WHEN REPORT
  declare -A refused=()
  local pending=0 line name total=0
  while IFS= read -r line; do
    line=${line%$'\r'}
    line=${line#Testing : }
    if [[ $line == "Plugin : "*", "* ]]; then
      name=${line#Plugin : }
      name=${name%%, Completed : *}
      name=${name%%, Refused: every target is protected}
      name=${name%%, \*\*aborted\*\*}
      refused[$name]=$pending
      pending=0
    elif [[ $line == *", Refused: "* ]]; then
      pending=$((pending + 1))
      total=$((total + 1))
    fi
  done < "$2"
  echo "$1: $total refusals"
  for name in "${names[@]}"; do
    if [ -z "${refused[$name]+set}" ]; then
      fail "$1: the entry did not run: $name"
      continue
    fi
    case $(kind_of "$name") in
      Hostile) [ "${refused[$name]}" -ge 1 ] || fail "$1: not refused: $name" ;;
      Legitimate) [ "${refused[$name]}" -eq 0 ] || fail "$1: a legitimate entry was refused: $name" ;;
    esac
  done
}

# Every entry of the file offered, none of its keys skipped.
listing=$(run_wine 'C:\hostile-prog\sweepora-cli.exe' definitions --all 2>&1 | tr -d '\r')
for name in "${names[@]}"; do
  grep -qxF "$(kind_of "$name")"$'\t'"$name"$'\tdefinitions\\hostile.ini' <<<"$listing" \
    || fail "definitions: not offered as it stands: $name"
done
grep -q 'keys skipped: 0 of the wrong shape, 0 with an unknown variable, 0 not read$' <<<"$listing" \
  || fail "definitions: keys were skipped: $(tail -n 1 <<<"$listing")"

run_cli() { # MODE
  set +e
  run_wine 'C:\hostile-prog\sweepora-cli.exe' "$1" --report "C:\\hostile-prog\\$1-report.txt" "${only[@]}" \
    > "$box/$1-output.txt" 2>&1
  local status=$?
  set -e
  [ $status -eq 0 ] || fail "$1: sweepora-cli exited with $status: $(tail -n 3 "$box/$1-output.txt")"
  [ -f "$program/$1-report.txt" ] || { fail "$1: no report was written"; : > "$program/$1-report.txt"; }
  save_registry
}

run_cli preview
check_canaries preview
check_traces preview present
check_refusals preview "$program/preview-report.txt"

run_cli clean
check_canaries clean
check_traces clean gone
check_refusals clean "$program/clean-report.txt"
grep -q 'Registory keys : 3,' "$program/clean-report.txt" \
  || fail "clean: the summary counts other registry keys than the 3 legitimate ones: $(grep 'Registory keys' "$program/clean-report.txt")"

echo "hostile-run: $((SECONDS - started)) s"
finish
echo "hostile-run: every canary kept, every trace taken, every hostile entry refused"

# =======================================================================================
# Registry: other users' hives and registry links (this block stays last).
# hostile.ini's last block alone, in a prefix of its own: canaries in the default profile's
# hive (HKU\.DEFAULT), in this user's own hive under the name a wildcard for every hive
# reaches, and behind a registry link. Wine's `reg` cannot make a link, so the link is written
# into the stopped prefix's user.reg the way Wine itself saves one ("#link" and a REG_LINK
# SymbolicLinkValue naming \Registry\User\<SID>\...); `reg query` through it proves it works.
started=$SECONDS
failures=()
box="$(cd "$sandbox" && pwd)/hostile-registry"
trap '"$wine_sandbox" "$box" --stop' EXIT
"$wine_sandbox" "$box" --init
prefix="$box/prefix"
program="$prefix/drive_c/hostile-prog"
sid=$(sed -n 's/^;; All keys relative to REGISTRY\\\\User\\\\//p' "$prefix/user.reg" | tr -d '\r')
[ -n "$sid" ] || { echo "no user SID found in $prefix"; exit 1; }
mkdir -p "$program/definitions"
cp "$cli" "$program/sweepora-cli.exe"
sed -n '/^; ==== Registry: other users/,$p' "$here/hostile.ini" > "$program/definitions/hostile-registry.ini"

# hive file|key in it|value|data; the hive files are Wine's: userdef.reg is HKU\.DEFAULT.
hive_canaries=(
  "userdef.reg|Software\\SweeporaCanaryHive|Setting|canary default profile"
  "userdef.reg|Software\\SweeporaCanaryHive\\Inner|Setting|canary default profile inner"
  "user.reg|Software\\SweeporaCanaryHive|Setting|canary own hive reached by a wildcard"
  "user.reg|Software\\SweeporaCanaryHive\\Inner|Setting|canary own hive inner"
  "user.reg|Software\\SweeporaLinkedCanary|Setting|canary link target"
  "user.reg|Software\\SweeporaLinkedCanary\\Inner|Setting|canary behind the link"
)
{
  printf 'REGEDIT4\r\n'
  for row in "${hive_canaries[@]}"; do
    IFS='|' read -r file key name data <<<"$row"
    [ "$file" = userdef.reg ] && root='HKEY_USERS\.DEFAULT' || root=HKEY_CURRENT_USER
    printf '\r\n[%s\\%s]\r\n"%s"="%s"\r\n' "$root" "$key" "$name" "$data"
  done
} > "$program/seed.reg"
run_wine reg import 'C:\hostile-prog\seed.reg' /reg:64 > "$box/reg-import.txt" 2>&1 \
  || { cat "$box/reg-import.txt"; echo "the registry could not be seeded"; exit 1; }

"$wine_sandbox" "$box" --stop
target="\\Registry\\User\\$sid\\Software\\SweeporaLinkedCanary"
link_data=$(printf '%s' "$target" | iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 | tr -s ' \n' ',' | sed 's/^,//; s/,$//')
printf '\n[Software\\\\SweeporaCanaryLink] %s\n#link\n"SymbolicLinkValue"=hex(6):%s\n' "$(date +%s)" "$link_data" \
  >> "$prefix/user.reg"
through=$(run_wine reg query 'HKCU\Software\SweeporaCanaryLink\Inner' 2>&1 || true)
grep -q 'canary behind the link' <<<"$through" || { echo "the registry link does not lead to its target: $through"; exit 1; }

# The line KEY's VALUE has in the hive FILE as Wine saved it; empty when either is missing.
hive_line() { # FILE KEY NAME
  want="[${2//\\/\\\\}]" name="\"$3\"=" awk '
    BEGIN { want = tolower(ENVIRON["want"]); name = ENVIRON["name"] }
    /^\[/ { h = $0; sub(/ [0-9]+$/, "", h); inside = tolower(h) == want; next }
    inside && substr($0, 1, length(name)) == name { print; exit }' "$prefix/$1"
}
link_entry() { awk '/^\[Software\\\\SweeporaCanaryLink\]/ { on = 1; print; next } /^\[/ { on = 0 } on' "$prefix/user.reg" | sed 1d | grep -v '^#time='; }
"$wine_sandbox" "$box" --stop
link_before=$(link_entry)
grep -q '^#link' <<<"$link_before" || { echo "the registry link was not saved as a link"; exit 1; }

block_names=()
while IFS= read -r name; do block_names+=("$name"); done < <(sed -n 's/^\[\(.*[^ ]\) *\* *\]\r\{0,1\}$/\1/p' "$program/definitions/hostile-registry.ini")
block_only=()
for name in "${block_names[@]}"; do block_only+=(--only "$name"); done

for mode in preview clean; do
  set +e
  run_wine 'C:\hostile-prog\sweepora-cli.exe' "$mode" --report "C:\\hostile-prog\\$mode-report.txt" "${block_only[@]}" \
    > "$box/$mode-output.txt" 2>&1
  status=$?
  set -e
  "$wine_sandbox" "$box" --stop
  [ $status -eq 0 ] || fail "registry $mode: sweepora-cli exited with $status: $(tail -n 3 "$box/$mode-output.txt")"
  report="$program/$mode-report.txt"
  [ -f "$report" ] || { fail "registry $mode: no report was written"; continue; }
  for row in "${hive_canaries[@]}"; do
    IFS='|' read -r file key name data <<<"$row"
    line=$(hive_line "$file" "$key" "$name")
    [ "$line" = "\"$name\"=\"$data\"" ] || fail "registry $mode: canary lost or changed: $file $key, $name: $line"
  done
  [ "$(link_entry)" = "$link_before" ] || fail "registry $mode: the registry link itself changed"
  # Each entry refused, each under its own name; the link's entry says it met a link.
  for name in "${block_names[@]}"; do
    verdict=$(awk -v entry="Plugin : $name, " '
      index($0, entry) { print (refused > 0 ? "refused" : "not refused"); exit }
      /^(Testing : )?Plugin : / { refused = 0; next }
      /, Refused: / { refused++ }' "$report")
    [ "$verdict" = refused ] || fail "registry $mode: ${verdict:-did not run}: $name"
  done
  grep -q 'Refused: .*SweeporaCanaryLink is a registry link' "$report" \
    || fail "registry $mode: no line says the link was refused"
  grep -q 'Refused: .*a wildcard may not stand for a user'"'"'s hive' "$report" \
    || fail "registry $mode: no line refuses the wildcard standing for a user's hive"
  grep -q 'Registory keys : 0,' "$report" || fail "registry $mode: registry keys counted: $(grep 'Registory keys' "$report")"
done

echo "hostile-run (registry): $((SECONDS - started)) s"
finish
echo "hostile-run (registry): every hive's canary and the link's target kept, each entry refused"
