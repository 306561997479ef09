#!/usr/bin/env bash
# Puts the two-line licence header on every C++ file of the program that lacks one:
#
#   // SPDX-License-Identifier: GPL-3.0-or-later
#   // Copyright (C) 2026 The Blomp developers
#
#   scripts/license-headers.sh          add the header where it is missing (safe to run again)
#   scripts/license-headers.sh --check  list the files without one; status 1 if there are any
#
# The files are those of src/, tools/ and tests/ that git knows or would add.
set -euo pipefail
cd "$(dirname "$0")/.."

spdx="// SPDX-License-Identifier: GPL-3.0-or-later"
holder="// Copyright (C) 2026 The Blomp developers"
check=0
case "${1:-}" in
  --check) check=1 ;;
  "") ;;
  *) echo "usage: scripts/license-headers.sh [--check]" >&2; exit 2 ;;
esac

missing=0
while IFS= read -r f; do
  [ -f "$f" ] || continue
  head -n 5 "$f" | grep -q "SPDX-License-Identifier:" && continue
  missing=$((missing + 1))
  if [ $check -eq 1 ]; then
    echo "no licence header: $f"
  else
    tmp="$f.licence-tmp"
    { printf '%s\n%s\n' "$spdx" "$holder"; cat "$f"; } > "$tmp"
    chmod --reference="$f" "$tmp"
    mv "$tmp" "$f"
  fi
done < <(git ls-files --cached --others --exclude-standard -- \
  'src/*.cpp' 'src/*.h' 'tools/*.cpp' 'tools/*.h' 'tests/*.cpp' 'tests/*.h' | sort -u)

if [ $check -eq 1 ]; then
  [ $missing -eq 0 ] && echo "every C++ file has its licence header"
  [ $missing -eq 0 ]
else
  echo "licence header added to $missing files"
fi
