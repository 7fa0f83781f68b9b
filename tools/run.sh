#!/usr/bin/env bash
# Installs the dependencies, builds the program, its tools and benchmarks (optimised), and runs the program.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash tools/install-deps.sh

export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1
build="$root/build/run"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTW_BUILD_TESTS=OFF -DTW_BUILD_BENCH=ON
cmake --build "$build" -j "$(nproc)"

if [ -x "$build/game/tidewell" ]; then
    cd "$root/sample-data"
    exec "$build/game/tidewell" "$@"
fi
echo "Built everything in $build; the program itself does not exist yet."
