#!/usr/bin/env bash
# Builds Mixolino and starts it. The database lives in build/ui/db/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target mixolino -j"$(nproc)"

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "Mixolino is built (build/ui/mixolino), but no display is available to show its window."
  echo "Start it from a desktop session, or under a virtual X server:  xvfb-run -a build/ui/mixolino"
  exit 1
fi
exec build/ui/mixolino
