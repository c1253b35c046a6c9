#!/usr/bin/env bash
# End-to-end comparison: pelmoimage with every codec against two floor
# programs, on generated PNG artwork (8192 x 8192 and 4096 x 4096 RGB, 4096 x
# 4096 with a 16-colour palette) and on the 96 x 64 sample picture.
#
# Usage: bench/e2e.sh [BUILD_DIR]     (default build-bench)
#   RUNS=N       timed rounds (default 9); the tables show medians
#   PEAK_RUNS=N  rounds under the memory sampler (default 3)
#   PICTURES="rgb:8192 rgb:4096 palette:4096 sample sheet dither"   pictures to measure
#
# "sheet" is the 256 x 256 artwork converted whole and as a sheet of 256
# frames of 16 x 16 (-frames 16x16), with every codec, the two taking turns;
# the table gives the ratio of the sheet's time to the whole picture's.
# "dither" is the 4096 x 4096 artwork converted plainly (-dither none, the
# same run as without the option) and with each dithering method, taking
# turns; the table gives each method's ratio to the plain conversion.
#
# The floors: "decoder" loads the picture and reads each pixel's red value
# from the bitmap as decoded (what every conversion must pay); "floor32"
# also flips it and converts it to 32 bits per pixel first (what the
# converter did before it read the decoded pixels directly).
#
# The programs take turns within each round, timed by the wall clock around
# each run; taking turns spreads any change in the machine's load over all
# programs alike. Then, in rounds of their own, each runs under
# bench/tree_peak, which samples the summed resident memory of the program and
# of every process it starts every millisecond (the converter decodes in a
# child process, whose memory /usr/bin/time's maximum would leave out).
# Pictures are cached in BUILD_DIR/bench-data and never committed.
set -euo pipefail

build=${1:-build-bench}
runs=${RUNS:-9}
peak_runs=${PEAK_RUNS:-3}
pictures=${PICTURES:-"rgb:8192 rgb:4096 palette:4096 sample sheet dither"}
codecs=(raw rle srle frle bnp bit2xp)
here=$(cd "$(dirname "$0")/.." && pwd)

for tool in "$build/pelmoimage" "$build/bench/pelmo_decoder_floor" "$build/bench/pelmo_floor" \
    "$build/bench/pelmo_tree_peak" "$build/bench/pelmo_make_picture"; do
    if [ ! -x "$tool" ]; then
        echo "e2e.sh: $tool is missing; configure with -DPELMO_BENCH=ON and build it" >&2
        exit 1
    fi
done

data="$build/bench-data"
mkdir -p "$data"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Runs "$@" once, timed; prints the wall seconds. Standard output goes to
# $scratch/stdout, so that it can be compared between runs. What earlier runs
# wrote is on disk first (untimed): a build replaces a source written long
# before, not one still being written back from a run of a moment ago.
timed() {
    local begin end
    sync
    begin=$(date +%s%N)
    "$@" >"$scratch/stdout" 2>"$scratch/stderr" || {
        echo "e2e.sh: failed: $*" >&2
        cat "$scratch/stderr" >&2
        exit 1
    }
    end=$(date +%s%N)
    awk -v ns=$((end - begin)) 'BEGIN { printf "%.4f\n", ns / 1e9 }'
}

