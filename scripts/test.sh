#!/usr/bin/env bash
# Builds and runs every test twice: a normal build (with the end-to-end test
# under its own Xvfb) and a build with AddressSanitizer and
# UndefinedBehaviorSanitizer. Needs no display. It builds in build-test/ and
# build-asan/, folders that scripts/run.sh leaves alone.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
jobs="$(nproc)"
unset DISPLAY WAYLAND_DISPLAY

cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIXOLINO_UI=ON -DMIXOLINO_SANITIZE=OFF >/dev/null
cmake --build build-test -j"$jobs"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DMIXOLINO_UI=ON -DMIXOLINO_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"

status=0
echo "== Tests =="
(cd build-test && ctest --output-on-failure -j"$jobs") || status=1
echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer =="
(cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j"$jobs" -LE e2e) || status=1
exit $status
