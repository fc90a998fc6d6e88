#!/usr/bin/env bash
# Builds Mixolino and starts it. It builds in build-run/, a folder of its own
# that scripts/test.sh leaves alone; the database lives in build-run/ui/db/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build-run -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-run --target mixolino -j"$(nproc)"

# Earlier versions built in build/ and kept the database there: take it along once.
if [[ -d build/ui/db && ! -e build-run/ui/db ]]; then
  cp -a build/ui/db build-run/ui/db
fi

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "Mixolino is built (build-run/ui/mixolino), but no display is available to show its window."
  echo "Start it from a desktop session, or under a virtual X server:  xvfb-run -a build-run/ui/mixolino"
  exit 1
fi
exec build-run/ui/mixolino
