#!/usr/bin/env bash
# Chess960 with real clients, headless, from random start arrays: Debian's xboard plays
# "-variant fischerandom" games between tarlowick, speaking xboard, and stockfish at its lowest
# skill (through polyglot, which turns xboard's variant into UCI_Chess960); then tarlowick in UCI
# mode, through polyglot too, against the same stockfish. (Debian's fairymax does not offer the
# variant.) Passes when every game ended with a result, no move was illegal, tarlowick
# neither lost on time nor stalled, and the games really were Chess960 (xboard sent the
# variant, polyglot set UCI_Chess960). Prints the games and their start arrays.
#
# usage: chess960_match.sh TARLOWICK [GAMES]   exit 77: xboard, polyglot, stockfish or
#                                               xvfb-run missing
set -uo pipefail

engine=${1:?path of the built tarlowick}
games=${2:-2}
match_time_limit=${MATCH_TIME_LIMIT:-300}

source "$(dirname "$0")/match_games.sh"
begin_match xboard polyglot stockfish xvfb-run

fail() {
  echo "FAIL: $*"
  echo "--- saved games ---"; cat "$work/games.pgn" 2>/dev/null
  echo "--- xboard ---"; grep -v -e '^ALSA' -e '^aplay' "$work/xboard.out" 2>/dev/null | tail -20
  echo "--- debug file ---"; grep -E '(<|>)first' "$work/debug.txt" 2>/dev/null | tail -30
  exit 1
}

mkdir -p "$work/engine"
cp "$engine" "$work/engine/tarlowick"
printf '[ENGINE]\nMaxDepth=32\nPostThinking=1\n[BOOK]\nBook=0\n' >"$work/engine/tarlowick.ini"

# One match of `games` games against second engine `$1`, with the extra xboard options after it.
play_match() {
  local second=$1
  shift
  rm -f "$work/games.pgn" "$work/debug.txt"
  (
    cd "$work" || exit 1
    export HOME=$work
    exec setsid xvfb-run -a xboard -noGUI -xncp -variant fischerandom \
      -fcp ./tarlowick -fd "$work/engine" -scp "$second" -sd "$work" "$@" \
      -mg "$games" -tc 0:20 -inc 0 -xponder -autoCallFlag true \
      -saveGameFile "$work/games.pgn" -debug -nameOfDebugFile "$work/debug.txt" \
      -popupExitMessage false -saveSettingsOnExit false -soundProgram ""
  ) >"$work/xboard.out" 2>&1 &
  group=$!
  wait_for_games
  stop_xboard
  group=
  check_games "$work/games.pgn" "$games"
  grep -o '\[FEN "[^"]*"\]' "$work/games.pgn" | sed 's/^/  start: /'
  grep -q '\[Variant "fischerandom"\]' "$work/games.pgn" || fail "the games were not Chess960"
  grep -i -E '^[0-9]+ <(first|second): *Illegal move' "$work/debug.txt" && fail "an engine refused a move as illegal"
  grep -q -E 'Error (reading from|writing to) first' "$work/debug.txt" "$work/xboard.out" && fail "tarlowick stopped answering"
  return 0
}

adapter='polyglot -noini -ec "%fcp" -ed "%fd" -log true -lf "%fd/polyglot.log"'

echo "tarlowick (xboard) against stockfish at skill level 0, Chess960, 20 s a game:"
play_match stockfish -sUCI -secondOptions "Skill Level=0" -adapterCommand "$adapter"
grep -q '>first : variant fischerandom' "$work/debug.txt" || fail "xboard did not send tarlowick the variant"

echo "tarlowick (UCI through polyglot) against stockfish at skill level 0, Chess960, 20 s a game:"
play_match stockfish -fUCI -sUCI -secondOptions "Skill Level=0" -adapterCommand "$adapter"
grep -q 'Adapter->Engine: setoption name UCI_Chess960 value true' "$work/engine/polyglot.log" ||
  fail "polyglot did not set UCI_Chess960"
echo "PASS"
