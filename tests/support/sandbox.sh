# Sourced by the scripts that run sweepora-cli over real profiles in a Wine prefix.

# The prefix's user: the folder under drive_c\users that is not Public.
prefix_user() { # prefix_user PREFIX
  local folder
  for folder in "$1"/drive_c/users/*/; do
    folder=$(basename "$folder")
    [ "$folder" = Public ] || { echo "$folder"; return 0; }
  done
}

# A .reg file's text that ticks the named erase boxes and clears every other one.
erase_settings() { # erase_settings BOX...
  local box on name
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Sweepora\\EraseSettings]\n'
  for box in NetHistory IETempFiles NetCookies NetVisitedUrls NetTypedUrls IndexDatFiles IEAutoComplete \
      IEAutoPass RecentDocs RecBin Clipboard EmailHistory CustomDirs RunHistory FileFind TempFiles; do
    on=0
    for name in "$@"; do [ "$name" = "$box" ] && on=1; done
    printf '"%s"="%s"\n' "$box" "$on"
  done
}
