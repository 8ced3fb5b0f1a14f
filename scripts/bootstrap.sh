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
  locales
  g++-mingw-w64-x86-64
  wine64
  qt6-base-dev
  qt6-charts-dev
  qt6-translations-l10n
  libqt6opengl6-dev
  libx11-dev
  fonts-dejavu-core
  xvfb
  xauth
  python3
  help2man
  librsvg2-bin
  dpkg-dev
  lintian
  bash-completion
  desktop-file-utils
  appstream
  shared-mime-info
  libglib2.0-bin
  man-db
  unzip
  nsis
)

# A Russian locale with its decimal comma, for the tests that prove the files keep
# their decimal point whatever the desktop's locale.
ensure_russian_locale() {
  if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
    echo "bootstrap: generating the ru_RU.UTF-8 locale"
    $sudo localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
  fi
}

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -ne 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update
  $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
ensure_russian_locale
