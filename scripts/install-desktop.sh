#!/usr/bin/env bash
# Builds Mixolino and installs it for the current user with a desktop menu
# entry. The program keeps its database in db/ beside itself, so it goes to a
# folder the user can write: ~/.local/lib/mixolino/. The install rules are in
# ui/CMakeLists.txt.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
prefix="$HOME/.local"
data_home="${XDG_DATA_HOME:-$prefix/share}"
# The same build as scripts/run.sh, in its folder; the menu entry and the
# icon go to the desktop's data folder.
cmake --preset release -DCMAKE_INSTALL_DATADIR="$data_home" >/dev/null
cmake --build --preset release --target mixolino -j"$(nproc)"
cmake --install build-release --prefix "$prefix"
echo "Installed: $prefix/lib/mixolino/mixolino and the menu entry \"Mixolino\"."
