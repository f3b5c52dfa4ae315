#!/usr/bin/env bash
# Checks for the Debian packages that the project builds with. As root it
# installs the missing ones; otherwise it prints the apt-get line to type.
set -euo pipefail

packages=(
  g++
  make
  cmake
  pkg-config
  libgtest-dev
  libgmock-dev
  libbenchmark-dev
  libxrl-dev
  libcli11-dev
  nlohmann-json3-dev
  qt6-base-dev
  qt6-l10n-tools
  fonts-ipafont-gothic
  xvfb
  xauth
  poppler-utils
  dpkg-dev
  file
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  echo "Installing missing packages: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
else
  echo "These Debian packages are missing: ${missing[*]}"
  echo "Install them with:"
  echo "  sudo apt-get install ${missing[*]}"
  exit 1
fi
