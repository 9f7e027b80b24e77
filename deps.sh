#!/usr/bin/env bash
# Installs the Debian packages the editor needs (only what is missing).
#   ./deps.sh          what building and running the editor need (./run.sh)
#   ./deps.sh --tests  that and what only the tests and benchmarks need (./test.sh)
set -euo pipefail

# Building and running: the compiler and build tools, Qt and the libraries the program links,
# and dpkg-dev, whose dpkg-shlibdeps gives the Debian package its Depends.
build_packages=(
  cmake g++ make pkg-config dpkg-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev libjpeg62-turbo-dev
  libxml2-dev libtag1-dev libcurl4-openssl-dev qtkeychain-qt6-dev
)

# Only the tests and benchmarks: test frameworks, the fuzzer's compiler, the engines the
# benchmarks compare against, the servers the publishing tests start, the command-line clients
# the upload benchmark races (lftp, curl), and the tools that check and install the Debian package.
test_packages=(
  libgtest-dev libgmock-dev
  clang libclang-rt-14-dev
  libpugixml-dev libtinyxml2-dev
  rclone python3-pyftpdlib python3-openssl openssl openssh-client openssh-server
  lftp curl
  lintian desktop-file-utils appstream man-db
  python3-feedparser
)

packages=("${build_packages[@]}")
case "${1:-}" in
  "") ;;
  --tests) packages+=("${test_packages[@]}") ;;
  *) echo "usage: $0 [--tests]" >&2; exit 2 ;;
esac

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
