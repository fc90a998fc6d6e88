#!/usr/bin/env bash
# Checks the naming rule of README.md ("Names follow one rule") over our own
# sources: clang-tidy with .clang-tidy over every translation unit of a
# configured and built tree (default build-test/, which has the tests' and
# benchmarks' units) and over fuzz/, then a look for separators in the names
# our files declare, which clang-tidy's lower_case lets through. Prints each
# finding as file:line and fails if there is one.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-test}"
folders='platform|tablestore|catalogue|ui|tests|bench|fuzz'
findings="$(mktemp)"
trap 'rm -f "$findings"' EXIT

if [[ ! -f $build/compile_commands.json ]]; then
  echo "No $build/compile_commands.json: configure and build that tree first (cmake --preset test ...)" >&2
  exit 1
fi
# clang-tidy, one process per core; a header is reported once. It fails
# on a unit it cannot parse, which then shows among the findings.
tidyfailed=0
python3 -c 'import json, sys
for unit in json.load(open(sys.argv[1])): print(unit["file"])' "$build/compile_commands.json" |
  grep -E "^$PWD/($folders)/" | sort -u |
  xargs -r -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet 2>/dev/null >"$findings" || tidyfailed=1
clang-tidy --quiet fuzz/*.cpp -- -std=c++20 -I. 2>/dev/null >>"$findings" || tidyfailed=1
tidy="$(grep -E '^[^ ]+:[0-9]+:[0-9]+: (warning|error):' "$findings" | sed "s|^$PWD/||" | sort -u || true)"
if [[ $tidyfailed == 1 && -z $tidy ]]; then
  echo "clang-tidy failed without a finding:" >&2
  cat "$findings" >&2
  exit 1
fi

# Separators: a name with "_" between letters or digits, unless it has the
# shape of a name the program has always had (the windows' controls and their
# handlers, the table operations and the catalogue's tables), of a Qt Test
# data function, of a member type the standard library asks for or of a macro.
kept='^((b|c|e|l|m|r|label|Label|GB|Action|ListView|PopupMenu)_.*|db_[a-z]+|[a-z][A-Za-z0-9]*_data|'
kept+='value_type|size_type|difference_type|iterator_category|const_iterator|[A-Z0-9_]+)$'
mapfile -t files < <(git ls-files --cached --others --exclude-standard -- platform tablestore catalogue ui tests bench fuzz |
  grep -E '\.(cpp|h)$' | while read -r file; do [[ -f $file ]] && echo "$file"; done)
separators="$(ctags -x --language-force=C++ --kinds-C++=+lzpDZ --_xformat='%F:%n: %K %N' "${files[@]}" |
  awk -v kept="$kept" '$3 ~ /[A-Za-z0-9]_[A-Za-z0-9]/ && $3 !~ kept {
    print $1 " " $2 " \x27" $3 "\x27 has a separator: write it without \"_\""}' | sort -u)"

if [[ -n $tidy ]]; then
  echo "$tidy"
  echo "The names above break the rule of README.md (\"Names follow one rule\"): rename them; a name a framework" \
    "calls or the program has always had goes into .clang-tidy's exceptions"
fi
if [[ -n $separators ]]; then
  echo "$separators"
  echo "The names above have separators (README.md, \"Names follow one rule\"); a name the program has always had" \
    "goes into the shapes kept in scripts/names.sh"
fi
[[ -z $tidy && -z $separators ]] || exit 1
echo "Names: clang-tidy and the separator check find nothing"
