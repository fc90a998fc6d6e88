#!/usr/bin/env bash
# The house rules and every test: the layout (scripts/format.sh --check), the
# preset "test" built with GCC, the preset "asan" (AddressSanitizer and
# UndefinedBehaviorSanitizer) built with clang, both free of warnings, the
# naming rule over our sources (scripts/names.sh), then every test in both
# builds (in "test" the end-to-end test too, under its own Xvfb).
# Needs no display. It builds in build-test/ and build-asan/, folders that
# scripts/run.sh leaves alone.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
jobs="$(nproc)"
unset DISPLAY WAYLAND_DISPLAY

status=0
echo "== Layout =="
scripts/format.sh --check || status=1

for preset in test asan; do
  cmake --preset "$preset" -DCMAKE_COMPILE_WARNING_AS_ERROR=ON >/dev/null
  cmake --build --preset "$preset" -j"$jobs"
done

echo "== Names =="
scripts/names.sh build-test || status=1
echo "== Tests =="
ctest --preset test -j"$jobs" || status=1
echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer (clang) =="
ctest --preset asan -j"$jobs" || status=1
exit $status
