#!/usr/bin/env bash
# Installs what the build needs with apt-get when it is missing, or prints the
# one line to run. Usage: tools/ensure-deps.sh [extra Debian packages...]
set -euo pipefail

packages=(g++ cmake ninja-build make pkg-config libfreeimage-dev libtiff-dev libjpeg-dev libgtest-dev "$@")
missing=()
for pkg in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed'; then
        missing+=("$pkg")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

line="apt-get update && apt-get install -y ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    sudo=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
    sudo=(sudo)
else
    echo "Missing packages: ${missing[*]}" >&2
    echo "Install them with:  sudo sh -c '$line'" >&2
    exit 1
fi
echo "Installing missing packages: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
