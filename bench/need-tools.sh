#!/usr/bin/env bash
# Installs, from Debian, whatever the benchmark scripts need that is missing. Each argument is a command,
# or COMMAND=PACKAGE when the package has another name.
# Usage: bench/need-tools.sh gdu hyperfine fincore=util-linux ...
set -euo pipefail
packages=()
for wanted in "$@"; do
  command -v "${wanted%%=*}" >/dev/null || packages+=("${wanted#*=}")
done
[ ${#packages[@]} -eq 0 ] && exit 0
echo "Installing: ${packages[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${packages[@]}"
