#!/usr/bin/env bash
# Installs the Debian packages Snipster needs to build and test, only those that are missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libmpg123-dev   # decoding
  libsox-dev      # resampling and channel conversion
  libtag1-dev     # reading and writing tags
  libmp3lame-dev  # encoding (behind our encoder library)
  libsimpleini-dev  # the settings file
  libcli11-dev    # options of the command-line cutter
  qt6-base-dev    # the desktop program
  libgtest-dev libgmock-dev libbenchmark-dev  # tests and benchmarks
)
names=()
names=("${packages[@]}")

missing=()
for p in "${names[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
((${#missing[@]} == 0)) && exit 0

sudo=""
[[ $(id -u) -ne 0 ]] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
