#!/usr/bin/env bash
# Installs the Debian packages Brenwick builds, tests and benchmarks with, when any is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format git
  qt6-base-dev qt6-base-dev-tools libgl-dev libqt6svg6 qt6-svg-dev
  libssl-dev nlohmann-json3-dev libpng-dev zlib1g-dev libseccomp-dev libfontconfig-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-inter fonts-material-design-icons-iconfont
  xvfb xauth libglib2.0-bin
  locales
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
