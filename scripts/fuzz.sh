#!/usr/bin/env bash
# Builds the fuzzers and runs each for SECONDS (default 60) on a copy of its corpus.
# Fails when a target crashes; the crashing input is kept in the work folder it names.
set -euo pipefail
source "$(dirname "$0")/setup.sh"

seconds="${1:-60}"
nivex_build_fuzz
work="$(mktemp -d /tmp/nivex_fuzz.XXXXXX)"
failed=0
for program in "$NIVEX_FUZZ_BUILD"/bin/*_fuzz; do
    name="$(basename "$program")"
    mkdir -p "$work/$name/corpus" "$work/$name/crash"
    if [ -d "$NIVEX_ROOT/fuzz/corpus/$name" ]; then
        cp -r "$NIVEX_ROOT/fuzz/corpus/$name/." "$work/$name/corpus/"
    fi
    options=(-max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10
             -artifact_prefix="$work/$name/crash/" -print_final_stats=1)
    if [ -f "$NIVEX_ROOT/fuzz/$name.dict" ]; then
        options+=(-dict="$NIVEX_ROOT/fuzz/$name.dict")
    fi
    if "$program" "${options[@]}" "$work/$name/corpus" > "$work/$name/log" 2>&1; then
        runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$name/log" | tail -1)"
        echo "fuzz $name: bien (${runs:-?} ejecuciones en ${seconds} s)"
    else
        failed=1
        echo "fuzz $name: FALLA, ver $work/$name/log y $work/$name/crash/"
    fi
done
if [ "$failed" -ne 0 ]; then exit 1; fi
rm -rf "$work"
