#!/usr/bin/env bash
# Installs every Debian package that building, running and testing ecuprobe need.
# Idempotent: asks apt only for what is missing. Works as root on a bare Debian 12.
set -euo pipefail

packages=(
  build-essential
  cmake
  ninja-build
  pkg-config
  googletest
  libgtest-dev
  libgmock-dev
  libcli11-dev
  clang
  libclang-rt-14-dev
  qt6-base-dev
  qt6-charts-dev
  libqt6opengl6-dev
  libx11-dev
  fonts-dejavu-core
  xvfb
  xauth
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "bootstrap: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
