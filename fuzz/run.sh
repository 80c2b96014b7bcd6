#!/usr/bin/env bash
# Builds the fuzz targets (clang, ASan + UBSan) and runs each for SECONDS
# (default 60), starting from the seed corpora in fuzz/corpus. New inputs go
# to a scratch folder, so the repository's seeds stay as they are; a crash
# leaves its input in the current folder and fails the run. Each target's log
# is kept in build/fuzz/logs, and its final coverage is printed.
#
#   fuzz/run.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_import fuzz_export)

cmake --preset fuzz > /dev/null
cmake --build --preset fuzz

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
logs=build/fuzz/logs
mkdir -p "$logs"
for target in "${targets[@]}"; do
    seeds="fuzz/corpus/${target#fuzz_}"
    mkdir -p "$scratch/$target"
    echo "== $target for ${seconds}s"
    # A file cannot justify more than a few MiB of memory at these input sizes.
    status=0
    "build/fuzz/bin/$target" "$scratch/$target" "$seeds" -max_total_time="$seconds" -max_len=4096 \
        -malloc_limit_mb=64 -rss_limit_mb=1024 -timeout=10 -print_final_stats=1 > "$logs/$target.log" 2>&1 ||
        status=$?
    grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|INFO: .*seed corpus)' "$logs/$target.log" || true
    grep -oE '(DONE|#[0-9]+ +(INITED|REDUCE|NEW|pulse)) +cov: [0-9]+ ft: [0-9]+' "$logs/$target.log" | tail -n 1 |
        sed -E 's/.*(cov: [0-9]+ ft: [0-9]+)/final coverage: \1/' || true
    if [ "$status" -ne 0 ]; then
        tail -n 40 "$logs/$target.log" >&2
        echo "$target failed" >&2
        exit 1
    fi
done
