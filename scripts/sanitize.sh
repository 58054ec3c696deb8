#!/usr/bin/env bash
# Builds Sondarium with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan and runs the whole test suite there; then builds the audio
# service's tests with ThreadSanitizer into build-tsan and runs them. Any
# sanitizer report (leaks included) fails the run.
#
#   ./scripts/sanitize.sh          both steps
#   ./scripts/sanitize.sh asan     only the first
#   ./scripts/sanitize.sh tsan     only the second
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"
what="${1:-all}"

# Leaks of the system libraries only (Qt's platform plugin, fontconfig); the
# file says why each entry is there.
export LSAN_OPTIONS="suppressions=$top/scripts/lsan.supp:print_suppressions=0"
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"

# Line tables are enough for the reports' stacks. The optimiser costs most of a
# build's time on two cores and finds nothing more, so the suite is built
# without it; ThreadSanitizer keeps -O1, without which the real-time mix threads
# run too slowly to keep up with their outputs.
configure() {
    cmake -S "$top" -B "$1" -DCMAKE_BUILD_TYPE=Sanitize -DCMAKE_CXX_FLAGS_SANITIZE="$3 -g1" \
          -DSONDARIUM_BENCH=OFF -DSONDARIUM_SANITIZE="$2" >/dev/null
}

if [[ "$what" == all || "$what" == asan ]]; then
    echo "== AddressSanitizer + UndefinedBehaviorSanitizer: whole suite"
    configure "$top/build-asan" address,undefined -O0
    cmake --build "$top/build-asan" -j"$jobs"
    ctest --test-dir "$top/build-asan" --output-on-failure -j"$jobs"
fi

if [[ "$what" == all || "$what" == tsan ]]; then
    echo "== ThreadSanitizer: the audio service's tests"
    configure "$top/build-tsan" thread -O1
    tsan_tests=(test_audio test_sound test_alsa)
    cmake --build "$top/build-tsan" -j"$jobs" --target "${tsan_tests[@]}"
    # Run whole, as CTest would give each test: headless, with the sources' folder.
    for t in "${tsan_tests[@]}"; do
        echo "-- $t"
        QT_QPA_PLATFORM=offscreen SONDARIUM_SOURCE_DIR="$top" "$top/build-tsan/tests/$t" --gtest_brief=1
    done
fi
