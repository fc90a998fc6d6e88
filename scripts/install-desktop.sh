#!/usr/bin/env bash
# Builds Mixolino and installs it for the current user with a desktop menu
# entry. The program keeps its database in db/ beside itself, so it goes to a
# folder the user can write: ~/.local/lib/mixolino/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
# The same Release build as scripts/run.sh, in its folder.
cmake -S . -B build-run -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-run --target mixolino -j"$(nproc)"

data_home="${XDG_DATA_HOME:-$HOME/.local/share}"
program_dir="$HOME/.local/lib/mixolino"
install -D -m 755 build-run/ui/mixolino "$program_dir/mixolino"
install -D -m 644 ui/art/mixolino.png "$data_home/icons/hicolor/256x256/apps/mixolino.png"
install -d "$data_home/applications"
sed "s|^Exec=.*|Exec=$program_dir/mixolino|" ui/mixolino.desktop > "$data_home/applications/mixolino.desktop"
echo "Installed: $program_dir/mixolino and the menu entry \"Mixolino\"."
