#!/usr/bin/env bash
# Resident memory over a long run in one process: one headless xboard match of N games between
# tarlowick (pondering, MultiPV 3, a table of 64 MB) and fairymax, the engines kept between
# games as xboard does by default. After every game it notes tarlowick's process and resident
# memory; fails when the process changed (a crash and restart) or the memory after the last
# game exceeds that after the first by more than a megabyte.
#
# usage: soak_memory.sh TARLOWICK [GAMES] [TIME] [INC]
#        defaults: 100 games of 0:03 with 0.1 s a move; exit 77 when a tool is missing
set -uo pipefail

engine=$(realpath "${1:?path of the built tarlowick}")
games=${2:-100}
time_control=${3:-0:03}
increment=${4:-0.1}
match_time_limit=$((games * 60 + 120))

source "$(dirname "$0")/match_games.sh"
begin_match xboard fairymax xvfb-run

fail() {
  echo "FAIL: $*"
  exit 1
}

mkdir -p "$work/engine"
cp "$engine" "$work/engine/tarlowick"
printf '[ENGINE]\nHash=64\nMaxDepth=32\nPostThinking=1\nMultiPV=3\n[BOOK]\nBook=0\n' >"$work/engine/tarlowick.ini"
(
  cd "$work" || exit 1
  export HOME=$work
  exec setsid xvfb-run -a xboard -noGUI -xncp -fcp ./tarlowick -fd "$work/engine" -scp fairymax -sd "$work" \
    -secondInitString 'new\nrandom\n' -mg "$games" -tc "$time_control" -inc "$increment" -ponder \
    -autoCallFlag true -matchPause 500 -saveGameFile "$work/games.pgn" \
    -popupExitMessage false -saveSettingsOnExit false -soundProgram ""
) >"$work/xboard.out" 2>&1 &
group=$!

pids=() memory=() last_look=0
deadline=$((SECONDS + match_time_limit))
seen=0
while [ "$seen" -lt "$games" ]; do
  [ $SECONDS -lt $deadline ] || fail "the match did not finish within $match_time_limit s"
  # xboard may leave as soon as the last game is saved: count the games before asking.
  done_now=$(finished_games)
  kill -0 "$group" 2>/dev/null || [ "$done_now" -ge "$games" ] || fail "xboard ended after $done_now games"
  if [ "$done_now" -gt "$seen" ]; then
    seen=$done_now
    pid=$(pgrep -g "$group" -x tarlowick | head -1)
    kb=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null)
    [ -n "$kb" ] || break  # the engines are gone with xboard: the last look was the one before
    pids+=("$pid") memory+=("$kb") last_look=$seen
    ((seen == 1 || seen % 10 == 0)) && echo "  after game $seen: process $pid, resident ${kb:-?} kB"
  fi
  sleep 0.5
done
stop_xboard

[ "$(printf '%s\n' "${pids[@]}" | sort -u | wc -l)" = 1 ] || fail "tarlowick's process changed: ${pids[*]}"
growth=$((memory[${#memory[@]} - 1] - memory[0]))
echo "$seen games in one process: resident memory ${memory[0]} kB after the first, ${memory[${#memory[@]} - 1]} kB after game $last_look ($growth kB)"
[ "$growth" -le 1024 ] || fail "resident memory grew by $growth kB"
echo "PASS"
