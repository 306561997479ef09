#!/bin/sh
# The first process of the virtual machine that scripts/vm-check.sh boots: it
# brings up what a console system has (udev for the device nodes and their
# groups, the sound card's mixer), then takes commands from the host, one line
# at a time, on the serial line, which is also the machine's log. Every answer
# ends with a line "@@ <status>"; lines meant for the host start with "@@".
#
#   game [VAR=VALUE...] blomp [ARG...]
#                   start the game from PATH as the user player (groups video,
#                   input, audio) with a login's environment, BLOMP_DISPLAY unset
#   term            SIGTERM to the game
#   wait            wait for the game's end: "@@ game-status N MS", then what it
#                   printed (MS: the milliseconds since `term`)
#   files           the game's files in player's folder: "@@ file NAME SIZE HEX"
#   pad COMMAND     a command for the virtual pad (scripts/vm/vpad.c: plug, unplug,
#                   press N, release N, hat DIR): "@@ pad ANSWER", status 1 on an error
#   anything else   run by this shell
#
# The host powers the machine off itself (the monitor's quit), or with the command `off`.
PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
export PATH

# The initramfs hands over /dev, /proc, /sys and /run mounted already.
mountpoint -q /proc || mount -t proc proc /proc
mountpoint -q /sys || mount -t sysfs sys /sys
mountpoint -q /dev || mount -t devtmpfs dev /dev
mkdir -p /dev/pts /dev/shm
mountpoint -q /dev/pts || mount -t devpts devpts /dev/pts
mountpoint -q /run || mount -t tmpfs tmpfs /run
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /dev/shm
mount -o remount,rw /
hostname blompvm
echo 1 > /proc/sys/kernel/sysrq

# The serial line is the console (console=ttyS0 or ttyAMA0 last on the kernel's line).
exec 3< /dev/console
stty -F /dev/console -echo
exec > /dev/console 2>&1

/lib/systemd/systemd-udevd --daemon
udevadm trigger --action=add
udevadm settle --timeout=60
# The sound card: its driver finds the codec in a work queue of its own, so the
# card may be registered only after udev has settled, and an `alsactl init` run
# before that finds no card and leaves it to udev's rule, run whenever udev gets
# to it. A fresh card starts with its mixer muted: wait for the card (at most
# 30 s), let udev's rule run, then alsactl sets the usual levels, so the game
# never opens a card that is still muted.
n=0
while [ ! -e /dev/snd/controlC0 ] && [ $n -lt 300 ]; do
  sleep 0.1
  n=$((n + 1))
done
udevadm settle --timeout=30
alsactl init > /dev/null 2>&1 || true
sound="no sound card"
[ -e /dev/snd/controlC0 ] && sound="sound card $((n / 10)).$((n % 10)) s after udev settled"

# The virtual pad: it runs from the start, unplugged, and takes its commands
# through one pipe and answers through another.
if [ -x /usr/local/sbin/vm-pad ] && modprobe uinput; then
  mkfifo /run/pad.in /run/pad.out
  vm-pad < /run/pad.in > /run/pad.out 2>&1 &
  exec 4> /run/pad.in 5< /run/pad.out
fi

home=/home/player
folder=$home/.local/share/blomp
game_pid=

off() {
  sync
  mount -o remount,ro / 2>/dev/null
  echo o > /proc/sysrq-trigger
  sleep 60
}

files() {
  for f in blomp.cfg hiscores.dat savegame.dat blomp.cfg.tmp hiscores.dat.tmp savegame.dat.tmp; do
    [ -e "$folder/$f" ] || continue
    echo "@@ file $f $(stat -c %s "$folder/$f") $(od -An -v -tx1 "$folder/$f" | tr -d ' \n')"
  done
}

echo "@@ ready $(uname -r) $(cat /sys/class/drm/card*-*/modes 2>/dev/null | head -1), $sound"
while IFS= read -r line <&3; do
  set -- $line
  cmd=${1:-}
  [ $# -gt 0 ] && shift
  status=0
  case "$cmd" in
    game)
      rm -f /tmp/game.out
      setpriv --reuid=player --regid=player --init-groups \
        env -i HOME=$home USER=player LOGNAME=player SHELL=/bin/sh LANG=C.UTF-8 \
        PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games "$@" > /tmp/game.out 2>&1 4>&- 5<&- &
      game_pid=$!
      echo "@@ game-pid $game_pid"
      ;;
    term)
      termed=$(date +%s%N)
      kill -TERM "$game_pid" || status=$?
      ;;
    wait)
      wait "$game_pid"
      st=$?
      echo "@@ game-status $st $(( ($(date +%s%N) - ${termed:-0}) / 1000000 ))"
      termed=
      sed 's/^/@@ game-said /' /tmp/game.out
      ;;
    files) files ;;
    pad)
      if [ -p /run/pad.in ]; then
        echo "$*" >&4
        IFS= read -r answer <&5
      else
        answer="error: no virtual pad in this machine"
      fi
      echo "@@ pad $answer"
      case "$answer" in error*) status=1 ;; esac
      ;;
    off) off ;;
    "") ;;
    *) eval "$line" || status=$? ;;
  esac
  echo "@@ $status"
done
off
