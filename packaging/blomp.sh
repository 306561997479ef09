#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The Blomp developers
#
# blomp: starts the installed game. The game reads ./data and keeps its
# settings, hiscores and saved game in the folder it runs in, so each player
# gets a folder of their own, $XDG_DATA_HOME/blomp (~/.local/share/blomp when
# XDG_DATA_HOME is not set), with links to the installed data, and the game
# runs there. A real data folder a player puts there instead is left alone.
set -e

here=$(dirname "$(readlink -f "$0")")
prefix=$(dirname "$here")
game="$prefix/libexec/blomp/blomp"
share="$prefix/share/games/blomp"

case "${XDG_DATA_HOME:-}" in
  /*) base="$XDG_DATA_HOME" ;;
  *)
    if [ -z "${HOME:-}" ]; then
      echo "blomp: neither HOME nor XDG_DATA_HOME is set, so there is no folder for the game's files" >&2
      exit 1
    fi
    base="$HOME/.local/share"
    ;;
esac
dir="$base/blomp"

if ! mkdir -p "$dir"; then
  echo "blomp: cannot make the folder $dir" >&2
  exit 1
fi
# A link already pointing at the installed data is left alone, so a complete
# player folder that cannot be written (a kiosk, a live system) still starts.
for item in data mapsen; do
  link="$dir/$item"
  if [ -L "$link" ]; then
    [ "$(readlink "$link")" = "$share/$item" ] && continue
  elif [ -e "$link" ]; then
    continue
  fi
  ln -sfn "$share/$item" "$link" || echo "blomp: cannot link $link to the installed data" >&2
done
cd "$dir"
exec "$game" "$@"
