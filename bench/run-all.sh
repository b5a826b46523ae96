#!/usr/bin/env bash
# Runs every benchmark of the project in turn and prints their figures.
#   bench/run-all.sh [BUILD_DIR]      (default: build; build it first with ./test.sh or ./run.sh)
# Benchmarks that draw run under Xvfb when no display is set. The reader benchmark writes
# about 2 GB of inputs to /tmp/wexlan-io-bench the first time. Figures vary with what else
# the machine does: run it on a quiet machine and compare ratios, not absolute times.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
bench="$build/bench"

display() {
    if [ -n "${DISPLAY:-}" ]; then "$@"; else xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$@"; fi
}

echo "== registries: Find and FindFilename (ns per lookup at 1k, 10k, 100k items)"
"$bench/bench_resource" --benchmark_min_time=0.2
echo "== controller: start-up discovery and OpenFile + Find"
"$bench/bench_controller"
echo "== reader: own parsers and guarded VTK readers against VTK"
"$bench/io_bench"
echo "== rendering: slice playback frames per second, property sets"
display "$bench/rendering_bench"
echo "== property sheet: slice dialog playback"
display "$bench/properties_bench"
echo "== preview: 2048 x 2048 VQ slice"
QT_QPA_PLATFORM=offscreen "$bench/bench_preview"
echo "== workstation start-up"
"$root/bench/host/startup.sh" "$build"
