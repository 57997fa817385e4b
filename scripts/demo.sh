#!/usr/bin/env bash
# The main job: a fresh demo sandbox seeded with real traces, a preview run, a real
# run, and what is left afterwards.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
demo="$root/build/demo"
sandbox() { "$root/tools/wine-sandbox" "$demo" "$@"; }
wine_() { sandbox --wine "$@"; }
reg_add() { wine_ reg add "HKCU\\$1" /v "$2" /t REG_SZ /d "$3" /f >/dev/null; }
show() {
  for key in "$@"; do
    echo "  HKCU\\$key"
    wine_ reg query "HKCU\\$key" 2>/dev/null | tr -d '\r' | grep -E '^\s+\S+\s+REG_' | sed 's/^ */    /' || true
  done
}

runmru='Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU'
docfind='Software\Microsoft\Windows\Currentversion\Explorer\Doc Find Spec MRU'
filesnamed='Software\Microsoft\Internet Explorer\Explorer Bars\{C4EE31F3-4768-11D2-BE5C-00A0C9A83DA1}\FilesNamedMRU'
typed='Software\Microsoft\Internet Explorer\TypedURLs'
forms='Software\Microsoft\Internet Explorer\IntelliForms\Storage1'

echo "== Fresh demo sandbox in $demo"
sandbox --init
prefix="$demo/prefix"
install="$prefix/drive_c/Program Files/Sweepora"
mkdir -p "$install"
cp "$root/build/bin/sweepora-cli.exe" "$root/build/bin/iea.exe" "$install/"
cli='C:\Program Files\Sweepora\sweepora-cli.exe'

echo "== Seeding traces"
reg_add "$runmru" a 'notepad C:\secret\plans.txt\1'
reg_add "$runmru" b 'regedit\1'
reg_add "$runmru" MRUList ba
reg_add "$docfind" a '*.doc'
reg_add "$docfind" MRUList a
reg_add "$filesnamed" 001 'salary review'
reg_add "$typed" url1 'http://www.bank.example/login'
reg_add "$typed" url2 'http://intranet.example/'
reg_add "$typed" url3 'http://news.example/'
reg_add "$forms" 0123ABCD 'saved form data'
temp=$(ls -d "$prefix"/drive_c/users/*/Temp | head -n 1)
mkdir -p "$temp/session/nested"
echo draft > "$temp/draft.tmp"
echo cache > "$temp/session/nested/cache.tmp"
echo hidden > "$temp/hidden.tmp"
wine_ attrib +h 'C:\users\'"$(basename "$(dirname "$temp")")"'\Temp\hidden.tmp' >/dev/null 2>&1 || true
printf 'http://intranet.example/\r\n' > "$install/SafeURLs.dat"
echo "  typed-URL safe list (SafeURLs.dat beside the program): http://intranet.example/"
show "$runmru" "$docfind" "$filesnamed" "$typed" "$forms"
echo "  temporary folder:"; (cd "$temp" && find . -type f | sed 's/^/    /')

echo
echo "== sweepora-cli preview"
wine_ "$cli" preview
echo
echo "== sweepora-cli clean --report C:\\report.txt"
wine_ "$cli" clean --report 'C:\report.txt'
echo
echo "== Left afterwards"
show "$runmru" "$docfind" "$filesnamed" "$typed" "$forms"
echo "  temporary folder (the hidden file is never touched):"; (cd "$temp" && find . | sed 's/^/    /')
echo
echo "== The saved report (C:\\report.txt)"
tr -d '\r' < "$prefix/drive_c/report.txt"
sandbox --stop
