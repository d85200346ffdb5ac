#!/usr/bin/env bash
# Installs the Debian packages the program and its tests need; quick when
# they are all there already.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-connectivity-dev qt6-serialport-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  socat xvfb xauth
  openbox xdotool x11-utils
  dbus-daemon python3-dbusmock
  libhdf5-dev python3-mne python3-h5py
  dpkg-dev file desktop-file-utils appstream
)

# The BIDS tests run the validator from npm under Node: Debian's Node and npm
# unless the machine has its own.
command -v node >/dev/null || packages+=(nodejs)
command -v npm >/dev/null || packages+=(npm)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends "${missing[@]}"
fi
