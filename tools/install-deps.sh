#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the test-input makers need (idempotent).
set -euo pipefail

PACKAGES=(
    cmake ninja-build g++ pkg-config ccache clang-format
    libsdl2-dev libgl-dev libegl-dev libgl1-mesa-dri xvfb xauth
    libmpg123-dev libjpeg62-turbo-dev libmpeg2-4-dev libmeshoptimizer-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    lame mjpegtools
)

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -eq 0 ]; then
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
