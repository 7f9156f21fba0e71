#!/usr/bin/env bash
# Installs every Debian package the client, its tests and its benchmarks need.
# Does nothing when all of them are already present. Run as root or through sudo.
set -euo pipefail

PACKAGES=(
  # toolchain
  build-essential cmake ninja-build pkg-config
  # libraries the client links
  libcurl4-openssl-dev libh2o-evloop-dev libssl-dev libtinyxml-dev libjsoncpp-dev
  libpng-dev zlib1g-dev libsigc++-3.0-dev
  libgtk-3-dev libayatana-appindicator3-dev libwebkit2gtk-4.1-dev
  # fonts for the skin's Chinese and Latin texts
  fonts-noto-cjk fonts-dejavu-core fontconfig
  # tests
  googletest libgtest-dev libgmock-dev xvfb xauth dbus-x11 python3 procps
  # real mouse input for the window tests (XTEST)
  libxtst-dev
  # benchmarks
  nginx wrk hyperfine curl iproute2 time
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
