#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs to build and test. Quick
# and silent when everything is already there. Needs root (or sudo) only when
# something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libudev-dev libjsoncpp-dev
  googletest libgtest-dev libgmock-dev
  qt6-base-dev qt6-tools-dev qt6-svg-dev libqt6opengl6-dev qt6-l10n-tools
  libqt6svg6 qt6-qpa-plugins python3 xvfb xauth xdotool
  qemu-system-x86 linux-image-amd64 busybox-static
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  if command -v sudo >/dev/null; then
    sudo=(sudo)
  else
    echo "error: missing packages (${missing[*]}) and not root; install them or run as root" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
