#!/usr/bin/env bash
# Build and run the whole test suite: once normally, once under
# AddressSanitizer + UndefinedBehaviorSanitizer. Ends with ctest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)
cmake --preset asan >/dev/null
cmake --build --preset asan -j"$jobs"
( cd build/asan && ctest --output-on-failure -j"$jobs" -LE fuzz ) || asan_failed=1
cmake --preset default >/dev/null
cmake --build --preset default -j"$jobs"
cd build/default
if [ "${asan_failed:-0}" = 1 ]; then
  echo "Sanitizer run failed (see above)"
  ctest --output-on-failure -j"$jobs" -LE fuzz || true
  exit 1
fi
ctest --output-on-failure -j"$jobs" -LE fuzz
