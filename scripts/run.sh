#!/usr/bin/env bash
# Builds Mixolino, installs it for the current user and starts the installed
# program. It installs where scripts/install-desktop.sh does,
# ~/.local/lib/mixolino/, and the database lives in db/ there: cleaning or
# deleting a build folder never touches the recipes, ratings and marks.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-desktop.sh
programdir="$HOME/.local/lib/mixolino"

# Earlier versions ran inside a build folder and kept the database there:
# take the newest one along once.
for earlier in build-release build-run build; do
  if [[ -f $earlier/ui/db/status.txt && ! -e $programdir/db ]]; then
    cp -a "$earlier/ui/db" "$programdir/db"
    echo "The database of $earlier/ui/db was copied to $programdir/db."
  fi
done

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "Mixolino is installed ($programdir/mixolino), but no display is available to show its window."
  echo "Start it from a desktop session, or under a virtual X server:  xvfb-run -a $programdir/mixolino"
  exit 1
fi
exec "$programdir/mixolino"
