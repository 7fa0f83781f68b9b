#!/usr/bin/env bash
# Installs the dependencies, builds the program, its tools and benchmarks (optimised), and runs the program with
# the sample data set as its working folder. The program writes its options (MRV2.ini), scenario progress (sp.bin)
# and save games (SaveGames/) there; sample-data/.gitignore keeps them out of the tree. Close the window to quit.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash tools/install-deps.sh

export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1
build="$root/build/run"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTW_BUILD_TESTS=OFF -DTW_BUILD_BENCH=ON
cmake --build "$build" -j "$(nproc)"

cd "$root/sample-data"
exec "$build/game/tidewell" "$@"
