#!/usr/bin/env bash
# Times Brenwick's start with a scan: from launching `BRENWICK_SCAN=FOLDER brenwick` to its first
# picture of the scanned tree on the screen, in turns with `brenwick-bench scan FOLDER` (the bare
# scan), on the benchmark tree and on /usr (warm cache), and prints the ratios. The application says
# when the picture went to the screen (BRENWICK_REPORT_FIRST_PICTURE); the script runs its own Xvfb
# and saves a screenshot taken right after the first round's line, to check that the picture is there.
# Usage: bench/compare-startup.sh [TREE [FOLDER...]]   (ROUNDS=n rounds per folder, default 10)
# BASE=/path/to/other/brenwick also times that build in the same rounds, in turns, for an A/B.
set -euo pipefail
cd "$(dirname "$0")/.."
tree="${1:-/tmp/brenwick-bench-tree}"
shift || true
folders=("$tree" "${@:-/usr}")
rounds="${ROUNDS:-10}"

bash bench/need-tools.sh Xvfb=xvfb xwd=x11-apps xwdtopnm=netpbm pnmtopng=netpbm python3
bash bench/make-tree.sh "$tree" >/dev/null
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target brenwick brenwick-bench >/dev/null
app="$PWD/build/release/app/brenwick"
bench="$PWD/build/release/bench/brenwick-bench"
base="${BASE:-}"
out="$(mktemp -d)"

# A display of our own, and settings of our own (no stored theme or recent scans carried in).
display=":$((100 + $$ % 800))"
Xvfb "$display" -screen 0 1920x1200x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY="$display"
for _ in $(seq 100); do xwd -root -silent >/dev/null 2>&1 && break; sleep 0.05; done
export XDG_CONFIG_HOME="$out/config" XDG_DATA_HOME="$out/data" XDG_CACHE_HOME="$out/cache"
unset BRENWICK_MODE

echo "== machine"
echo "cpus=$(nproc) cpu=\"$(lscpu | sed -n 's/^Model name: *//p')\" kernel=$(uname -r)" \
     "load=\"$(cut -d' ' -f1-3 /proc/loadavg)\""

# One start: launches the application, waits for its line, optionally takes a screenshot, ends it.
# Appends "KIND FOLDER launch_ns main_ns scanned_ns picture_ns" to $out/times (KIND: picture, or
# base for the BASE build).
fifo="$out/fifo"
mkfifo "$fifo"
picture() {
  local folder="$1" shot="${2:-}" binary="${3:-$app}" kind="${4:-picture}" launch line
  launch="${EPOCHREALTIME/./}000"
  BRENWICK_SCAN="$folder" BRENWICK_REPORT_FIRST_PICTURE=1 "$binary" >"$fifo" 2>>"$out/app.err" &
  local pid=$!
  if ! read -r -t 120 line <"$fifo"; then
    echo "no first picture from $folder (see $out/app.err)" >&2
    kill "$pid" 2>/dev/null || true
    exit 1
  fi
  [ -n "$shot" ] && xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >"$shot"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  line="${line#first_picture }"
  echo "$kind $folder $launch $(echo "$line" | tr ' ' '\n' | cut -d= -f2 | tr '\n' ' ')" >>"$out/times"
}
# The bare scan: `seconds` is the scan call alone; the process's wall time is kept beside it.
bare() {
  local folder="$1" start line end
  start="${EPOCHREALTIME/./}"
  line="$("$bench" scan "$folder")"
  end="${EPOCHREALTIME/./}"
  echo "bare $folder $start $end $(echo "$line" | grep -o 'seconds=[0-9.]*' | head -1 | cut -d= -f2)" \
    >>"$out/times"
}

for folder in "${folders[@]}"; do
  # Warm the caches, and the application's own files.
  "$bench" scan "$folder" >/dev/null
  "$bench" scan "$folder" >/dev/null
  picture "$folder"
  [ -n "$base" ] && picture "$folder" "" "$base" base
  : >"$out/times"
  shot="$out/first-picture-$(basename "$folder").png"
  for round in $(seq "$rounds"); do
    # The order within a round alternates, so that neither build always runs right after the bare scan.
    if [ -n "$base" ] && [ $((round % 2)) = 0 ]; then picture "$folder" "" "$base" base; fi
    picture "$folder" "$([ "$round" = 1 ] && echo "$shot")"
    if [ -n "$base" ] && [ $((round % 2)) = 1 ]; then picture "$folder" "" "$base" base; fi
    bare "$folder"
    echo "$(basename "$folder") round $round: $(tail -"$([ -n "$base" ] && echo 3 || echo 2)" "$out/times" | awk '
      $1 == "picture" { printf "first picture %.1f ms  ", ($6 - $3) / 1e6 }
      $1 == "base" { printf "base %.1f ms  ", ($6 - $3) / 1e6 }
      $1 == "bare" { printf "bare scan %.1f ms (process %.1f ms)", $5 * 1000, ($4 - $3) / 1000 }')"
  done
  echo "screenshot right after round 1's line: $shot"
  cp "$out/times" "$out/times-$(basename "$folder")"
done
echo "load at the end=\"$(cut -d' ' -f1-3 /proc/loadavg)\""

echo "== ratios (medians over $rounds rounds)"
python3 - "$out" "${folders[@]}" <<'PY'
import statistics, sys, os
out, folders = sys.argv[1], sys.argv[2:]
for folder in folders:
    pictures, bases, bares, walls, rows = [], [], [], [], []
    for line in open(os.path.join(out, "times-" + os.path.basename(folder))):
        f = line.split()
        if f[0] == "base":
            bases.append((int(f[5]) - int(f[2])) / 1e6)
        elif f[0] == "picture":
            launch, main, scanned, picture = (int(x) / 1e6 for x in f[2:6])
            pictures.append(picture - launch)
            rows.append((main - launch, scanned - main, picture - scanned))
        else:
            walls.append((int(f[3]) - int(f[2])) / 1e3)
            bares.append(float(f[4]) * 1e3)
    med = statistics.median
    ratios = [p / b for p, b in zip(pictures, bares)]
    print(f"{folder}: first picture {med(pictures):.1f} ms (min {min(pictures):.1f}), "
          f"bare scan {med(bares):.1f} ms (process {med(walls):.1f} ms); "
          f"ratio {med(pictures) / med(bares):.2f}x (rounds {min(ratios):.2f} - {max(ratios):.2f}), "
          f"{med(pictures) / med(walls):.2f}x the bare scan's process")
    if bases:
        base_ratios = [p / b for p, b in zip(bases, bares)]
        print(f"  BASE: first picture {med(bases):.1f} ms (min {min(bases):.1f}); "
              f"ratio {med(bases) / med(bares):.2f}x (rounds {min(base_ratios):.2f} - {max(base_ratios):.2f})")
    print(f"  launch to main {med(r[0] for r in rows):.1f} ms, main to the scan published "
          f"{med(r[1] for r in rows):.1f} ms, published to the picture on the screen "
          f"{med(r[2] for r in rows):.1f} ms")
PY
