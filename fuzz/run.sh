#!/usr/bin/env bash
# Fuzzing campaign: builds the fuzz targets with clang's libFuzzer, AddressSanitizer
# and UBSan in build-fuzz/, makes the seed corpora and fuzzes each target.
#
#   fuzz/run.sh [--seconds N] [--jobs N] [TARGET...]
#
#   --seconds N  how long each target runs (default 600)
#   --jobs N     how many targets run at once (default: the number of cores)
#   TARGET       fuzz_reader_xyz, fuzz_configuration, ... (default: all of them)
#
# Each target keeps its growing corpus in build-fuzz/fuzz/corpus/<target>/ (so a
# later run continues where the last stopped) and writes what it finds (crashes,
# property breaks, timeouts, slow inputs) to build-fuzz/fuzz/findings/<target>/,
# which is emptied when the target starts. A finding is turned into a regression
# test by copying its input to fuzz/regressions/<target>/: the normal and the
# sanitizer suites replay that folder. The run fails if any target found something; a summary
# with executions and coverage per target goes to build-fuzz/fuzz/summary.txt.
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"
WEXLAN_PACKAGES+=(clang libclang-rt-14-dev)

seconds=600
jobs="$(nproc)"
targets=()
while [ $# -gt 0 ]; do
    case "$1" in
        --seconds) seconds="$2"; shift 2 ;;
        --jobs) jobs="$2"; shift 2 ;;
        -*) echo "usage: $0 [--seconds N] [--jobs N] [TARGET...]" >&2; exit 2 ;;
        *) targets+=("$1"); shift ;;
    esac
done

wexlan_install_packages
build="$wexlan_root/build-fuzz"
CC=clang CXX=clang++ cmake -S "$wexlan_root" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWEXLAN_FUZZ=ON \
    -DWEXLAN_BUILD_TESTS=OFF -DWEXLAN_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target wexlan_fuzzers

out="$build/fuzz"
if [ ${#targets[@]} -eq 0 ]; then
    mapfile -t targets < <(cd "$out" && find . -maxdepth 1 -type f -executable -name 'fuzz_*' \
        ! -name fuzz_seeds -printf '%f\n' | sort)
fi
"$out/fuzz_seeds" "$out/seeds" >/dev/null

export ASAN_OPTIONS="detect_leaks=0:allocator_may_return_null=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# fuzz_one TARGET: one campaign; its log ends with libFuzzer's final statistics.
fuzz_one() {
    local target="$1"
    # Findings are this run's: earlier ones were reported by their own run.
    rm -rf "$out/findings/$target"
    mkdir -p "$out/corpus/$target" "$out/findings/$target"
    # The regressions folder seeds the run too, so old findings stay fixed.
    local regressions="$wexlan_root/fuzz/regressions/$target"
    local scratch="$out/scratch/$target"
    [ -d /dev/shm ] && scratch="/dev/shm/wexlan-fuzz-$target-$$"
    (cd "$out/findings/$target" && WEXLAN_FUZZ_SCRATCH="$scratch" \
        "$out/$target" "$out/corpus/$target" "$out/seeds/$target" \
            $( [ -d "$regressions" ] && echo "$regressions" ) \
            -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2560 -max_len=65536 \
            -print_final_stats=1 -close_fd_mask=3 \
            >"$out/logs/$target.log" 2>&1) || true
    rm -rf "$scratch"
}

mkdir -p "$out/logs"
echo "Fuzzing ${#targets[@]} targets for $seconds s each, $jobs at a time"
status=0
for target in "${targets[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
    echo "  $target"
    fuzz_one "$target" &
done
wait || true

summary="$out/summary.txt"
: >"$summary"
for target in "${targets[@]}"; do
    log="$out/logs/$target.log"
    runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')"
    cov="$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*' || echo '?')"
    slowest="$(grep -o 'slowest_unit_time_sec: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')"
    found="$(find "$out/findings/$target" -type f | wc -l)"
    printf '%-26s %10s executions  %6s edges  slowest input %3s s  %s findings\n' \
        "$target" "$runs" "$cov" "$slowest" "$found" | tee -a "$summary"
    [ "$found" -eq 0 ] || status=1
done
exit $status
