#!/usr/bin/env bash
# Builds Mixolino and starts it. It builds with the preset "release" in
# build-release/, a folder of its own that scripts/test.sh leaves alone; the
# database lives in build-release/ui/db/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target mixolino -j"$(nproc)"

# Earlier versions built in build-run/ or build/ and kept the database there:
# take it along once.
for earlier in build-run build; do
  if [[ -d $earlier/ui/db && ! -e build-release/ui/db ]]; then
    cp -a "$earlier/ui/db" build-release/ui/db
  fi
done

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "Mixolino is built (build-release/ui/mixolino), but no display is available to show its window."
  echo "Start it from a desktop session, or under a virtual X server:  xvfb-run -a build-release/ui/mixolino"
  exit 1
fi
exec build-release/ui/mixolino
