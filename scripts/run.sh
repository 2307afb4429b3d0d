#!/usr/bin/env bash
# Builds Brenwick (release) and starts it. Usage: scripts/run.sh [extra app arguments]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target brenwick
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting Brenwick under xvfb-run (a virtual display)."
  exec xvfb-run -a -s "-screen 0 1920x1200x24" build/release/app/brenwick "$@"
fi
exec build/release/app/brenwick "$@"
