#!/usr/bin/env bash
# Fails when a C++ file differs from the repository's .clang-format. `clang-format -i FILE` fixes one.
set -euo pipefail
cd "$(dirname "$0")/.."
unformatted=$(git ls-files -- '*.cpp' '*.h' | xargs -r clang-format --dry-run --Werror 2>&1 | grep -o '^[^:]*\.\(cpp\|h\)' | sort -u || true)
if [ -n "$unformatted" ]; then
  echo "These files differ from .clang-format (run clang-format -i on them):"
  echo "$unformatted"
  exit 1
fi
