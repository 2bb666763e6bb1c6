#!/usr/bin/env bash
# Configures the build folder that the sanitizer lane and the fuzzers share: clang with
# AddressSanitizer and UndefinedBehaviorSanitizer, the fuzz targets included. Both lanes
# configure it here so that neither changes a flag the other built with, which would rebuild
# everything.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B "${1:-build-asan}" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DTQ612_FUZZ=ON -DTQ612_BUILD_BENCHMARKS=OFF >/dev/null
