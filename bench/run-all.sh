#!/usr/bin/env bash
# Runs every benchmark of the project and writes the performance table.
#   bench/run-all.sh [BUILD_DIR] [OUTPUT]
#     BUILD_DIR  default: build (build it first with ./test.sh or ./run.sh)
#     OUTPUT     default: docs/performance.md
# Every benchmark prints "FIGURE | what | figure | target | ratio | met" lines besides
# its own output; they become the table, headed by the machine and the date, and
# followed by the notes in bench/performance-notes.md. The full output goes to
# BUILD_DIR/bench/run-all.log. Benchmarks that draw run under Xvfb when no display is
# set. The reader benchmark writes about 2 GB of inputs to /tmp/wexlan-io-bench the
# first time. Figures vary with what else the machine does: run it on a quiet machine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
output="${2:-$root/docs/performance.md}"
bench="$build/bench"
log="$bench/run-all.log"
# The benchmarks that start the workstation's panel keep their settings apart from the user's.
XDG_CONFIG_HOME="$(mktemp -d)"
export XDG_CONFIG_HOME
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT

display() {
    if [ -n "${DISPLAY:-}" ]; then "$@"; else xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$@"; fi
}

# step TITLE COMMAND...: one benchmark; a failing one is reported and the rest still run.
step() {
    local title="$1"
    shift
    echo "== $title"
    "$@" || echo "!! $title: the benchmark failed (exit $?)"
}

run_all() {
    step "registries: Find and FindFilename" "$bench/bench_resource" --benchmark_min_time=0.2
    step "controller: start-up discovery and OpenFile + Find" "$bench/bench_controller"
    step "reader: own parsers and guarded VTK readers against VTK" "$bench/bench_io"
    step "remote: retrieving a series from Orthanc against curl, opening it from the cache" "$bench/bench_remote"
    step "rendering: slice playback frames per second, property sets" display "$bench/bench_rendering"
    step "rendering: turning a 2M-triangle surface and volume renderings, interaction level of detail" display "$bench/bench_lod"
    step "property sheet: slice dialog playback" display "$bench/bench_properties"
    step "preview: 2048 x 2048 VQ slice" env QT_QPA_PLATFORM=offscreen "$bench/bench_preview"
    step "workstation start-up" "$root/bench/host/startup.sh" "$build"
    step "workstation loading: timer pauses, cancel, memory" "$bench/bench_loading"
    step "hardware: OpenIGTLink poses to the shown frame, image stream" display "$bench/bench_igtl"
}
run_all 2>&1 | tee "$log"

cpu="$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)"
memory="$(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo)"
system="$(. /etc/os-release && echo "$PRETTY_NAME")"
commit="$(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)"
{
    echo "# Performance"
    echo
    echo "Every benchmark of the project, as \`bench/run-all.sh\` measured them. Rerun it to"
    echo "measure your own machine: it rewrites this file."
    echo
    echo "Measured on $(date -u +%Y-%m-%d): ${cpu:-unknown CPU}, $(nproc) cores, $memory,"
    echo "$system, commit $commit, build \`$(basename "$build")\`."
    echo
    echo "| What | Figure | Target | Ratio | Met |"
    echo "|---|---|---|---|---|"
    # Google Benchmark colours its table even into a pipe: drop the colour codes.
    sed 's/\x1b\[[0-9;]*m//g' "$log" | sed -n 's/^FIGURE | \(.*\)$/| \1 |/p'
    grep '^!! ' "$log" | sed 's/^!! /\nNot measured: /' || true
    echo
    cat "$root/bench/performance-notes.md"
} >"$output"
echo "wrote $output"
