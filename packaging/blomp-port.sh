#!/bin/sh
# Blomp for front-ends that list "ports" (shell scripts in a ports folder, as on
# a Raspberry Pi set up for retro games). Copy this file into that folder, for
# example as ~/RetroPie/roms/ports/Blomp.sh, and make it executable; the
# front-end then shows "Blomp" beside its other ports.
#
# The game takes the screen (KMS) and the keyboards from the console when it
# starts and gives them back when it ends, whether it is left through EXIT or
# ended by a signal, so the front-end's picture returns. Pads plugged in at any
# time are picked up. What the game says on standard error (a missing driver, a
# save that failed) goes to blomp-port.log in the game's own folder, since a
# front-end shows none of it.
set -u
dir="${XDG_DATA_HOME:-$HOME/.local/share}/blomp"
mkdir -p "$dir" 2>/dev/null || dir=/tmp
game=$(command -v blomp || true)
[ -n "$game" ] || game=/usr/games/blomp
unset BLOMP_DISPLAY # the game picks the console display by itself
exec "$game" "$@" 2>>"$dir/blomp-port.log"
