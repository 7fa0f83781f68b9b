#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while, printing each target's result as it ends.
# Usage: tools/fuzz.sh [seconds] [target...]   (default 60 seconds each, every target)
#        tools/fuzz.sh --seeds                 (writes the input files the unit tests make into build/fuzz-seeds)
# Environment: TW_FUZZ_JOBS targets run at once (default 1); TW_CORPUS_DIR the shared corpus (default
# ../shared/corpus beside the project), read in place; TW_FUZZ_BUILD the build folder (default build/fuzz);
# TW_FUZZ_PREBUILT=1 runs the targets already built there, without configuring or building; TW_FUZZ_GRACE the
# seconds a target may run past twice its time before it is stopped (default 300).
# Each target keeps what it learns in <build>/run/<target>/corpus and what it finds in .../artifacts; its
# regression inputs (tests/data/regress/<target>/) seed it too. Exits with 1 when any target found a fault or
# did not run to its end, naming each such target on stderr.
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
    if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
        echo "usage: tools/fuzz.sh [seconds] [target...] | --seeds" >&2
        exit 2
    fi
    build="${TW_FUZZ_BUILD:-$root/build/fuzz}"
    corpus="${TW_CORPUS_DIR:-$root/../shared/corpus}"
    jobs="${TW_FUZZ_JOBS:-1}"

    if [[ "${TW_FUZZ_PREBUILT:-}" != 1 ]]; then
        echo "fuzz.sh: building the fuzz targets in $build"
        mkdir -p "$build"
        local buildLog="$build/build.log"
        if ! { CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTW_FUZZ=ON \
            -DTW_BUILD_TESTS=OFF -DTW_BUILD_BENCH=OFF &&
            cmake --build "$build" -j "${TW_BUILD_JOBS:-$(nproc)}" --target fuzz_all; } >"$buildLog" 2>&1; then
            tail -n 40 "$buildLog" >&2
            echo "fuzz.sh: the fuzz targets did not build (whole output in $buildLog)" >&2
            exit 1
        fi
    fi
    list="$build/fuzz_targets.txt"
    if [[ ! -f "$list" ]]; then
        echo "fuzz.sh: no target list $list (build the targets first)" >&2
        exit 1
    fi

    targets=("$@")
    if [[ ${#targets[@]} -eq 0 ]]; then
        mapfile -t targets < <(cut -d'|' -f1 "$list")
    fi
    local name
    for name in "${targets[@]}"; do
        if ! grep -q "^$name|" "$list"; then
            echo "fuzz.sh: no fuzz target $name" >&2
            exit 2
        fi
    done
    if [[ ! -d "$corpus" && -z "${TW_CORPUS_NOTED:-}" ]]; then
        echo "fuzz.sh: no shared corpus at $corpus (TW_CORPUS_DIR): the targets run without its files" >&2
    fi

    # A run still going after this many seconds is stopped and counted as a fault: libFuzzer stops by itself after
    # the given time plus at most one slow input.
    limit=$((2 * seconds + ${TW_FUZZ_GRACE:-300}))

    # run_target name progress: one timed run. Writes its summary line to run/<name>/summary (and prints it), and
    # what it found, naming the target, to run/<name>/faults (empty when it found nothing).
    run_target() {
        set +e
        local name="$1" progress="$2" line dict patterns folder
        line="$(grep "^$name|" "$list")"
        IFS='|' read -r _ dict patterns folder <<<"$line"
        local dir="$build/run/$name"
        rm -rf "$dir/seeds"
        mkdir -p "$dir/corpus" "$dir/artifacts" "$dir/seeds" "$dir/found"
        # What earlier runs found is kept aside; this run's summary counts only its own finds.
        find "$dir/artifacts" -type f -exec mv -t "$dir/found" {} + 2>/dev/null
        # One allocation of more than 256 MiB counts as out-of-memory: no input of the sizes fuzzed here needs it.
        local args=(-max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -malloc_limit_mb=256 -print_final_stats=1
            -artifact_prefix="$dir/artifacts/" "$dir/corpus")
        [[ -n "$dict" ]] && args=(-dict="$root/fuzz/dict/$dict" "${args[@]}")
        # Seeds: the files the tests wrote whose names match the target's patterns, the target's regression
        # inputs, and the corpus folder in place.
        if [[ -n "$patterns" && -d "$seeds" ]]; then
            local pattern
            local kinds
            IFS=',' read -ra kinds <<<"$patterns"
            for pattern in "${kinds[@]}"; do
                # Seed names are "<hash>-<name>"; at most 200 of a kind (sorted by hash, so the first ones are a fair sample).
                find "$seeds" -maxdepth 1 -type f -iname "*-$pattern" | sort | head -n 200 |
                    xargs -r cp -t "$dir/seeds" 2>/dev/null
            done
        fi
        # The game's ".ble" files are stored scrambled (every byte complemented); the targets take them plain.
        local ble
        for ble in "$dir"/seeds/*.ble; do
            [[ -f "$ble" ]] && perl -0777 -pi -e '$_ ^= "\xff" x length' "$ble"
        done
        [[ -n "$(ls -A "$dir/seeds")" ]] && args+=("$dir/seeds")
        [[ -d "$root/tests/data/regress/$name" ]] && args+=("$root/tests/data/regress/$name")
        [[ -n "$folder" && -d "$corpus/$folder" ]] && args+=("$corpus/$folder")

        local status=0
        timeout -k 10 "$limit" "$build/fuzz/fuzz_$name" "${args[@]}" >"$dir/log" 2>&1 || status=$?
        local execs edges crashes timeouts ooms
        execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -n 1)"
        # A run that stops on its first inputs never reports coverage.
        edges="$(grep -o 'cov: [0-9]*' "$dir/log" | tail -n 1 | cut -d' ' -f2)"
        crashes="$(find "$dir/artifacts" -name 'crash-*' -o -name 'leak-*' | wc -l)"
        timeouts="$(find "$dir/artifacts" -name 'timeout-*' -o -name 'slow-unit-*' | wc -l)"
        ooms="$(find "$dir/artifacts" -name 'oom-*' | wc -l)"
        {
            local artifact
            find "$dir/artifacts" -type f | sort | head -n 5 | while IFS= read -r artifact; do
                echo "fuzz target $name: ${artifact##*/} (input: $artifact)"
            done
            if [[ $status -eq 124 || $status -eq 137 ]]; then
                echo "fuzz target $name: still running after $limit s, stopped"
            elif [[ $status -ne 0 && $((crashes + timeouts + ooms)) -eq 0 ]]; then
                echo "fuzz target $name: ended with status $status without leaving its input"
                crashes=1
            fi
            if [[ $status -ne 0 || $((crashes + timeouts + ooms)) -ne 0 ]]; then
                local first
                first="$(grep -m 1 -E 'ERROR|runtime error|Segmentation|out-of-memory|[Tt]imeout' "$dir/log")"
                [[ -n "$first" ]] && echo "fuzz target $name:   $first"
                echo "fuzz target $name:   log: $dir/log"
            fi
        } >"$dir/faults"
        # The summary comes last: a run that has one has its faults too.
        printf '%-18s executions %10s  edges %6s  crashes %s  timeouts %s  out-of-memory %s\n' "$name" "${execs:-0}" \
            "${edges:-0}" "$crashes" "$timeouts" "$ooms" >"$dir/summary"
        printf '[%s] %s' "$progress" "$(cat "$dir/summary")"$'\n'
    }

    # Every run writes its own summary: none is left from an earlier one.
    for name in "${targets[@]}"; do
        rm -f "$build/run/$name/summary" "$build/run/$name/faults"
    done
    echo "fuzz.sh: ${#targets[@]} targets, $seconds s each, $jobs at a time"
    local index=0
    for name in "${targets[@]}"; do
        while [[ $(jobs -rp | wc -l) -ge $jobs ]]; do
            wait -n || true
        done
        index=$((index + 1))
        run_target "$name" "$index/${#targets[@]}" &
    done
    wait

    failed=()
    for name in "${targets[@]}"; do
        local dir="$build/run/$name"
        if [[ ! -f "$dir/summary" ]]; then
            echo "fuzz target $name: the run ended without its summary (see $dir/log)" >&2
            failed+=("$name")
        elif [[ -s "$dir/faults" ]]; then
            cat "$dir/faults" >&2
            failed+=("$name")
        fi
    done
    if [[ ${#failed[@]} -ne 0 ]]; then
        echo "fuzz.sh: ${#failed[@]} of ${#targets[@]} targets found faults: ${failed[*]}" >&2
        exit 1
    fi
    echo "fuzz.sh: ${#targets[@]} targets, no faults"
}

main "$@"
exit $?
