#!/usr/bin/env bash
# Builds the optimised benchmark build and prints the whole-game figures as one plain table: the whole frame of the
# grown sample park (1,500 guests, 500 buildings, 5,000 scenery, 60 staff) split by phase with its allocations, on
# OpenGL offscreen (Mesa software GL) and on the recording device at speeds 1 and 4; that park's save and load with
# the save's size; the real program's start-up to its first menu frame and its idle menu's processor use.
# Usage: tools/figures.sh   (TW_JOBS: build jobs, default 4; needs Xvfb and xvfb-run for the start-up figures)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
build="$root/build/bench"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTW_BUILD_TESTS=OFF -DTW_BUILD_BENCH=ON >"$out/cmake.log"
cmake --build "$build" -j "${TW_JOBS:-4}" --target whole_frame_bench startup_figures tidewell >"$out/build.log" ||
    {
        cat "$out/build.log" >&2
        exit 1
    }

export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1
load_before="$(cut -d' ' -f1-3 /proc/loadavg)"
"$build/bench/whole_frame_bench" --benchmark_format=json --benchmark_out="$out/frame.json" \
    --benchmark_out_format=json >/dev/null 2>"$out/frame.err" || true
startup="n/a"
idle="n/a"
if command -v xvfb-run >/dev/null; then
    if xvfb-run -a -s "-screen 0 1024x768x24 -br" "$build/bench/startup_figures" "$build/game/tidewell" \
        "$root/sample-data" 3 5 >"$out/startup.txt" 2>"$out/startup.err"; then
        startup="$(awk '$1 == "startup_ms" { printf "%s ms (min %s, max %s, of 3)", $2, $3, $4 }' "$out/startup.txt")"
        idle="$(awk '$1 == "idle_menu_core_use" { printf "%s CPU s per s", $2 }' "$out/startup.txt")"
    else
        startup="failed: $(head -c 200 "$out/startup.err")"
    fi
fi
load_after="$(cut -d' ' -f1-3 /proc/loadavg)"

echo "Tidewell figures ($(nproc) cores; load average $load_before before, $load_after after)"
echo
printf '%-28s %8s %6s %8s %8s %8s %8s %8s\n' "whole frame, ms per frame" update gui render total cpu allocs draws
jq -r '.benchmarks[] | select(.name | startswith("BM_WholeFrame")) |
    [.label // .name, (.update_ms // 0), (.gui_ms // 0), (.render_ms // 0), (.frame_ms // 0), (.cpu_ms // 0),
     (."allocs/frame" // 0), (."draws/frame" // -1), (.over_budget // 0), (.error_message // "")] | @tsv' \
    "$out/frame.json" |
    while IFS=$'\t' read -r label update gui render total cpu allocs draws over error; do
        if [[ -n "$error" ]]; then
            printf '%-28s skipped: %s\n' "$label" "$error"
            continue
        fi
        [[ "$draws" == -1 ]] && draws="-" || draws="$(printf '%.0f' "$draws")"
        note=""
        [[ "$over" == 1 ]] && note="  over 16 ms"
        printf '%-28s %8.2f %6.2f %8.2f %8.2f %8.2f %8.1f %8s%s\n' "$label" "$update" "$gui" "$render" "$total" \
            "$cpu" "$allocs" "$draws" "$note"
    done
echo "(wall ms by phase; cpu: processor ms of every thread, the rasteriser's included; allocs: operator new calls"
echo " of the process, on the recording device its own record of every call included (at least two per draw);"
echo " draws: draws the recording device logged)"
echo
printf '%-34s %10s %14s\n' "grown park save and load" ms "file bytes"
jq -r '.benchmarks[] | select(.name | test("BM_(Save|Load)GrownPark")) |
    [.name, .real_time, (.bytes // -1), (.error_message // "")] | @tsv' "$out/frame.json" |
    while IFS=$'\t' read -r name ms bytes error; do
        name="${name%%/*}"
        if [[ -n "$error" ]]; then
            printf '%-34s skipped: %s\n' "$name" "$error"
        else
            printf '%-34s %10.1f %14.0f\n' "$name" "$ms" "$bytes"
        fi
    done
echo
printf '%-34s %s\n' "start-up to first menu frame" "$startup"
printf '%-34s %s\n' "idle main menu" "$idle"
echo
echo "Target: a whole frame under 16 ms at speed 1 on software GL."
