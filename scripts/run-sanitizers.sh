#!/usr/bin/env bash
# The sanitizer lane: every test built with AddressSanitizer and UndefinedBehaviorSanitizer and
# run, then the HID layer's tests built with ThreadSanitizer and run a few times. Any report
# fails the lane. The address build folder is shared with the fuzzers (scripts/run-fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
ASAN_DIR=${ASAN_BUILD_DIR:-build-asan}
TSAN_DIR=${TSAN_BUILD_DIR:-build-tsan}
TSAN_RUNS=${TSAN_RUNS:-3}

bash scripts/configure-asan-build.sh "$ASAN_DIR"
cmake --build "$ASAN_DIR"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/tq612-runtime.XXXXXX)}
chmod 700 "$XDG_RUNTIME_DIR"
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0
ctest --test-dir "$ASAN_DIR" --output-on-failure --timeout 900 -j2

cmake -S . -B "$TSAN_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTQ612_TSAN=ON \
  -DTQ612_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$TSAN_DIR" --target test_link
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
for run in $(seq "$TSAN_RUNS"); do
  echo "ThreadSanitizer run $run of $TSAN_RUNS"
  "$TSAN_DIR/tests/link/test_link" --gtest_brief=1
done