# Runs "$@" once under the sampler; prints the peak of the process tree in KiB.
peak() {
    "$build/bench/pelmo_tree_peak" "$scratch/peak" "$@" >/dev/null 2>"$scratch/stderr" || {
        echo "e2e.sh: failed: $*" >&2
        cat "$scratch/stderr" >&2
        exit 1
    }
    cut -d' ' -f1 "$scratch/peak"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "Machine: $(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo)," \
    "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"

# The sheet: one picture converted whole and cut into frames, side by side.
sheet_case() {
    local picture="$data/artwork_rgb_256.png" codec round kind
    [ -s "$picture" ] || "$build/bench/pelmo_make_picture" "$picture" 256 256
    rm -f "$scratch"/sheet.*
    for ((round = 0; round < runs; round++)); do
        for codec in "${codecs[@]}"; do
            timed "$build/pelmoimage" -c "$codec" "$picture" "$scratch/whole.asm" \
                >>"$scratch/sheet.whole.$codec"
            timed "$build/pelmoimage" -frames 16x16 -c "$codec" "$picture" "$scratch/frames.asm" \
                >>"$scratch/sheet.frames.$codec"
        done
    done
    echo
    echo "256 x 256 RGB PNG, whole and as 256 frames of 16 x 16 (-frames 16x16), median of" \
        "$runs rounds, load average now: $(cut -d' ' -f1-3 /proc/loadavg)"
    printf '| %-8s | %10s | %11s | %6s |\n' codec "whole (s)" "frames (s)" ratio
    printf '|---|---:|---:|---:|\n'
    for codec in "${codecs[@]}"; do
        awk -v c="$codec" -v w="$(median <"$scratch/sheet.whole.$codec")" \
            -v f="$(median <"$scratch/sheet.frames.$codec")" \
            'BEGIN { printf "| %-8s | %10.4f | %11.4f | %6.3f |\n", c, w, f, f / w }'
    done
}

# Dithering: the 4096 x 4096 artwork plain and with each method, side by side.
dither_case() {
    local picture="$data/artwork_rgb_4096.png" method round plain
    local methods=(none fs atkinson bayer4 bayer8)
    [ -s "$picture" ] || "$build/bench/pelmo_make_picture" "$picture" 4096 4096
    rm -f "$scratch"/dither.*
    for ((round = 0; round < runs; round++)); do
        for method in "${methods[@]}"; do
            timed "$build/pelmoimage" -dither "$method" "$picture" "$scratch/dither.asm" \
                >>"$scratch/dither.$method"
        done
    done
    echo
    echo "4096 x 4096 RGB PNG, plain (-dither none) and dithered, median of $runs rounds," \
        "load average now: $(cut -d' ' -f1-3 /proc/loadavg)"
    printf '| %-8s | %9s | %6s |\n' method "wall (s)" ratio
    printf '|---|---:|---:|\n'
    plain=$(median <"$scratch/dither.none")
    for method in "${methods[@]}"; do
        awk -v m="$method" -v t="$(median <"$scratch/dither.$method")" -v p="$plain" \
            'BEGIN { printf "| %-8s | %9.4f | %6.3f |\n", m, t, t / p }'
    done
}

for wanted in $pictures; do
    if [ "$wanted" = sheet ]; then
        sheet_case
        continue
    fi
    if [ "$wanted" = dither ]; then
        dither_case
        continue
    fi
    if [ "$wanted" = sample ]; then
        picture="$here/docs/sample.png"
        title="96 x 64 sample picture (docs/sample.png)"
    else
        kind=${wanted%%:*} side=${wanted#*:}
        picture="$data/artwork_${kind}_${side}.png"
        title="${side} x ${side} ${kind} PNG"
        if [ ! -s "$picture" ]; then
            echo "Making $picture ..."
            if [ "$kind" = palette ]; then
                "$build/bench/pelmo_make_picture" "$picture" "$side" "$side" palette
            else
                "$build/bench/pelmo_make_picture" "$picture" "$side" "$side"
            fi
        fi
    fi
    programs=(decoder floor32 "${codecs[@]}")
    for program in "${programs[@]}"; do : >"$scratch/times.$program" && : >"$scratch/peaks.$program"; done
    rm -f "$scratch"/sum.*

    command_of() {
        case $1 in
            decoder) command=("$build/bench/pelmo_decoder_floor" "$picture") ;;
            floor32) command=("$build/bench/pelmo_floor" "$picture") ;;
            *) command=("$build/pelmoimage" -c "$1" "$picture" "$scratch/out_$1.asm") ;;
        esac
    }
    for ((round = 0; round < runs; round++)); do
        for program in "${programs[@]}"; do
            command_of "$program"
            timed "${command[@]}" >>"$scratch/times.$program"
            if [ "$program" != decoder ] && [ "$program" != floor32 ]; then
                # Every run of a codec must write the same bytes.
                sum=$(cat "$scratch/stdout" "$scratch/out_$program.asm" | sha256sum | cut -c1-12)
                if [ -e "$scratch/sum.$program" ] && [ "$(cat "$scratch/sum.$program")" != "$sum" ]; then
                    echo "e2e.sh: $program gave different output in round $round" >&2
                    exit 1
                fi
                echo "$sum" >"$scratch/sum.$program"
                wc -c <"$scratch/out_$program.asm" >"$scratch/size.$program"
            fi
        done
    done
    for ((round = 0; round < peak_runs; round++)); do
        for program in "${programs[@]}"; do
            command_of "$program"
            peak "${command[@]}" >>"$scratch/peaks.$program"
        done
    done

    floor_time=$(median <"$scratch/times.decoder")
    floor_peak=$(median <"$scratch/peaks.decoder")
    echo
    echo "$title ($(wc -c <"$picture") bytes), median of $runs timed and $peak_runs sampled rounds," \
        "load average now: $(cut -d' ' -f1-3 /proc/loadavg)"
    printf '| %-8s | %9s | %6s | %10s | %6s | %10s | %12s |\n' program "wall (s)" ratio \
        "tree peak" ratio ".asm bytes" "sha256(out)"
    printf '|---|---:|---:|---:|---:|---:|---|\n'
    for program in "${programs[@]}"; do
        time_s=$(median <"$scratch/times.$program")
        peak_kib=$(median <"$scratch/peaks.$program")
        if [ -e "$scratch/size.$program" ]; then
            size=$(cat "$scratch/size.$program") sum=$(cat "$scratch/sum.$program")
        else
            size=- sum=-
        fi
        awk -v p="$program" -v t="$time_s" -v ft="$floor_time" -v r="$peak_kib" -v fr="$floor_peak" \
            -v size="$size" -v sum="$sum" \
            'BEGIN { printf "| %-8s | %9.4f | %6.3f | %7.1f MB | %6.3f | %10s | %12s |\n",
                     p, t, t / ft, r / 1024, r / fr, size, sum }'
    done
done
