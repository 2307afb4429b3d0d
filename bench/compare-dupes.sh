#!/usr/bin/env bash
# Times the duplicate search over a folder (default /usr) side by side with jdupes, checks that both
# find the same groups, and measures what the search does to the page cache, with fincore before and
# after: cold (caches dropped first; needs root), what each search leaves cached of the group files and
# of every file of the folder; warm (the group files cached first, as another program reading them
# would), what stays of them after two searches. BASE=/path/to/another/brenwick-bench runs that build
# side by side with this one.
# Usage: bench/compare-dupes.sh [FOLDER]   (RUNS=n sets hyperfine's runs per command, default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
folder="${1:-/usr}"
runs="${RUNS:-5}"
base="${BASE:-}"

bash bench/need-tools.sh jdupes hyperfine python3 bc fincore=util-linux

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target brenwick-bench >/dev/null
bench="$PWD/build/release/bench/brenwick-bench"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

echo "== machine"
echo "cpus=$(nproc) cpu=\"$(lscpu | sed -n 's/^Model name: *//p')\" kernel=$(uname -r)" \
     "fs=$(findmnt -n -o FSTYPE --target "$folder") load=\"$(cut -d' ' -f1-3 /proc/loadavg)\""

echo "== the same groups as jdupes"
"$bench" dupes "$folder" --list "$out/brenwick.txt"
jdupes -r -q "$folder" > "$out/jdupes.txt" || true
python3 - "$out/brenwick.txt" "$out/jdupes.txt" <<'PY'
import sys
def groups(name):
    with open(name, "rb") as f:
        return {frozenset(p for p in g.split(b"\n") if p) for g in f.read().split(b"\n\n") if g.strip()}
ours, theirs = groups(sys.argv[1]), groups(sys.argv[2])
files = sum(len(g) for g in ours)
print("brenwick %d groups (%d files), jdupes %d groups: %s" %
      (len(ours), files, len(theirs), "the same" if ours == theirs else "DIFFERENT"))
PY

echo "== whole search, warm cache (scan included for Brenwick)"
extra=()
[ -n "$base" ] && extra=(-n base "$base dupes $folder")
hyperfine -N --warmup 1 --runs "$runs" --export-json "$out/warm.json" \
  -n brenwick "$bench dupes $folder" -n jdupes "jdupes -r -q $folder" "${extra[@]}"
python3 - "$out/warm.json" <<'PY'
import json, sys
r = {x["command"]: (x["median"], x["min"]) for x in json.load(open(sys.argv[1]))["results"]}
b, j = r["brenwick"], r["jdupes"]
print("brenwick / jdupes = %.3f [%.3f]  (median [min]; target <= 0.2)" % (b[0] / j[0], b[1] / j[1]))
PY

cached() { # cached bytes of the files listed (NUL-separated) in $1
  xargs -0 -r fincore --bytes --noheadings --raw --output RES < "$1" |
    awk '{s += $1} END {printf "%.1f MB", s / 1e6}'
}
grep -v '^$' "$out/brenwick.txt" | tr '\n' '\0' > "$out/groups0"
find "$folder" -xdev -type f -print0 > "$out/all0"
searcher() { # the command line of a search by $1
  case "$1" in
    brenwick) echo "$bench dupes $folder" ;;
    base) echo "$base dupes $folder" ;;
    jdupes) echo "jdupes -r -q $folder" ;;
  esac
}

echo "== page cache, cold: caches dropped before each search, the tools in turns"
if [ -w /proc/sys/vm/drop_caches ]; then
  for name in brenwick jdupes ${base:+base}; do
    sync; echo 3 > /proc/sys/vm/drop_caches
    before_groups=$(cached "$out/groups0"); before_all=$(cached "$out/all0")
    start=$(date +%s.%N)
    $(searcher "$name") > /dev/null 2>&1 || true
    seconds=$(printf "%.2f" "$(echo "$(date +%s.%N) - $start" | bc)")
    echo "$name: $seconds s; group files cached $before_groups -> $(cached "$out/groups0");" \
         "all files of $folder $before_all -> $(cached "$out/all0")"
  done
else
  echo "skipped: dropping the caches needs root"
fi

echo "== page cache, warm: the group files cached first, then two searches"
for name in brenwick ${base:+base}; do
  xargs -0 cat < "$out/groups0" > /dev/null
  echo "$name: group files cached before: $(cached "$out/groups0")"
  for search in 1 2; do
    line=$($(searcher "$name") 2>&1 >/dev/null)
    echo "$name: search $search: $(echo "$line" | grep -oE '(full_seconds|partial_seconds)=[0-9.]+' | tr '\n' ' ')" \
         "cached after: $(cached "$out/groups0")"
  done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
