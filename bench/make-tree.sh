#!/usr/bin/env bash
# Makes a tree of many JPEG files for batch measurements: the corpus's JPEG
# files hard-linked (or, across file systems, symbolically linked) into
# numbered folders until the tree holds at least COUNT files.
#
# usage: bench/make-tree.sh COUNT TREE [CORPUS_DIR]
#   CORPUS_DIR  default: ../shared/corpus beside the project
# The tree is made anew; its files share the corpus's bytes, so it costs
# no disk space.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
count=${1:?usage: make-tree.sh COUNT TREE [CORPUS_DIR]}
tree=${2:?usage: make-tree.sh COUNT TREE [CORPUS_DIR]}
corpus=$(cd "${3:-$here/../shared/corpus}" && pwd)

files=()
while IFS= read -r -d '' path; do files+=("$path"); done \
    < <(find "$corpus" -type f \( -iname '*.jpg' -o -iname '*.jpeg' \) -print0 | sort -z)
(( ${#files[@]} > 0 )) || { echo "no JPEG files under $corpus" >&2; exit 2; }

rm -rf "$tree"
mkdir -p "$tree"
made=0
copy=0
while (( made < count )); do
    folder=$tree/copy-$(printf '%04d' "$copy")
    mkdir "$folder"
    for path in "${files[@]}"; do
        (( made < count )) || break
        name=$(printf '%05d' "$made")-$(basename "$path")
        ln "$path" "$folder/$name" 2>/dev/null || ln -s "$path" "$folder/$name"
        made=$((made + 1))
    done
    copy=$((copy + 1))
done
echo "$tree: $made files in $copy folders"
