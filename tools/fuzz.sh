#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while, printing what every run found.
# Usage: tools/fuzz.sh [seconds] [target...]   (default 60 seconds each, every target)
#        tools/fuzz.sh --seeds                 (writes the input files the unit tests make into build/fuzz-seeds)
# Environment: TW_FUZZ_JOBS targets run at once (default 1); TW_CORPUS_DIR the shared corpus (default
# ../shared/corpus beside the project), read in place; TW_FUZZ_BUILD the build folder (default build/fuzz).
# Each target keeps what it learns in build/fuzz/run/<target>/corpus and what it finds in .../artifacts.
set -euo pipefail

# Everything is in one function, read whole before it runs, so editing this file never disturbs a run.
main() {
    root="$(cd "$(dirname "$0")/.." && pwd)"
    cd "$root"
    export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
    seeds="$root/build/fuzz-seeds"

    if [[ "${1:-}" == "--seeds" ]]; then
        # The asan test build, run with TW_FUZZ_SEEDS set: every file a test writes is copied there too.
        cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTW_SANITIZE=ON -DTW_BUILD_TESTS=ON >/dev/null
        cmake --build build/asan -j "${TW_BUILD_JOBS:-3}"
        rm -rf "$seeds" && mkdir -p "$seeds"
        export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1
        export ASAN_OPTIONS="detect_leaks=0:halt_on_error=1" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
        TW_FUZZ_SEEDS="$seeds" ctest --test-dir build/asan -j "${TW_BUILD_JOBS:-3}" --timeout 300 >/dev/null || true
        echo "$(find "$seeds" -type f | wc -l) seed files in $seeds"
        exit 0
    fi

    seconds="${1:-60}"
    shift || true
    build="${TW_FUZZ_BUILD:-$root/build/fuzz}"
    corpus="${TW_CORPUS_DIR:-$root/../shared/corpus}"
    jobs="${TW_FUZZ_JOBS:-1}"

    CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTW_FUZZ=ON \
        -DTW_BUILD_TESTS=OFF -DTW_BUILD_BENCH=OFF >/dev/null
    cmake --build "$build" -j "${TW_BUILD_JOBS:-$(nproc)}" --target fuzz_all >/dev/null

    targets=("$@")
    if [[ ${#targets[@]} -eq 0 ]]; then
        mapfile -t targets < <(cut -d'|' -f1 "$build/fuzz_targets.txt")
    fi

    # run_target name: one timed run; writes its summary line to run/<name>/summary.
    run_target() {
        local name="$1" line dict patterns folder
        line="$(grep "^$name|" "$build/fuzz_targets.txt")" || { echo "no fuzz target $name" >&2; return 1; }
        IFS='|' read -r _ dict patterns folder <<<"$line"
        local dir="$build/run/$name"
        rm -rf "$dir/seeds"
        mkdir -p "$dir/corpus" "$dir/artifacts" "$dir/seeds" "$dir/found"
        # What earlier runs found is kept aside; this run's summary counts only its own finds.
        find "$dir/artifacts" -type f -exec mv -t "$dir/found" {} + 2>/dev/null || true
        # One allocation of more than 256 MiB counts as out-of-memory: no input of the sizes fuzzed here needs it.
        local args=(-max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -malloc_limit_mb=256 -print_final_stats=1
            -artifact_prefix="$dir/artifacts/" "$dir/corpus")
        [[ -n "$dict" ]] && args=(-dict="$root/fuzz/dict/$dict" "${args[@]}")
        # Seeds: the files the tests wrote whose names match the target's patterns, and the corpus folder in place.
        if [[ -n "$patterns" && -d "$seeds" ]]; then
            local pattern
            IFS=',' read -ra list <<<"$patterns"
            for pattern in "${list[@]}"; do
                # Seed names are "<hash>-<name>"; at most 200 of a kind (sorted by hash, so the first ones are a fair sample).
                find "$seeds" -maxdepth 1 -type f -iname "*-$pattern" | sort | head -n 200 |
                    xargs -r cp -t "$dir/seeds" 2>/dev/null || true
            done
        fi
        # The game's ".ble" files are stored scrambled (every byte complemented); the targets take them plain.
        local ble
        for ble in "$dir"/seeds/*.ble; do
            [[ -f "$ble" ]] && perl -0777 -pi -e '$_ ^= "\xff" x length' "$ble"
        done
        [[ -n "$(ls -A "$dir/seeds")" ]] && args+=("$dir/seeds")
        [[ -n "$folder" && -d "$corpus/$folder" ]] && args+=("$corpus/$folder")
        local status=0
        "$build/fuzz/fuzz_$name" "${args[@]}" >"$dir/log" 2>&1 || status=$?
        local execs edges crashes timeouts ooms
        execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -1)"
        edges="$(grep -o 'cov: [0-9]*' "$dir/log" | tail -1 | cut -d' ' -f2)"
        crashes="$(find "$dir/artifacts" -name 'crash-*' -o -name 'leak-*' | wc -l)"
        timeouts="$(find "$dir/artifacts" -name 'timeout-*' -o -name 'slow-unit-*' | wc -l)"
        ooms="$(find "$dir/artifacts" -name 'oom-*' | wc -l)"
        if [[ $status -ne 0 && $((crashes + timeouts + ooms)) -eq 0 ]]; then
            crashes=1 # ended without leaving its input: see the log
        fi
        printf '%-14s executions %10s  edges %6s  crashes %s  timeouts %s  out-of-memory %s\n' "$name" "${execs:-0}" \
            "${edges:-0}" "$crashes" "$timeouts" "$ooms" >"$dir/summary"
    }

    pids=()
    for name in "${targets[@]}"; do
        while [[ $(jobs -rp | wc -l) -ge $jobs ]]; do
            wait -n || true
        done
        run_target "$name" &
        pids+=($!)
    done
    wait

    failed=0
    for name in "${targets[@]}"; do
        summary="$build/run/$name/summary"
        if [[ -f "$summary" ]]; then
            cat "$summary"
            grep -q 'crashes 0  timeouts 0  out-of-memory 0' "$summary" || failed=1
        else
            failed=1
        fi
    done
    if [[ $failed -ne 0 ]]; then
        echo "fuzzing found faults: inputs in $build/run/<target>/artifacts, output in $build/run/<target>/log" >&2
        exit 1
    fi
}

main "$@"
exit $?
