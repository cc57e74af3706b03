#!/bin/bash
# Compares every output form of two builds of pixloupe-report over the
# project's photographs and the corpus: the four panes in both colour
# modes, one file at a time and all at once, and --json, --jsonl, --csv.
#   scripts/compare-outputs.sh OLD_REPORT NEW_REPORT [FOLDER...]
# Prints the forms that differ; exits 1 when any does.
set -uo pipefail
old=$1 new=$2
shift 2
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
folders=("$@")
if [ ${#folders[@]} -eq 0 ]; then
  folders=("$top/tests/photos")
  corpus=${PIXLOUPE_CORPUS:-$top/../shared/corpus}
  [ -d "$corpus" ] && folders+=("$corpus")
fi
mapfile -d '' files < <(find "${folders[@]}" -type f ! -name '*.md' ! -name '*.py' -print0 | sort -z)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
differ=0
Compare() {  # name, then the options
  local name=$1
  shift
  TZ=UTC "$old" "$@" > "$work/old" 2>&1
  TZ=UTC "$new" "$@" > "$work/new" 2>&1
  if ! cmp -s "$work/old" "$work/new"; then
    echo "DIFFERS: $name"
    diff "$work/old" "$work/new" | head -20
    differ=1
  fi
}
for color in never always; do
  Compare "panes, all files, --color=$color" --color=$color -j 1 "${files[@]}"
  for file in "${files[@]}"; do
    Compare "panes of $file, --color=$color" --color=$color "$file"
  done
done
for form in --json --jsonl --csv; do
  Compare "$form" $form -j 1 "${files[@]}"
done
echo "compared ${#files[@]} files: $([ $differ = 0 ] && echo identical || echo DIFFERENT)"
exit $differ
