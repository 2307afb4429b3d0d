#!/usr/bin/env bash
# Memory a scan adds per entry (`scan_bytes_per_entry` of `brenwick-bench scan`) at the default worker
# count, 8 and 64 workers, ROUNDS times each (default 3), over each FOLDER (default: the benchmark
# tree and /usr), with the load average before every run. Release build.
# Usage: bench/compare-memory.sh [FOLDER...]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds="${ROUNDS:-3}"
folders=("$@")
[ $# -gt 0 ] || folders=(/tmp/brenwick-bench-tree /usr)
[ $# -gt 0 ] || bash bench/make-tree.sh >/dev/null
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target brenwick-bench >/dev/null
bench="$PWD/build/release/bench/brenwick-bench"
for folder in "${folders[@]}"; do
  "$bench" scan "$folder" >/dev/null # warm the cache
  for threads in 0 8 64; do
    for _ in $(seq "$rounds"); do
      load="$(cut -d' ' -f1 /proc/loadavg)"
      line="$("$bench" scan "$folder" --threads "$threads")"
      echo "folder=$folder threads=$threads load=$load $(echo "$line" | tr ' ' '\n' |
        grep -E '^(entries|seconds|peak_rss_kib|base_rss_kib|scan_bytes_per_entry|workers)=' | tr '\n' ' ')"
    done
  done
done
