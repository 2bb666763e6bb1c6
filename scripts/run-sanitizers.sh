#!/usr/bin/env bash
# The sanitizer lane: every test built with AddressSanitizer and UndefinedBehaviorSanitizer and
# run, then, built with ThreadSanitizer, the tests of the code with threads of its own: the HID
# layer's, run a few times, and the journal's and the session's (the journal's writer and copying
# threads), run once each. Any report fails the lane. The address build folder is shared with the
# fuzzers (scripts/run-fuzz.sh).
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

TSAN_STARTED=$SECONDS
TSAN_ONCE=(journal/test_recording_journal journal/test_journal_faults journal/test_journal_ownership
  journal/test_journal_salvage session/test_session session/test_session_restore session/test_stalled_session)
cmake -S . -B "$TSAN_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTQ612_TSAN=ON \
  -DTQ612_BUILD_BENCHMARKS=OFF >/dev/null
# Only these tests are built: the whole tree under ThreadSanitizer would double the lane's time.
cmake --build "$TSAN_DIR" --target test_link "${TSAN_ONCE[@]##*/}"
# Qt and glibc are not built with ThreadSanitizer; tsan.supp names the races it reports inside them.
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/sanitizers/tsan.supp
for run in $(seq "$TSAN_RUNS"); do
  echo "ThreadSanitizer run $run of $TSAN_RUNS"
  "$TSAN_DIR/tests/link/test_link" --gtest_brief=1
done
# ThreadSanitizer cannot follow a child forked while other threads run (QtTest's watchdog always
# does) that starts threads of its own, so the tests that run the journal in a child with mounts
# of its own are left to the other lanes.
TSAN_FORKING=(aReadOnlyJournalFileIsNamedAsTheFile)
for test in "${TSAN_ONCE[@]}"; do
  echo "ThreadSanitizer: $test"
  functions=()
  mapfile -t functions < <("$TSAN_DIR/tests/$test" -functions | sed 's/()$//' | grep -vxF -f <(printf '%s\n' "${TSAN_FORKING[@]}"))
  LC_ALL=C.UTF-8 "$TSAN_DIR/tests/$test" -silent "${functions[@]}"
done
echo "The ThreadSanitizer part took $((SECONDS - TSAN_STARTED)) s"
