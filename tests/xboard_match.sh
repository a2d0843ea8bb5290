#!/usr/bin/env bash
# A real front end: Debian's xboard, headless, runs a match of sudden-death games ("level 0 0:20
# 0") between tarlowick and fairymax, tarlowick playing both colours. Passes when every game
# ended with a result, no move was illegal, and tarlowick neither lost on time nor crashed.
# Prints the games, their lengths and results, and how tarlowick's move times compared with its
# allocations.
#
# With PONDER=1 both engines think on the opponent's time (xboard's -ponder), and tarlowick must
# have pondered: its "Hint:" lines name the replies it pondered on.
#
# usage: [PONDER=1] xboard_match.sh TARLOWICK [GAMES] [TIME]
#        exit 77: xboard, fairymax or xvfb-run missing
set -uo pipefail

engine=${1:?path of the built tarlowick}
games=${2:-2}
time_control=${3:-0:20}
if [ "${PONDER:-0}" = 1 ]; then ponder=-ponder; else ponder=-xponder; fi
match_time_limit=${MATCH_TIME_LIMIT:-300}  # seconds for the whole match

source "$(dirname "$0")/match_games.sh"
begin_match xboard fairymax xvfb-run

fail() {
  echo "FAIL: $*"
  echo "--- saved games ---"; cat "$work/games.pgn" 2>/dev/null
  echo "--- xboard ---"; grep -v -e '^ALSA' -e '^aplay' "$work/xboard.out" 2>/dev/null | tail -20
  exit 1
}

# The engine's folder, as a user sets it up: its settings, the game log on, and a real book
# when Debian's gnuchess-book is there (random choice, so the games differ).
mkdir -p "$work/engine"
cp "$engine" "$work/engine/tarlowick"
book=/usr/share/games/gnuchess/book.bin
{
  printf '[ENGINE]\nMaxDepth=32\nPostThinking=1\n[LOG]\nLogGame=1\nLogFile=tarlowick.log\n[BOOK]\n'
  if [ -r "$book" ]; then printf 'Book=1\nBookFile=%s\nRandBook=1\n' "$book"; else printf 'Book=0\n'; fi
} >"$work/engine/tarlowick.ini"

# setsid makes xboard the leader of a new process group that holds everything it starts.
(
  cd "$work" || exit 1
  export HOME=$work  # no settings file of the user's is read or written
  exec setsid xvfb-run -a xboard -noGUI -xncp \
    -fcp ./tarlowick -fd "$work/engine" -scp fairymax -sd "$work" \
    -mg "$games" -tc "$time_control" -inc 0 "$ponder" -autoCallFlag true \
    -saveGameFile "$work/games.pgn" -debug -nameOfDebugFile "$work/debug.txt" \
    -popupExitMessage false -saveSettingsOnExit false -soundProgram ""
) >"$work/xboard.out" 2>&1 &
group=$!

wait_for_games

echo "Match of $games games, tarlowick against fairymax, level 0 $time_control 0, pondering $([ "$ponder" = -ponder ] && echo on || echo off):"
check_games "$work/games.pgn" "$games"

# Engine lines in the debug file read "<ms> <first : text" (tarlowick is the first engine).
grep -i -E '^[0-9]+ <(first|second): *Illegal move' "$work/debug.txt" && fail "an engine refused a move as illegal"
grep -q -E 'Error (reading from|writing to) first' "$work/debug.txt" "$work/xboard.out" && fail "tarlowick stopped answering"

# Each of tarlowick's searched moves: from the line that handed it the move to its "move"
# reply, against the allocation it printed; and the lowest clock it was given.
awk '
  /^[0-9]+ >first : (usermove|go)/ { start = $1 + 0 }
  /^[0-9]+ >first : time [0-9-]+/  { clock = $5 + 0; if (lowest == "" || clock < lowest) lowest = clock }
  /<first : #DEBUG move speed:/     { allocated = $NF * 10; searched = 1 }
  /^[0-9]+ <first : move /          {
    if (searched && start != "") {
      used = $1 - start; count++; over = used - allocated
      if (over > 0) late++
      if (count == 1 || over > most) most = over
      total += used
    }
    searched = 0
  }
  END {
    printf "tarlowick searched %d moves, %.0f ms each on average; %d took longer than their allocation,\n",
           count, count ? total / count : 0, late
    printf "the most by %d ms (pipe and process latency included); its lowest clock was %d cs.\n", most, lowest
  }' "$work/debug.txt"

grep -q "Opponent Name: Fairy-Max" "$work/engine/tarlowick.log" || fail "the game log names no opponent"
if [ "$ponder" = -ponder ]; then
  hints=$(grep -c '<first : Hint: ' "$work/debug.txt")
  hits=$(awk '/<first : Hint: / { hint = $NF } /^[0-9]+ >first : usermove / { if (hint != "" && $NF == hint) hits++; hint = "" } END { print hits + 0 }' "$work/debug.txt")
  echo "tarlowick pondered on $hints replies; $hits of them came (ponder hits)."
  [ "$hints" -gt 0 ] || fail "tarlowick never pondered"
fi
echo "PASS"
