#!/usr/bin/env bash
# Times `brenwick-bench scan` side by side with du, gdu, ncdu and the bare walker (bench/floor, the
# floor: getdents64 + statx on 8 threads, no tree) in turns on the benchmark tree (warm cache), what
# writing the tree's bytes to fresh memory alone takes, then Brenwick, gdu
# and the bare walker in turns on a cold cache (all caches dropped before every run; needs root),
# Brenwick's thread scaling and the 200,000-file folder alone, and prints the ratios.
# Usage: bench/compare-scan.sh [TREE]   (RUNS=n sets the warm runs per command, default 10;
# COLD_RUNS=n the cold runs, default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
tree="${1:-/tmp/brenwick-bench-tree}"
runs="${RUNS:-10}"
cold_runs="${COLD_RUNS:-5}"

bash bench/need-tools.sh gdu ncdu hyperfine python3

bash bench/make-tree.sh "$tree"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target brenwick-bench >/dev/null
bench="$PWD/build/release/bench/brenwick-bench"
floor="$PWD/build/release/bench/bare-walk"
cc -O2 -pthread -o "$floor" bench/floor/bare-walk.c
fresh="$PWD/build/release/bench/fresh-memory"
cc -O2 -pthread -o "$fresh" bench/floor/fresh-memory.c
out="$(mktemp -d)"

echo "== machine"
echo "cpus=$(nproc) cpu=\"$(lscpu | sed -n 's/^Model name: *//p')\" kernel=$(uname -r)" \
     "fs=$(findmnt -n -o FSTYPE --target "$tree") load=\"$(cut -d' ' -f1-3 /proc/loadavg)\""

# Warm the caches once; every timing below warms up again.
"$bench" scan "$tree" >/dev/null
du -s "$tree" >/dev/null

echo "== one Brenwick scan"
"$bench" scan "$tree"

echo "== whole tree, in turns"
# Round by round rather than one tool's runs after another's: other tenants' load comes and goes.
python3 bench/turns.py "$runs" "$out/tools.json" \
  brenwick="$bench scan $tree" \
  du="du -s $tree" \
  gdu="gdu -n -p $tree" \
  ncdu="ncdu -0 -o /dev/null $tree" \
  floor="$floor $tree 8"

echo "== fresh memory: the tree's bytes, first written on 8 threads (no walk)"
# What the tree itself adds to the walker's floor here: every page of it is new to the process.
scan_kib=$("$bench" scan "$tree" | tr ' ' '\n' | awk -F= '$1 == "peak_rss_kib" {p = $2} $1 == "base_rss_kib" {b = $2} END {print p - b}')
for _ in $(seq 5); do "$fresh" $((scan_kib / 1024)) 8; done

echo "== whole tree, cold cache"
# Dropping the page cache, dentries and inodes is the only honest cold start: every folder and inode
# is read from the disk again. Without root it cannot be done; the cold section is then left out.
# Brenwick, gdu and the bare walker take turns, round by round, so that other load on the machine falls
# on all alike.
drop() { sync && echo 3 > /proc/sys/vm/drop_caches; }
if drop 2>/dev/null; then
  for round in $(seq "$cold_runs"); do
    for tool in brenwick gdu floor; do
      cmd="$bench scan $tree"; [ "$tool" = gdu ] && cmd="gdu -n -p $tree"
      [ "$tool" = floor ] && cmd="$floor $tree 8"
      drop
      start=$(date +%s.%N); $cmd > "$out/cold-$tool.out"; end=$(date +%s.%N)
      echo "$tool $start $end" >> "$out/cold.times"
    done
    echo "round $round: $(tail -3 "$out/cold.times" | awk '{printf "%s %.3f s  ", $1, $3 - $2}')" \
         "workers=$(grep -o 'workers=[0-9]*' "$out/cold-brenwick.out" | cut -d= -f2)"
  done
  python3 - "$out/cold.times" > "$out/cold.json" <<'PY'
import json, statistics, sys
runs = {}
for line in open(sys.argv[1]):
    tool, start, end = line.split()
    runs.setdefault(tool, []).append(float(end) - float(start))
print(json.dumps({"results": [{"command": t, "median": statistics.median(v), "min": min(v)} for t, v in runs.items()]}))
for t, v in runs.items():
    print("%-8s median %.3f s, min %.3f s, max %.3f s" % (t, statistics.median(v), min(v), max(v)), file=sys.stderr)
PY
else
  echo "cannot drop the caches (not root?): no cold run"
  echo '{"results": []}' > "$out/cold.json"
fi

echo "== thread scaling"
hyperfine -N --warmup 1 --runs "$runs" --export-json "$out/threads.json" \
  --parameter-list threads 1,2,4,8 -n "brenwick {threads} threads" "$bench scan $tree --threads {threads}"

echo "== the 200,000-file folder"
hyperfine -N --warmup 2 --runs "$runs" --export-json "$out/big.json" \
  -n brenwick "$bench scan $tree/big" \
  -n gdu "gdu -n -p $tree/big"

echo "== ratios (median wall time; min in brackets: other load on the machine only adds time)"
python3 - "$out" <<'EOF'
import json, sys, os
def load(name):
    with open(os.path.join(sys.argv[1], name)) as f:
        return {r["command"]: (r["median"], r["min"]) for r in json.load(f)["results"]}
def ratio(a, b):
    return "%.3f [%.3f]" % (a[0] / b[0], a[1] / b[1])
tools, threads, big, cold = load("tools.json"), load("threads.json"), load("big.json"), load("cold.json")
b = tools["brenwick"]
print("brenwick / gdu    = %s  (target <= 0.32)" % ratio(b, tools["gdu"]))
print("brenwick / floor  = %s  (target <= 1.1)" % ratio(b, tools["floor"]))
if cold:
    print("cold: brenwick / gdu = %s  (target <= 0.45)" % ratio(cold["brenwick"], cold["gdu"]))
    print("cold: brenwick / floor = %s  (target <= 1.1)" % ratio(cold["brenwick"], cold["floor"]))
print("brenwick / du -s  = %s  (target <= 0.2)" % ratio(b, tools["du"]))
print("brenwick / ncdu   = %s" % ratio(b, tools["ncdu"]))
print("200k folder: brenwick / gdu = %s  (target <= 0.5)" % ratio(big["brenwick"], big["gdu"]))
t = {int(k.split()[1]): v for k, v in threads.items()}
for n in sorted(t)[1:]:
    print("speed-up 1 -> %d threads = %.2fx [%.2fx]" % (n, t[1][0] / t[n][0], t[1][1] / t[n][1]))
print("(target 1 -> 8 >= 5.5x)")
EOF
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
rm -rf "$out"
