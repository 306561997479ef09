#!/usr/bin/env bash
# The floors of src/: each folder is named by its floor number, and a file may
# include only files of its own folder or of a folder on a lower floor. Prints
# the folder graph (who includes whom, and how often) and fails on every
# include that points up or sideways into another folder of the same floor.
#   scripts/check-layers.sh
set -euo pipefail
cd "$(dirname "$0")/.."

floor() { # the floor number a folder name starts with
  local n=${1%%[!0-9]*}
  [ -n "$n" ] || { echo "check-layers.sh: src/$1 has no floor number in its name" >&2; exit 1; }
  echo "$n"
}

bad=0
declare -A edges=()
while IFS= read -r line; do
  file=${line%%:*}
  target=$(printf '%s\n' "$line" | sed -E 's/.*#include "([^"]+)".*/\1/')
  from=${file#src/}
  from=${from%%/*}
  case "$target" in */*) ;; *) continue ;; esac
  to=${target%%/*}
  [ -d "src/$to" ] || { echo "check-layers.sh: $file includes $target, which is not in src/" >&2; bad=1; continue; }
  [ "$from" = "$to" ] && continue
  edges["$from -> $to"]=$((${edges["$from -> $to"]:-0} + 1))
  if [ "$(floor "$to")" -ge "$(floor "$from")" ]; then
    echo "check-layers.sh: $file includes $target: $to is not below $from" >&2
    bad=1
  fi
done < <(grep -rn --include='*.cpp' --include='*.h' '^#include "' src)

echo "The floors of src/ and who includes whom:"
for d in $(ls src | sort -n); do
  out=""
  for e in "${!edges[@]}"; do
    [ "${e%% -> *}" = "$d" ] && out+=" ${e##* -> }(${edges[$e]})"
  done
  printf '  %-12s ->%s\n' "$d" "$(printf '%s\n' $out | sort | tr '\n' ' ')"
done
[ $bad -eq 0 ] || { echo "check-layers.sh: includes point up" >&2; exit 1; }
echo "check-layers.sh: every include points down"
