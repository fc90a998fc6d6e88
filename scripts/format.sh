#!/usr/bin/env bash
# Lays out our own sources as .clang-format says. With --check (CI) it
# changes nothing and fails, naming each file and line whose layout differs.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t files < <(git ls-files --cached --others --exclude-standard -- platform tablestore catalogue ui tests bench fuzz |
  grep -E '\.(cpp|h)$' | while read -r file; do [[ -f $file ]] && echo "$file"; done)

if [[ ${1-} != --check ]]; then
  clang-format -i "${files[@]}"
  exit 0
fi
if ! clang-format --dry-run --Werror "${files[@]}"; then
  echo "The layout above differs from .clang-format's: run scripts/format.sh" >&2
  exit 1
fi
echo "Layout: ${#files[@]} files as .clang-format says"
