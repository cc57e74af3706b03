#!/usr/bin/env bash
# Makes a tree of many JPEG files for batch measurements: the corpus's JPEG
# files copied once, then hard-linked (never the corpus's own files) into
# numbered folders until the tree holds at least COUNT files.
#
# usage: bench/make-tree.sh COUNT TREE [CORPUS_DIR]
#   CORPUS_DIR  default: ../shared/corpus beside the project
# The tree is made anew; its files share one copy of the corpus's bytes.
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

# Links the first N corpus files into FOLDER, one link a file.
LinkFiles() {
    local folder=$1 n=$2 i name
    mkdir "$folder"
    for ((i = 0; i < n; i++)); do
        name=$(printf '%03d' "$i")-$(basename "${files[i]}")
        # A copy: a hard link to a corpus file would change that file's inode.
        cp "${files[i]}" "$folder/$name"
    done
}

# The first folder is copied file by file from the corpus; every further
# whole copy is one cp -al of it, hard links to those copies (a process per
# link made 100,000 files take many minutes).
per=${#files[@]}
whole=$((count / per))
rest=$((count % per))
copy=0
if (( whole > 0 )); then
    LinkFiles "$tree/copy-0000" "$per"
    for ((copy = 1; copy < whole; copy++)); do
        cp -al "$tree/copy-0000" "$tree/copy-$(printf '%04d' "$copy")"
    done
fi
if (( rest > 0 )); then
    LinkFiles "$tree/copy-$(printf '%04d' "$copy")" "$rest"
    copy=$((copy + 1))
fi
echo "$tree: $count files in $copy folders"
