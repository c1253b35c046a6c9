#!/usr/bin/env bash
# Runs every libFuzzer target of a PELMO_FUZZ build for a bounded time and
# prints one summary line per target. Usage: run-fuzzers.sh BUILD_DIR SECONDS
# Each target starts from its seeds in tests/fuzz/corpus (never written to)
# and keeps what it finds in BUILD_DIR/fuzz-corpus/<target>; a crash input is
# saved as BUILD_DIR/fuzz-artifacts/<target>-crash-... and fails the run.
# To reproduce one: BUILD_DIR/tests/fuzz/<target> <crash file>; the replay
# build of the same target (any normal build folder) takes the file as well.
set -euo pipefail

build=${1:?build folder}
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
targets=(fuzz_options fuzz_packer fuzz_picture fuzz_header fuzz_writer fuzz_render fuzz_codec_raw fuzz_codec_rle
         fuzz_codec_srle fuzz_codec_frle fuzz_codec_bnp fuzz_codec_bit2xp)

seeds_of() {
    case $1 in
        fuzz_codec_*) echo codec ;;
        fuzz_header) echo picture ;;
        *) echo "${1#fuzz_}" ;;
    esac
}

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1:max_allocation_size_mb=4096}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p "$build/fuzz-artifacts" "$build/fuzz-logs"
failed=0
summary=()
for t in "${targets[@]}"; do
    corpus="$build/fuzz-corpus/$t"
    log="$build/fuzz-logs/$t.log"
    mkdir -p "$corpus"
    extra=()
    [ "$t" = fuzz_options ] && extra+=(-dict="$here/options.dict")
    limits=(-max_len=4096 -rss_limit_mb=2048)
    [ "$t" = fuzz_header ] && limits=(-max_len=16384 -rss_limit_mb=2048)
    # Pictures: longer inputs; the image library may take a gigabyte or more
    # for a damaged header (in the converter the decoding child's limit bounds
    # it), and fuzz_picture screens such inputs in a child process of its own,
    # so the fuzzer's memory limit, which would count them, is off.
    [ "$t" = fuzz_picture ] && limits=(-max_len=16384 -rss_limit_mb=0)
    echo "== $t: ${seconds}s"
    if "$build/tests/fuzz/$t" -max_total_time="$seconds" -timeout=10 "${limits[@]}" \
        -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$t-" \
        "${extra[@]}" "$corpus" "$here/corpus/$(seeds_of "$t")" >"$log" 2>&1; then
        status=ok
    else
        status=FAILED
        failed=1
        tail -n 40 "$log"
    fi
    # The last status line, e.g. "#123456 DONE cov: 210 ft: 700 corp: 80/3Kb ...".
    last=$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)
    runs=$(grep -E '^stat::number_of_executed_units:' "$log" | awk '{print $2}' || true)
    summary+=("$(printf '%-20s %-6s execs %-10s %s' "$t" "$status" "${runs:-?}" \
        "$(grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[0-9a-zA-Z]+' <<<"$last" || true)")")
done
echo
printf '%s\n' "${summary[@]}"
exit $failed
