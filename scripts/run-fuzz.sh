#!/usr/bin/env bash
# Builds the fuzzers (in the build folder the sanitizer lane shares) and runs each for SECONDS
# (default 30), two at a time, starting from its seeds in fuzz/corpus/<name without fuzz_>.
# A dictionary fuzz/<name without fuzz_>.dict is used when there is one.
# New inputs go to a temporary folder, so the repository is left as it was. Any finding fails
# the run; its log's tail is printed and the input that caused it is kept.
#
#   scripts/run-fuzz.sh [SECONDS]
#   FUZZ_RUNS=10000000   stop each fuzzer after that many executions instead (or at SECONDS,
#                        when given, whichever comes first)
#   FUZZ_TARGETS="fuzz_frame_decoder fuzz_table_export"   run only these
#   FUZZ_NICE=10         run the fuzzers at that niceness
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD_DIR=${ASAN_BUILD_DIR:-build-asan}
SECONDS_EACH=${1:-${FUZZ_SECONDS:-30}}
TARGETS=(${FUZZ_TARGETS:-fuzz_report_framer fuzz_frame_decoder fuzz_report_descriptor fuzz_integer_texts
  fuzz_table_export fuzz_text_import fuzz_packet_import fuzz_change_log_filter fuzz_serial_receive})

bash scripts/configure-asan-build.sh "$BUILD_DIR"
cmake --build "$BUILD_DIR" -j2 --target "${TARGETS[@]}"

work=$(mktemp -d /tmp/tq612-fuzz.XXXXXX)
limit=(-max_total_time="$SECONDS_EACH")
if [ -n "${FUZZ_RUNS:-}" ]; then
  limit=(-runs="$FUZZ_RUNS")
  # A run that is slow stops at SECONDS when they were given as well.
  if [ $# -ge 1 ]; then limit+=(-max_total_time="$1"); fi
fi
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

start() {
  local name=$1 options=()
  # The file readers take whole files; the others need only short inputs.
  case $name in *_import) options+=(-max_len=65536) ;; esac
  if [ -f "fuzz/${name#fuzz_}.dict" ]; then options+=(-dict="fuzz/${name#fuzz_}.dict"); fi
  mkdir -p "$work/$name"
  nice -n "${FUZZ_NICE:-0}" "$BUILD_DIR/fuzz/$name" "${limit[@]}" "${options[@]}" -timeout=30 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$work/$name-" "$work/$name" "fuzz/corpus/${name#fuzz_}" \
    >"$work/$name.log" 2>&1 &
  names[$!]=$name
}

report() {
  local name=$1 status=$2
  if [ "$status" -eq 0 ]; then
    echo "$name: $(grep -E '^Done [0-9]+ runs' "$work/$name.log" || tail -n 1 "$work/$name.log")"
  else
    echo "$name FOUND A PROBLEM (exit $status); log $work/$name.log, input kept as:"
    ls "$work/$name"-* 2>/dev/null || echo "  (no input written)"
    tail -n 40 "$work/$name.log"
    failed=1
  fi
}

# Waits for whichever running fuzzer ends first.
collect() {
  local status=0 done_pid
  wait -n -p done_pid "${!names[@]}" || status=$?
  report "${names[$done_pid]}" "$status"
  unset "names[$done_pid]"
}

declare -A names=()
failed=0
for name in "${TARGETS[@]}"; do
  if [ "${#names[@]}" -ge 2 ]; then collect; fi
  start "$name"
done
while [ "${#names[@]}" -gt 0 ]; do collect; done
echo "Logs and new inputs: $work"
exit $failed
