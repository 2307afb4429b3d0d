#!/usr/bin/env bash
# Builds the benchmark tree (1,000,000 files in 50,050 folders, plus one folder of 200,000 files)
# at PATH (default /tmp/brenwick-bench-tree). Reuses a complete tree from an earlier run.
# SCALE=n builds n times as many top folders and files in big/ (SCALE=4: about 5 million entries).
set -euo pipefail
tree="${1:-/tmp/brenwick-bench-tree}"
scale="${SCALE:-1}"
stamp="$tree.complete-v1" # beside the tree, so it is not scanned
[ "$scale" = 1 ] || stamp="$tree.complete-v1-x$scale"
if [ -e "$stamp" ]; then
  echo "Benchmark tree already at $tree"
  exit 0
fi
# Another scale of tree at this path is no longer complete once it is removed.
rm -f "$tree".complete-v1*
rm -rf "$tree"
mkdir -p "$tree"
echo "Writing the benchmark tree at $tree (about 1.25 million entries times $scale) ..."
start=$(date +%s)
python3 "$(dirname "$0")/make_tree.py" "$tree" "$scale"
touch "$stamp"
echo "Done in $(( $(date +%s) - start )) s."
