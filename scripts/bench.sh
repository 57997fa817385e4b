#!/usr/bin/env bash
# Eradication benchmarks: our figures under Wine beside shred and rm on the host, on the
# same sizes and the same disk (both work inside build/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
command -v shred >/dev/null || { echo "shred (coreutils) is needed" >&2; exit 1; }
"$root/scripts/build.sh" x86_64 >/dev/null
sandbox="$root/build/bench-sandbox"
host="$root/build/bench-host"

median() { sort -g | sed -n 2p; }
seconds() { local s e; s=$(date +%s.%N); "$@"; e=$(date +%s.%N); calc "$e - $s"; }
calc() { awk "BEGIN { print $1 }"; }
# Builtins only: 10 000 pipelines would take longer than the figures they feed.
small=$(printf "s%.0s" $(seq 1000))
make_tree() {
  mkdir -p "$1"
  for d in $(seq 0 99); do
    mkdir -p "$1/d$d"
    for f in $(seq 0 99); do printf '%s' "$small" > "$1/d$d/f$f.txt"; done
  done
}
shred_tree() { find "$1" -type f -exec shred -n 7 -u {} +; rm -rf "$1"; }

"$root/tools/wine-sandbox" "$sandbox" --init
ours=$("$root/tools/wine-sandbox" "$sandbox" "$root/build/bin/sweepora-bench.exe" | tr -d '\r')
"$root/tools/wine-sandbox" "$sandbox" --stop
echo "$ours"
figure() { awk -v n="$1" '$1 == n { print $2 }' <<<"$ours"; }

rm -rf "$host"; mkdir -p "$host"
shred_s=$(for i in 1 2 3; do head -c $((64 << 20)) /dev/urandom > "$host/big.bin"; seconds shred -n 7 -u "$host/big.bin"; done | median)
rm_s=$(for i in 1 2 3; do make_tree "$host/tree"; seconds rm -rf "$host/tree"; done | median)
shred_tree_s=$(for i in 1 2 3; do make_tree "$host/tree"; seconds shred_tree "$host/tree"; done | median)
rm -rf "$host"

shred_mbs=$(calc "64 * 7 / $shred_s")
rm_fps=$(calc "10000 / $rm_s")
shred_fps=$(calc "10000 / $shred_tree_s")
printf 'host-shred-64MiB-7 %.1f MB/s\n' "$shred_mbs"
printf 'host-rm-10k %.1f files/s\n' "$rm_fps"
printf 'host-shred-10k-7 %.1f files/s\n' "$shred_fps"
printf 'ratio eradicate-64MiB-7/shred %.2f (target 1.0)\n' "$(calc "$(figure eradicate-64MiB-7) / $shred_mbs")"
printf 'ratio walk-10k-level0/rm %.2f (target 0.5)\n' "$(calc "$(figure walk-10k-level0) / $rm_fps")"
printf 'ratio walk-10k-level7/shred %.2f (target 1.0)\n' "$(calc "$(figure walk-10k-level7) / $shred_fps")"
