#!/usr/bin/env bash
# Checks that every #include under src/ points down the layers that
# docs/HACKING.md lists between its "layers:start" and "layers:end" marks,
# top first: a file may include its own folder and the folders listed after
# it, never one listed before it. A folder nested in a listed one (the
# paged writers in the writers) is its own layer when listed, and is taken
# by the nearest listed folder above it otherwise.
#
# Usage: tools/check-layers.sh [TREE]   (TREE defaults to this checkout)
# Prints each include against the order and exits 1 if there is any; exits
# 2 when the order cannot be read or a folder of src/ is in no layer.
set -euo pipefail
tree=${1:-$(cd "$(dirname "$0")/.." && pwd)}
map="$tree/docs/HACKING.md"

mapfile -t layers < <(sed -n '/<!-- layers:start -->/,/<!-- layers:end -->/p' "$map" |
  grep -oE '^[0-9]+\. `src/[a-z/]+`' | grep -oE 'src/[a-z/]+')
if [ "${#layers[@]}" -lt 2 ]; then
  echo "check-layers: no layer order between the layers marks of $map" >&2
  exit 2
fi

# rank FILE_OR_FOLDER: the index of the deepest listed layer that holds it.
rank() {
  local path=$1 best=-1 best_len=0 i
  for i in "${!layers[@]}"; do
    case "$path/" in
      "${layers[$i]}/"*)
        if [ "${#layers[$i]}" -gt "$best_len" ]; then
          best=$i
          best_len=${#layers[$i]}
        fi ;;
    esac
  done
  echo "$best"
}

status=0
while IFS= read -r -d '' file; do
  rel=${file#"$tree"/}
  from=$(rank "$(dirname "$rel")")
  if [ "$from" -lt 0 ]; then
    echo "check-layers: $rel is in no layer of $map" >&2
    exit 2
  fi
  while IFS= read -r include; do
    to=$(rank "src/$(dirname "$include")")
    [ "$to" -lt 0 ] && continue  # not a folder of src/
    if [ "$to" -lt "$from" ]; then
      echo "$rel includes \"$include\": ${layers[$from]} may not include ${layers[$to]}, which is above it"
      status=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find "$tree/src" -type f \( -name '*.cpp' -o -name '*.hpp' \) -print0 | sort -z)
exit "$status"
