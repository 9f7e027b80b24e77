#!/usr/bin/env bash
# Installs the Debian packages the editor, its tests and its benchmarks need (only what is missing).
set -euo pipefail
packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libjpeg62-turbo-dev
  libgtest-dev libgmock-dev
  clang libclang-rt-14-dev
  libpugixml-dev libtinyxml2-dev libxml2-dev
  libtag1-dev libcurl4-openssl-dev qtkeychain-qt6-dev
  rclone python3-pyftpdlib python3-openssl openssl openssh-client openssh-server
  python3-feedparser
)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
