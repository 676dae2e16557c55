#!/usr/bin/env bash
# Installs what building, running and testing need on a Debian machine.
# Idempotent and silent when everything is already there.
set -euo pipefail

# libqt6svg6 carries Qt's SVG icon and image plugins, which draw the toolbar glyphs.
# poppler-utils (pdfinfo, pdftotext) lets the print tests read the PDF files they print.
# libssl-dev, zlib1g-dev and libxxhash-dev carry the checksum and hash libraries.
packages=(g++ make cmake qt6-base-dev libqt6svg6 libgl-dev fonts-liberation fontconfig
          libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth poppler-utils
          libssl-dev zlib1g-dev libxxhash-dev)
# `make fuzz` also wants clang and its libFuzzer runtime.
if [ "${1:-}" = fuzz ]; then
  packages+=(clang libclang-rt-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if ! command -v apt-get >/dev/null 2>&1; then
  echo "Missing packages: ${missing[*]}; this script needs apt-get (Debian or Ubuntu)." >&2
  exit 1
fi
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null 2>&1 || { echo "Installing ${missing[*]} needs root or sudo." >&2; exit 1; }
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
