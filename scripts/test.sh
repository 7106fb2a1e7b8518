#!/usr/bin/env bash
# Build and run the whole test suite: once under AddressSanitizer +
# UndefinedBehaviorSanitizer, once normally. Ends with ctest's summary;
# the time each phase took (wall, and processor time of all its
# processes) is printed before the last one.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
times_file=$(mktemp)
trap 'rm -f "$times_file"' EXIT

# timed NAME COMMAND...: runs COMMAND and notes how long it took.
timed() {
  local name=$1 TIMEFORMAT
  shift
  TIMEFORMAT="$name: %0R s wall, %0U s user + %0S s sys"
  { time "$@" 2>&3; } 3>&2 2>>"$times_file"
}

timed "setup" scripts/setup.sh
# Line tables are all the sanitizers' reports and a crash's backtrace need;
# full debug information made every compile a sixth slower. (A developer
# who wants to step through variables sets -g again in that build folder.)
timed "ASan configure" cmake --preset asan -DCMAKE_CXX_FLAGS_DEBUG=-g1 >/dev/null
timed "ASan build" cmake --build --preset asan -j"$jobs"
asan_failed=0
( cd build/asan && timed "ASan ctest" ctest --output-on-failure -j"$jobs" -LE fuzz ) || asan_failed=1
# The normal build has a folder of its own, without the benchmarks: they
# are never run here, and were a sixth of this build. A developer's
# build/default builds them (and so checks they still compile).
timed "configure" cmake --preset check >/dev/null
timed "build" cmake --build --preset check -j"$jobs"
echo "Time of each phase:"
sed 's/^/  /' "$times_file"
cd build/check
if [ "$asan_failed" = 1 ]; then
  echo "Sanitizer run failed (see above)"
  ctest --output-on-failure -j"$jobs" -LE fuzz || true
  exit 1
fi
ctest --output-on-failure -j"$jobs" -LE fuzz
