#!/usr/bin/env bash
# Runs one libFuzzer target.
#   fuzz.sh smoke <executable> <seeds> <work>            bounded run over the seeds (./test's ctest entry)
#   fuzz.sh long <executable> <seeds> <work> <seconds>   longer run; new inputs stay in <work>/corpus
# A crash, leak or sanitizer report fails the run and prints the reproducer's path and first bytes.
set -uo pipefail
mode=$1 fuzzer=$2 seeds=$3 work=$4
name=$(basename "$fuzzer")

# The reproducer as CI's tail shows it: path, size and bytes in hex, cut at 256.
show_reproducers() {
    local dir=$1 file
    for file in "$dir"/*; do
        [ -f "$file" ] || continue
        echo "reproducer: $file ($(stat -c %s "$file") bytes)"
        od -An -tx1 -v -N256 "$file"
    done
}

# libFuzzer cuts inputs at 1 MB unless told otherwise; a seed over that runs whole, as the size of a hostile
# page is what some seeds are about.
largest=$(find "$seeds" -type f -printf '%s\n' 2>/dev/null | sort -n | tail -n 1)
max_len=()
if [ "${largest:-0}" -gt 1048576 ]; then
    max_len=(-max_len="$largest")
fi

case $mode in
smoke)
    # A fresh corpus each time, so the run depends on the seeds alone; the fixed seed and run count make
    # a failure repeat on the next run, and the time cap keeps a slow machine from holding up CI.
    rm -rf "$work/smoke"
    mkdir -p "$work/smoke/corpus" "$work/smoke/artifacts"
    "$fuzzer" -seed=1 -runs=20000 -max_total_time=5 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        "${max_len[@]}" \
        -artifact_prefix="$work/smoke/artifacts/" "$work/smoke/corpus" "$seeds" 2>&1 | tail -n 60
    status=${PIPESTATUS[0]}
    if [ "$status" -ne 0 ]; then
        echo "fuzz target $name failed (exit $status)"
        show_reproducers "$work/smoke/artifacts"
    fi
    exit "$status"
    ;;
long)
    seconds=$5
    mkdir -p "$work/corpus" "$work/artifacts"
    "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "${max_len[@]}" \
        -artifact_prefix="$work/artifacts/" "$work/corpus" "$seeds" 2>&1 | grep -v -E '^#[0-9]+.*(NEW|REDUCE)'
    status=${PIPESTATUS[0]}
    if [ "$status" -ne 0 ]; then
        echo "fuzz target $name failed (exit $status); minimising what it found"
        for crash in "$work"/artifacts/*; do
            [ -f "$crash" ] && [[ $crash != *.min ]] || continue
            "$fuzzer" -minimize_crash=1 -runs=20000 -timeout=10 -exact_artifact_path="$crash.min" "$crash" \
                >/dev/null 2>&1
        done
        show_reproducers "$work/artifacts"
        echo "add the minimised reproducer to $seeds with its fix"
    fi
    echo "corpus: $work/corpus ($(ls "$work/corpus" | wc -l) entries)"
    exit "$status"
    ;;
*)
    echo "usage: $0 smoke|long <executable> <seeds> <work> [seconds]" >&2
    exit 2
    ;;
esac
