#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need,
# only when some are missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-translations-l10n libgl-dev
  libjpeg-dev libicu-dev libgtest-dev libgmock-dev libbenchmark-dev
  zlib1g-dev
  libsqlite3-dev  # the benchmarks' SQLite peer only
  xvfb xdotool openbox imagemagick x11-utils fonts-dejavu-core fonts-urw-base35
  poppler-utils  # the printed card's test reads its PDF back
  clang libclang-rt-14-dev clang-format clang-tidy universal-ctags  # the sanitizer build, layout and names
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi
