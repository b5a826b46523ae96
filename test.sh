#!/usr/bin/env bash
# Installs what is missing, builds and runs every test headless.
#   ./test.sh             normal build in build/
#   ./test.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
#   ./test.sh --fuzz [fuzz/run.sh options]
#                         libFuzzer campaign over every parser in build-fuzz/ (see fuzz/run.sh)
set -euo pipefail
source "$(dirname "$0")/scripts/common.sh"

build_dir="$wexlan_root/build"
cmake_args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
case "${1:-}" in
    "") ;;
    --sanitize)
        build_dir="$wexlan_root/build-asan"
        cmake_args=(-DCMAKE_BUILD_TYPE=Debug -DWEXLAN_SANITIZE=ON -DWEXLAN_BUILD_BENCHMARKS=OFF)
        export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
        export LSAN_OPTIONS="suppressions=$wexlan_root/scripts/lsan.supp:print_suppressions=0"
        export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
        ;;
    --fuzz)
        shift
        exec "$(dirname "$0")/fuzz/run.sh" "$@"
        ;;
    *)
        echo "usage: $0 [--sanitize | --fuzz [options]]" >&2
        exit 2
        ;;
esac

wexlan_install_packages
wexlan_build "$build_dir" "${cmake_args[@]}"

cd "$build_dir"
# Rendering tests need an X server: the whole suite runs under Xvfb with Mesa's
# software OpenGL (without resets, so that processes opening windows one after
# another are never refused); widget-only tests use Qt's offscreen platform.
# Every test program keeps the workstation's configuration in a temporary folder of its
# own; the other tests get one for the whole run, so HOME's ~/.config is never touched.
config_home="$(mktemp -d)"
trap 'rm -rf "$config_home"' EXIT
run_ctest() {
    XDG_CONFIG_HOME="$config_home" xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
        ctest --output-on-failure --parallel "$(nproc)" --timeout 300 "$@"
}
if [ -n "${LSAN_OPTIONS:-}" ]; then
    # Mesa's rendering threads keep small allocations to the end and their stacks
    # carry no frames to match a suppression on: the tests that draw are checked
    # for memory errors, not for leaks.
    status=0
    run_ctest -LE render || status=$?
    ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=0" run_ctest -L render || status=$?
    exit $status
fi
run_ctest
