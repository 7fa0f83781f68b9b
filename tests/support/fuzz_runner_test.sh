#!/usr/bin/env bash
# Test of tools/fuzz.sh on stand-in fuzz targets: every fault a run meets fails the run and names its target,
# each run reports only what it found itself, and every target's line is printed as it ends.
# Usage: fuzz_runner_test.sh <source folder>
set -uo pipefail
root="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
build="$work/build"
mkdir -p "$build/fuzz"

# What each stand-in does in the faulty run, what the report must then say about it ("" for nothing) and the
# counts of its line. A stand-in writes its finding where libFuzzer would and ends as libFuzzer does; "crash" stops
# on its very first input, before any coverage line; "stuck" ends when told to stop, "deaf" only when killed;
# "orphan" kills the runner that started it, so that the run leaves no summary of its own; "tm", under the name of
# a target with regression inputs, ends at once.
cases=(
    "clean||crashes 0  timeouts 0  out-of-memory 0"
    "tm||crashes 0  timeouts 0  out-of-memory 0"
    "crash|crash-0001 (input: $build/run/crash/artifacts/crash-0001)|crashes 1  timeouts 0  out-of-memory 0"
    "hang|timeout-0001|crashes 0  timeouts 1  out-of-memory 0"
    "oom|oom-0001|crashes 0  timeouts 0  out-of-memory 1"
    "vanish|ended with status 1 without leaving its input|crashes 1  timeouts 0  out-of-memory 0"
    "stuck|still running after 3 s, stopped|"
    "deaf|still running after 3 s, stopped|"
    "orphan|the run ended without its summary|"
)
names=()
for c in "${cases[@]}"; do
    names+=("${c%%|*}")
done

cat >"$build/stand-in" <<'EOF'
#!/usr/bin/env bash
name="$(basename "$0")"
name="${name#fuzz_}"
printf '%s\n' "$@" >"$(dirname "$0")/$name.args"
for a in "$@"; do
    case "$a" in -artifact_prefix=*) prefix="${a#*=}" ;; esac
done
case "$(cat "$(dirname "$0")/$name.behaviour")" in
    clean) printf '#2\tINITED cov: 17 ft: 20 corp: 1/1b\nstat::number_of_executed_units: 1234\n' ;;
    crash) printf '==1== ERROR: libFuzzer: deadly signal\nstat::number_of_executed_units: 3\n'
        echo x >"${prefix}crash-0001"
        exit 1 ;;
    hang) echo "==1== ERROR: libFuzzer: timeout after 5 seconds"
        echo x >"${prefix}timeout-0001"
        exit 70 ;;
    oom) echo "==1== ERROR: libFuzzer: out-of-memory (malloc(999999999))"
        echo x >"${prefix}oom-0001"
        exit 71 ;;
    vanish) exit 1 ;;
    stuck) exec sleep 60 ;;
    deaf) trap '' TERM
        exec sleep 30 ;;
    orphan) read -r _ _ _ runner _ <"/proc/$PPID/stat" # the parent of the time limit that started this
        kill -9 "$runner" ;;
esac
EOF
chmod +x "$build/stand-in"
: >"$build/fuzz_targets.txt"
for name in "${names[@]}"; do
    ln -s ../stand-in "$build/fuzz/fuzz_$name"
    echo "$name|||" >>"$build/fuzz_targets.txt"
done

failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

# run <expected exit status> <behaviour of every target, or "table">: one run of all the stand-ins at once, one
# second each, stopped 3 s after starting (and killed 10 s later).
run() {
    local expected="$1" mode="$2" c name
    for c in "${cases[@]}"; do
        name="${c%%|*}"
        [[ "$mode" == table ]] && echo "$name" >"$build/fuzz/$name.behaviour" || echo "$mode" >"$build/fuzz/$name.behaviour"
    done
    TW_FUZZ_BUILD="$build" TW_FUZZ_PREBUILT=1 TW_FUZZ_JOBS=${#names[@]} TW_FUZZ_GRACE=1 TW_CORPUS_DIR="$work/no-corpus" \
        bash "$root/tools/fuzz.sh" 1 "${names[@]}" >"$work/out" 2>"$work/err"
    local status=$?
    [[ $status -eq $expected ]] || fail "$mode run: exit status $status, expected $expected"
    # Every target's line, as it ends (but for the one whose runner is gone).
    for name in "${names[@]}"; do
        [[ "$(cat "$build/fuzz/$name.behaviour")" == orphan ]] && continue
        grep -qE "^\[[0-9]+/${#names[@]}\] $name +executions" "$work/out" || fail "$mode run: no line for $name"
    done
}

# A clean run first, so that each fault of the next run has an earlier clean result it must not repeat.
run 0 clean
grep -q "no faults" "$work/out" || fail "clean run: no verdict"
# The missing corpus is said once, and nothing else is reported.
[[ "$(grep -c "no shared corpus at $work/no-corpus" "$work/err")" == 1 ]] || fail "clean run: the missing corpus not said once"
[[ -z "$(grep -v '^fuzz.sh: no shared corpus' "$work/err")" ]] || fail "clean run: reports $(cat "$work/err")"
grep -qF "1234" "$work/out" || fail "clean run: executions not read"

run 1 table
for c in "${cases[@]}"; do
    IFS='|' read -r name says counts <<<"$c"
    if [[ -z "$says" ]]; then
        grep -q "fuzz target $name:" "$work/err" && fail "$name: reported although it found nothing"
    else
        grep -qF "fuzz target $name: $says" "$work/err" || fail "$name: the report does not say \"$says\""
    fi
    if [[ -n "$counts" ]]; then
        grep -qE "^\[[0-9]+/${#names[@]}\] $name +executions .* $counts\$" "$work/out" || fail "$name: not $counts"
        if [[ -n "$says" ]]; then
            grep -qF "fuzz target $name:   log: $build/run/$name/log" "$work/err" || fail "$name: no log named"
        fi
    fi
done
grep -qE "^fuzz.sh: 7 of 9 targets found faults: crash hang oom vanish stuck deaf orphan$" "$work/err" ||
    fail "no verdict naming the faulty targets"
grep -qE "^\[[0-9]+/9\] crash +executions +3 +edges +0 " "$work/out" || fail "crash: executions or edges misread"

# A target's regression inputs seed it.
grep -qxF "$root/tests/data/regress/tm" "$build/fuzz/tm.args" || fail "tm: not given its regression inputs"

# What the faulty run found is kept aside, not reported again.
run 0 clean
[[ -f "$build/run/crash/found/crash-0001" ]] || fail "the earlier finding was not kept"

echo "$failures failures"
[[ $failures -eq 0 ]]
