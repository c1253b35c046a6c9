#!/usr/bin/env bash
# End-to-end comparison: pelmoimage with every codec against the floor
# program (load, flip, convert to 32 bits, read every red byte), on generated
# 8192 x 8192 and 4096 x 4096 RGB PNG artwork.
#
# Usage: bench/e2e.sh [BUILD_DIR]     (default build-bench)
#   RUNS=N     runs per program and picture (default 7); the table shows medians
#   SIZES="8192 4096"   picture sides to measure
#
# The programs take turns within each round, so a change in the machine's
# load during the measurement falls on all of them alike. Wall time is taken
# around each run; the peak resident set size comes from /usr/bin/time -v.
# The pictures are cached in BUILD_DIR/bench-data and never committed.
set -euo pipefail

build=${1:-build-bench}
runs=${RUNS:-7}
sizes=${SIZES:-"8192 4096"}
codecs=(raw rle srle frle bnp bit2xp)

for tool in "$build/pelmoimage" "$build/bench/pelmo_floor" "$build/bench/pelmo_make_picture"; do
    if [ ! -x "$tool" ]; then
        echo "e2e.sh: $tool is missing; configure with -DPELMO_BENCH=ON and build it" >&2
        exit 1
    fi
done
if [ ! -x /usr/bin/time ]; then
    echo "e2e.sh: /usr/bin/time is missing (Debian package: time)" >&2
    exit 1
fi

data="$build/bench-data"
mkdir -p "$data"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Runs "$@" once; prints "<wall seconds> <peak RSS in KiB> <CPU seconds>", the
# CPU time being user plus system time of the program and its children.
# Standard output
# goes to $scratch/stdout, so that it can be compared between runs.
measure() {
    local begin end
    begin=$(date +%s%N)
    /usr/bin/time -v -o "$scratch/time" "$@" >"$scratch/stdout" 2>"$scratch/stderr" || {
        echo "e2e.sh: failed: $*" >&2
        cat "$scratch/stderr" >&2
        exit 1
    }
    end=$(date +%s%N)
    local rss user sys
    rss=$(sed -n 's/^[[:space:]]*Maximum resident set size (kbytes): //p' "$scratch/time")
    user=$(sed -n 's/^[[:space:]]*User time (seconds): //p' "$scratch/time")
    sys=$(sed -n 's/^[[:space:]]*System time (seconds): //p' "$scratch/time")
    awk -v ns=$((end - begin)) -v rss="$rss" -v cpu="$user + $sys" \
        'BEGIN { split(cpu, c, " [+] "); printf "%.4f %d %.2f\n", ns / 1e9, rss, c[1] + c[2] }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "Machine: $(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo)," \
    "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"

for side in $sizes; do
    picture="$data/artwork_${side}.png"
    if [ ! -s "$picture" ]; then
        echo "Making $picture ..."
        "$build/bench/pelmo_make_picture" "$picture" "$side" "$side"
    fi
    programs=(floor "${codecs[@]}")
    for program in "${programs[@]}"; do : >"$scratch/times.$program"; done
    rm -f "$scratch"/sum.*

    for ((round = 0; round < runs; round++)); do
        for program in "${programs[@]}"; do
            if [ "$program" = floor ]; then
                result=$(measure "$build/bench/pelmo_floor" "$picture")
            else
                out="$scratch/out_$program.asm"
                result=$(measure "$build/pelmoimage" -c "$program" "$picture" "$out")
                # Every run of a codec must write the same bytes.
                sum=$(cat "$scratch/stdout" "$out" | sha256sum | cut -c1-12)
                if [ -e "$scratch/sum.$program" ] && [ "$(cat "$scratch/sum.$program")" != "$sum" ]; then
                    echo "e2e.sh: $program gave different output in round $round" >&2
                    exit 1
                fi
                echo "$sum" >"$scratch/sum.$program"
                wc -c <"$out" >"$scratch/size.$program"
            fi
            echo "$result" >>"$scratch/times.$program"
        done
    done

    floor_time=$(cut -d' ' -f1 "$scratch/times.floor" | median)
    floor_rss=$(cut -d' ' -f2 "$scratch/times.floor" | median)
    floor_cpu=$(cut -d' ' -f3 "$scratch/times.floor" | median)
    echo
    echo "${side} x ${side} RGB PNG ($(wc -c <"$picture") bytes), median of $runs runs," \
        "load average now: $(cut -d' ' -f1-3 /proc/loadavg)"
    printf '%-8s %10s %7s %12s %7s %9s %7s %12s %14s\n' codec "wall (s)" ratio "peak RSS" ratio \
        "CPU (s)" ratio ".asm bytes" "sha256(out)"
    for program in "${programs[@]}"; do
        time_s=$(cut -d' ' -f1 "$scratch/times.$program" | median)
        rss=$(cut -d' ' -f2 "$scratch/times.$program" | median)
        cpu=$(cut -d' ' -f3 "$scratch/times.$program" | median)
        if [ "$program" = floor ]; then
            size=- sum=-
        else
            size=$(cat "$scratch/size.$program") sum=$(cat "$scratch/sum.$program")
        fi
        awk -v p="$program" -v t="$time_s" -v ft="$floor_time" -v r="$rss" -v fr="$floor_rss" \
            -v c="$cpu" -v fc="$floor_cpu" -v size="$size" -v sum="$sum" \
            'BEGIN { printf "%-8s %10.3f %7.3f %9.1f MB %7.3f %9.2f %7.3f %12s %14s\n",
                     p, t, t / ft, r / 1024, r / fr, c, c / fc, size, sum }'
    done
done
