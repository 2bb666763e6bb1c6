#!/usr/bin/env bash
# Builds the fuzzers with clang, AddressSanitizer and UndefinedBehaviorSanitizer (in the build
# folder the sanitizer lane shares) and runs both at once (one per core) for FUZZ_SECONDS each,
# starting from the seed files in fuzz/corpus. New inputs go to a temporary folder, so the
# repository is left as it was. Set FUZZ_RUNS to stop after that many executions instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD_DIR=${ASAN_BUILD_DIR:-build-asan}
FUZZ_SECONDS=${FUZZ_SECONDS:-60}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DTQ612_FUZZ=ON -DTQ612_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$BUILD_DIR" --target fuzz_text_import fuzz_packet_import

work=$(mktemp -d /tmp/tq612-fuzz.XXXXXX)
limit=(-max_total_time="$FUZZ_SECONDS")
if [ -n "${FUZZ_RUNS:-}" ]; then limit=(-runs="$FUZZ_RUNS"); fi
pids=()
for format in text packet; do
  mkdir -p "$work/$format"
  "$BUILD_DIR/fuzz/fuzz_${format}_import" "${limit[@]}" -max_len=65536 -rss_limit_mb=2048 \
    -artifact_prefix="$work/$format-" "$work/$format" "fuzz/corpus/$format" >"$work/$format.log" 2>&1 &
  pids+=($!)
done
status=0
for i in 0 1; do
  format=$([ $i -eq 0 ] && echo text || echo packet)
  if wait "${pids[$i]}"; then
    echo "fuzz_${format}_import: $(grep -E '^Done [0-9]+ runs' "$work/$format.log" || tail -n 1 "$work/$format.log")"
  else
    echo "fuzz_${format}_import FOUND A PROBLEM; the input is kept in $work:"
    tail -n 40 "$work/$format.log"
    status=1
  fi
done
exit $status
