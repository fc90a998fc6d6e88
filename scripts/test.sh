#!/usr/bin/env bash
# Builds and runs every test twice: with the preset "test" (the end-to-end
# test included, under its own Xvfb) and with the preset "asan"
# (AddressSanitizer and UndefinedBehaviorSanitizer). Needs no display. It
# builds in build-test/ and build-asan/, folders that scripts/run.sh leaves
# alone.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
jobs="$(nproc)"
unset DISPLAY WAYLAND_DISPLAY

cmake --preset test >/dev/null
cmake --build --preset test -j"$jobs"
cmake --preset asan >/dev/null
cmake --build --preset asan -j"$jobs"

status=0
echo "== Tests =="
ctest --preset test -j"$jobs" || status=1
echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer =="
ctest --preset asan -j"$jobs" || status=1
exit $status
