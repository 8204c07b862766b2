#!/usr/bin/env bash
# Throughput of `miral process` on a long 32-bit float stereo WAV, against the time to copy the
# file plus the equaliser's own processing time (miral_bench, all six bands), and the same
# six-band chain in sox for comparison. Prints a Markdown table.
#
#   bench/throughput.sh [BUILD_DIR]      default build/release, configured as in the README
#
# MIRAL_BENCH_SECONDS sets the file's length (default 600), MIRAL_BENCH_RUNS the runs of each
# command (default 5; the median counts). Needs sox and python3; the files go to a folder in
# the build tree, on the same disk as a real project's.
set -euo pipefail
build=${1:-build/release}
seconds=${MIRAL_BENCH_SECONDS:-600}
runs=${MIRAL_BENCH_RUNS:-5}
miral=$build/cli/miral
program=8

for tool in sox python3 "$miral" "$build/bench/miral_bench"; do
    command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done
work=$(mktemp -d "$build/throughput-XXXXXX")
trap 'rm -rf "$work"' EXIT

sox -n -r 48000 -c 2 -e floating-point -b 32 "$work/long.wav" synth "$seconds" pinknoise vol 0.5
frames=$((seconds * 48000))

calc() { awk "BEGIN { print $1 }"; }

# Median wall-clock seconds of a command run $runs times (after one run that warms the caches).
median() {
    "$@" >/dev/null 2>&1
    for _ in $(seq "$runs"); do
        start=$(date +%s.%N)
        "$@" >/dev/null 2>&1
        calc "$(date +%s.%N) - $start"
    done | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

# The program's settings as a sox chain: low shelf, four peaking bands, high shelf, output gain.
sox_chain=$("$miral" info --json | python3 -c '
import json, sys
p = json.load(sys.stdin)["programs"][int(sys.argv[1])]["values"]
g = lambda b: p[4 * b] * p[24]  # band gain scaled by the gain range
chain = []
if p[4 * 0 + 3]: chain += ["bass", "%.3f" % g(0), "%.1f" % p[4 * 0 + 1]]
for b in range(1, 5):
    if p[4 * b + 3]: chain += ["equalizer", "%.1f" % p[4 * b + 1], "%.3fq" % p[4 * b + 2], "%.3f" % g(b)]
if p[4 * 5 + 3]: chain += ["treble", "%.3f" % g(5), "%.1f" % p[4 * 5 + 1]]
print(" ".join(chain + ["gain", "%.3f" % p[25]]))
' "$program")

# Seconds per frame of all six bands in 4096-frame blocks (the benchmark's inverted rate).
per_frame=$("$build/bench/miral_bench" --benchmark_filter='^BM_ProcessStereo/bands:6/block:4096$' \
    --benchmark_format=csv 2>/dev/null | awk -F, '/BM_ProcessStereo/ { print $NF }')
engine_ns=$(calc "$per_frame * 1e9")
engine=$(calc "$per_frame * $frames")
copy=$(median cp "$work/long.wav" "$work/copy.wav")
process=$(median "$miral" process "$work/long.wav" "$work/out.wav" --program "$program" -q)
# shellcheck disable=SC2086 # the chain is words
sox_time=$(median sox "$work/long.wav" "$work/sox.wav" $sox_chain)

size=$(du -m "$work/long.wav" | cut -f1)
printf '| %s MiB float WAV, %s s stereo at 48 kHz | seconds | vs. copy + engine |\n' "$size" "$seconds"
printf '|---|---:|---:|\n'
row() { printf '| %s | %.2f | %.2f× |\n' "$1" "$2" "$(calc "$2 / ($copy + $engine)")"; }
row "cp (copy the file)" "$copy"
row "equaliser alone (miral_bench, 6 bands, ${engine_ns} ns/frame)" "$engine"
row "miral process --program $program" "$process"
row "sox with the same six bands" "$sox_time"
