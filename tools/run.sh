#!/usr/bin/env bash
# Installs the dependencies, builds the program, its tools and benchmarks (optimised), and runs the program on the
# sample data set; arguments go to the program (--windowed). The program writes its options, scenario progress,
# save games and logs into $XDG_DATA_HOME/tidewell (~/.local/share/tidewell). Close the window to quit.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash tools/install-deps.sh

export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1
build="$root/build/run"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTW_BUILD_TESTS=OFF -DTW_BUILD_BENCH=ON
cmake --build "$build" -j "$(nproc)"

exec "$build/game/tidewell" "$@" "$root/sample-data"
