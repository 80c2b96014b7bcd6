#!/usr/bin/env bash
# End-to-end: bndhost convert of two 100 MB+ rasters to 32-bit BIL (and BIP),
# each timed beside the physical floor: cat reading the input and writing an
# output-sized file. Prints the ratio and bndhost's peak memory.
#
#   bench/convert_bench.sh [BUILD_DIR]        (default: build/default)
#
# Files go to $BENCH_DIR, else a new folder in /dev/shm (memory-backed, so
# that disk writeback does not drown what is measured), and are removed after.
set -euo pipefail

build=${1:-build/default}
bndhost="$build/bin/bndhost"
[ -x "$bndhost" ] || { echo "no $bndhost; build first (cmake --workflow --preset test)" >&2; exit 1; }
base=${BENCH_DIR:-$( [ -d /dev/shm ] && echo /dev/shm || echo "${TMPDIR:-/tmp}")}
work=$(mktemp -d "$base/fennick-convert-XXXXXX")
trap 'rm -rf "$work"' EXIT

make_raster() {  # name layout rows cols bands
    printf 'nrows %s\nncols %s\nnbands %s\nnbits 16\nbyteorder I\nlayout %s\n' "$3" "$4" "$5" "$2" > "$work/$1.hdr"
    head -c $(( $3 * $4 * $5 * 2 )) /dev/urandom > "$work/$1.dat"
}

best_of_3() {  # command...; prints the fastest wall time in seconds
    local best=""
    for _ in 1 2 3; do
        local start end
        start=$(date +%s.%N)
        "$@" > /dev/null
        end=$(date +%s.%N)
        best=$(awk -v a="$best" -v t="$(awk -v s="$start" -v e="$end" 'BEGIN { print e - s }')" \
            'BEGIN { print (a == "" || t < a) ? t : a }')
    done
    echo "$best"
}

floor() {  # input output: read the input twice, write an output-sized file
    cat "$1" "$1" > "$2"
}

echo "making the rasters in $work ..."
make_raster bil16 BIL 8000 8000 1
make_raster bsq16x3 BSQ 4000 4000 3

printf '%-10s %-5s %10s %10s %7s %12s\n' raster out floor_s convert_s ratio peak_MiB
for name in bil16 bsq16x3; do
    for out in bil bip; do
        input="$work/$name.dat"
        output="$work/$name-out.$out"
        floor_s=$(best_of_3 floor "$input" "$work/floor.out")
        rm -f "$work/floor.out"
        convert_s=$(best_of_3 "$bndhost" --quiet convert "$input" "$output")
        peak_kib=$( { /usr/bin/time -f '%M' "$bndhost" --quiet convert "$input" "$output" > /dev/null; } 2>&1 | tail -1)
        rm -f "$output"
        printf '%-10s %-5s %10.3f %10.3f %7.2f %12.1f\n' "$name" "$out" "$floor_s" "$convert_s" \
            "$(awk -v c="$convert_s" -v f="$floor_s" 'BEGIN { print c / f }')" \
            "$(awk -v k="$peak_kib" 'BEGIN { print k / 1024 }')"
    done
done
