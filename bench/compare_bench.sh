#!/usr/bin/env bash
# fennick_bench of two builds side by side: each case runs in a process of its
# own, the two builds in turns, three turns each, so that both see the same
# machine and neither inherits another case's heap. Prints each case's median
# vs_floor for both.
#
#   bench/compare_bench.sh BEFORE_BUILD_DIR [AFTER_BUILD_DIR] [FILTER]
#
# AFTER_BUILD_DIR defaults to build/default; FILTER (a regular expression over
# the case names) to every case.
set -euo pipefail

before="${1:?usage: bench/compare_bench.sh BEFORE_BUILD_DIR [AFTER_BUILD_DIR] [FILTER]}/bin/fennick_bench"
after="${2:-build/default}/bin/fennick_bench"
filter=${3:-.}
for bench in "$before" "$after"; do
    [ -x "$bench" ] || { echo "no $bench; build it first" >&2; exit 1; }
done

vs_floor() {  # bench case: the case's vs_floor counter
    "$1" --benchmark_filter="^$2/" 2>/dev/null | sed -n 's/.*vs_floor=\([0-9.e+-]*\).*/\1/p'
}

median() { printf '%s\n' "$@" | sort -g | sed -n 2p; }

printf '%-32s %8s %8s\n' case before after
"$after" --benchmark_list_tests | sed 's|/iterations:.*||' | grep -E -- "$filter" | while read -r name; do
    b=() a=()
    for _ in 1 2 3; do
        b+=("$(vs_floor "$before" "$name")")
        a+=("$(vs_floor "$after" "$name")")
    done
    printf '%-32s %8.2f %8.2f\n' "$name" "$(median "${b[@]}")" "$(median "${a[@]}")"
done
