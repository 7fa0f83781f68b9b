#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the test-input makers need (idempotent).
set -euo pipefail

PACKAGES=(
    cmake ninja-build g++ pkg-config ccache clang-format clang libclang-rt-14-dev
    libsdl2-dev libx11-dev libxtst6 libgl-dev libegl-dev libgl1-mesa-dri xvfb xauth
    libmpg123-dev libjpeg62-turbo-dev libmpeg2-4-dev libmeshoptimizer-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    lame mjpegtools locales
)

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive

if [ "${#missing[@]}" -ne 0 ]; then
    $SUDO apt-get update -q
    $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The number-format tests switch to a decimal-comma locale to prove numbers stay in the C locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    $SUDO locale-gen >/dev/null
fi
