#!/usr/bin/env bash
# Installs the dependencies, builds every test and runs them all headless.
# Usage: tools/test.sh [asan|debug|release|all]   (default asan: AddressSanitizer + UBSan, as CI runs it)
# The asan flavour also runs every fuzz target for a few seconds (TW_FUZZ_SECONDS, default 3; 0 skips), seeded
# with the files its tests wrote; every flavour replays the fuzz targets' regression inputs (tests/data/regress/).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

flavour="${1:-asan}"
case "$flavour" in
    asan | debug | release) flavours=("$flavour") ;;
    all) flavours=(asan debug release) ;;
    *)
        echo "usage: tools/test.sh [asan|debug|release|all]" >&2
        exit 2
        ;;
esac

bash tools/install-deps.sh

export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1
export SDL_VIDEODRIVER=offscreen
export SDL_AUDIODRIVER=dummy
export LIBGL_ALWAYS_SOFTWARE=1
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=0:halt_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# A clone without the shared folder beside it runs without the corpus of real files: say so once.
corpus="${TW_CORPUS_DIR:-$root/../shared/corpus}"
if [[ ! -d "$corpus" ]]; then
    echo "test.sh: no shared corpus at $corpus (TW_CORPUS_DIR): the tests that read it are skipped and the fuzz" \
        "targets run without its files" >&2
    export TW_CORPUS_NOTED=1
fi

for f in "${flavours[@]}"; do
    case "$f" in
        asan) options=(-DCMAKE_BUILD_TYPE=Debug -DTW_SANITIZE=ON) ;;
        debug) options=(-DCMAKE_BUILD_TYPE=Debug -DTW_SANITIZE=OFF) ;;
        release) options=(-DCMAKE_BUILD_TYPE=Release -DTW_SANITIZE=OFF) ;;
    esac
    build="$root/build/$f"
    cmake -S . -B "$build" -G Ninja "${options[@]}" -DTW_BUILD_TESTS=ON -DTW_BUILD_BENCH=OFF
    cmake --build "$build" -j "$(nproc)"
    if [[ "$f" == asan ]]; then
        rm -rf "$root/build/fuzz-seeds" && mkdir -p "$root/build/fuzz-seeds"
        TW_FUZZ_SEEDS="$root/build/fuzz-seeds" ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 300
        if [[ "${TW_FUZZ_SECONDS:-3}" != 0 ]]; then
            TW_FUZZ_JOBS="$(nproc)" bash tools/fuzz.sh "${TW_FUZZ_SECONDS:-3}"
        fi
    else
        ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 300
    fi
done
