#!/usr/bin/env bash
# Makes the sample data set from its plain sources in sample-data/src/.
#
# - Scripts: every file under sample-data/src/data/ is the plain text of a file the game reads scrambled: it is
#   written, every byte inverted by the blefile tool, to the same path under sample-data/ with its extension replaced
#   by ".ble" (sample-data/src/data/script/mrvbuildings.pis becomes sample-data/data/script/mrvbuildings.ble).
# - Models: each text under sample-data/src/models/ listed below is written as a .tm model by tmtool.
# Files the game reads plain live directly under sample-data/ and are not touched. Edit the sources, run this,
# commit both; the sample-data tests check that the made files match their sources.
#
# Usage: tools/make-sample-data.sh [build-dir]   (default build/tools; the tools are built there if needed)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build/tools}"

export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTW_BUILD_TESTS=OFF -DTW_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" --target blefile tmtool >/dev/null
blefile="$build/tools/blefile"
tmtool="$build/tools/tmtool/tmtool"

src="$root/sample-data/src"
count=0
while IFS= read -r -d '' plain; do
    relative="${plain#"$src"/}"
    scrambled="$root/sample-data/${relative%.*}.ble"
    mkdir -p "$(dirname "$scrambled")"
    "$blefile" encode "$plain" "$scrambled"
    count=$((count + 1))
done < <(find "$src/data" -type f -print0 | sort -z)
echo "make-sample-data: $count scrambled files written under sample-data/"

# Model source text and the model made from it, one pair a line, separated by "|".
models=0
while IFS='|' read -r source target; do
    [ -n "$source" ] || continue
    mkdir -p "$(dirname "$root/sample-data/$target")"
    "$tmtool" write "$src/models/$source" "$root/sample-data/$target"
    models=$((models + 1))
done <<'LIST'
Alert.txt|gamedata/gameart/TM Files/test/Alert.tm
LIST
echo "make-sample-data: $models models written under sample-data/"
