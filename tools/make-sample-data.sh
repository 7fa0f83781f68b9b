#!/usr/bin/env bash
# Makes the scrambled files of the sample data set from their plain sources.
#
# Every file under sample-data/src/ is the plain text of a file the game reads scrambled: it is written, every byte
# inverted by the blefile tool, to the same path under sample-data/ with its extension replaced by ".ble"
# (sample-data/src/data/script/mrvbuildings.pis becomes sample-data/data/script/mrvbuildings.ble). Files the game
# reads plain live directly under sample-data/ and are not touched. Edit the sources, run this, commit both.
#
# Usage: tools/make-sample-data.sh [build-dir]   (default build/tools; the blefile tool is built there if needed)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/tools}"

export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTW_BUILD_TESTS=OFF -DTW_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" --target blefile >/dev/null
blefile="$build/tools/blefile"

src="$root/sample-data/src"
count=0
while IFS= read -r -d '' plain; do
    relative="${plain#"$src"/}"
    scrambled="$root/sample-data/${relative%.*}.ble"
    mkdir -p "$(dirname "$scrambled")"
    "$blefile" encode "$plain" "$scrambled"
    count=$((count + 1))
done < <(find "$src" -type f -print0 | sort -z)
echo "make-sample-data: $count scrambled files written under sample-data/"
