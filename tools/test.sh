#!/usr/bin/env bash
# Installs the dependencies, builds every test with AddressSanitizer and UBSan, and runs them all headless.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash tools/install-deps.sh

export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1
build="$root/build/asan"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTW_SANITIZE=ON -DTW_BUILD_TESTS=ON -DTW_BUILD_BENCH=OFF
cmake --build "$build" -j "$(nproc)"

export SDL_VIDEODRIVER=offscreen
export SDL_AUDIODRIVER=dummy
export LIBGL_ALWAYS_SOFTWARE=1
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=0:halt_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 300
