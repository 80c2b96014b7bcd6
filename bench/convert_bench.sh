#!/usr/bin/env bash
# End-to-end: bndhost convert of 100 MB+ 16-bit rasters (BIL, BIP and BSQ; 1
# and 3 bands) to 32-bit BIL, BIP and BSQ, and of a 224-band scene of an
# imaging spectrometer's shape (512 rows of 614 columns) from BSQ to every
# layout and from BIP and BIL to BSQ, each timed beside the physical floor:
# cat reading the input and writing an output-sized file. Prints the ratio of
# the medians of 5 and bndhost's peak memory (GNU time).
#
#   bench/convert_bench.sh [BUILD_DIR [BEFORE_BUILD_DIR]]   (default: build/default)
#
# Given a second build, times its bndhost too, in turns with the first, so that
# before and after are measured in one run.
#
# Files go to $BENCH_DIR, else a new folder in /dev/shm (memory-backed, so
# that disk writeback does not drown what is measured), and are removed after.
set -euo pipefail

hosts=("${1:-build/default}/bin/bndhost")
[ -n "${2:-}" ] && hosts=("$2/bin/bndhost" "${hosts[0]}")
for bndhost in "${hosts[@]}"; do
    [ -x "$bndhost" ] || { echo "no $bndhost; build first (cmake --workflow --preset test)" >&2; exit 1; }
done
base=${BENCH_DIR:-$( [ -d /dev/shm ] && echo /dev/shm || echo "${TMPDIR:-/tmp}")}
work=$(mktemp -d "$base/fennick-convert-XXXXXX")
trap 'rm -rf "$work"' EXIT

make_raster() {  # name layout rows cols bands
    printf 'nrows %s\nncols %s\nnbands %s\nnbits 16\nbyteorder I\nlayout %s\n' "$3" "$4" "$5" "$2" > "$work/$1.hdr"
    head -c $(( $3 * $4 * $5 * 2 )) /dev/urandom > "$work/$1.${2,,}"
}

median_of_5() {  # command...; prints the median wall time in seconds
    local times=()
    for _ in 1 2 3 4 5; do
        local start end
        start=$(date +%s.%N)
        "$@" > /dev/null
        end=$(date +%s.%N)
        times+=("$(awk -v s="$start" -v e="$end" 'BEGIN { print e - s }')")
    done
    printf '%s\n' "${times[@]}" | sort -g | sed -n 3p
}

floor() {  # input output: read the input twice, write an output-sized file
    cat "$1" "$1" > "$2"
}

echo "making the rasters in $work ..."
for layout in bil bip bsq; do
    make_raster "${layout}16" "${layout^^}" 8000 8000 1
    make_raster "${layout}16x3" "${layout^^}" 6000 3000 3
    make_raster "${layout}16x224" "${layout^^}" 512 614 224
done

# Each raster with the layouts it is converted to.
pairs=()
for name in bil16 bip16 bsq16 bil16x3 bip16x3 bsq16x3; do
    pairs+=("$name bil bip bsq")
done
pairs+=("bsq16x224 bip bil bsq" "bip16x224 bsq" "bil16x224 bsq")

printf '%-10s %-5s %8s' raster out floor_s
for bndhost in "${hosts[@]}"; do
    printf ' | %9s %6s %8s' "$([ "$bndhost" = "${hosts[-1]}" ] && echo convert_s || echo before_s)" ratio peak_MiB
done
printf '\n'
for pair in "${pairs[@]}"; do
    read -r name outs <<< "$pair"
    for out in $outs; do
        input="$work/$name.${name:0:3}"
        output="$work/$name-out.$out"
        floor_s=$(median_of_5 floor "$input" "$work/floor.out")
        rm -f "$work/floor.out"
        printf '%-10s %-5s %8.3f' "$name" "$out" "$floor_s"
        for bndhost in "${hosts[@]}"; do
            convert_s=$(median_of_5 "$bndhost" --quiet convert "$input" "$output")
            peak_kib=nan
            if [ -x /usr/bin/time ]; then
                peak_kib=$( { /usr/bin/time -f '%M' "$bndhost" --quiet convert "$input" "$output" > /dev/null; } 2>&1 | tail -1)
            fi
            rm -f "$output"
            printf ' | %9.3f %6.2f %8.1f' "$convert_s" "$(awk -v c="$convert_s" -v f="$floor_s" 'BEGIN { print c / f }')" \
                "$(awk -v k="$peak_kib" 'BEGIN { print k / 1024 }')"
        done
        printf '\n'
    done
done
