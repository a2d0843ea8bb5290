#!/usr/bin/env bash
# A real UCI client: Debian's polyglot adapter runs tarlowick in UCI mode inside a headless
# xboard match against Debian's stockfish (also UCI, through its own polyglot) at its lowest
# skill, sudden death at 20 seconds a game, tarlowick playing both colours. Passes when every
# game ended with a result, no move was illegal, tarlowick neither lost on time nor crashed, and
# the adapter's log shows it spoke UCI: clocks in "go", answers in "bestmove", info lines.
# Prints the games, their lengths and results, and the UCI traffic counted.
#
# With PONDER=1 both engines ponder (xboard's -ponder; polyglot sends "go ... ponder" to an
# engine with the Ponder option), and tarlowick's adapter must have asked it to ponder.
#
# usage: [PONDER=1] uci_match.sh TARLOWICK [GAMES]
#        exit 77: xboard, polyglot, stockfish or xvfb-run missing
set -uo pipefail

engine=${1:?path of the built tarlowick}
games=${2:-2}
if [ "${PONDER:-0}" = 1 ]; then ponder=-ponder; else ponder=-xponder; fi
match_time_limit=${MATCH_TIME_LIMIT:-300}  # seconds for the whole match

source "$(dirname "$0")/match_games.sh"
begin_match xboard polyglot stockfish xvfb-run

uci_log=$work/engine/polyglot.log  # tarlowick's adapter: every UCI line both ways

fail() {
  echo "FAIL: $*"
  echo "--- saved games ---"; cat "$work/games.pgn" 2>/dev/null
  echo "--- xboard ---"; grep -v -e '^ALSA' -e '^aplay' "$work/xboard.out" 2>/dev/null | tail -20
  echo "--- tarlowick's UCI lines ---"; grep -E 'Adapter->Engine|Engine->Adapter' "$uci_log" 2>/dev/null | tail -30
  exit 1
}

# The engine's folder, as a user sets it up: its settings, the game log on, and a real book
# when Debian's gnuchess-book is there (random choice, so the games differ).
mkdir -p "$work/engine"
cp "$engine" "$work/engine/tarlowick"
book=/usr/share/games/gnuchess/book.bin
{
  printf '[ENGINE]\nMaxDepth=32\n[LOG]\nLogGame=1\nLogFile=tarlowick.log\n[BOOK]\n'
  if [ -r "$book" ]; then printf 'Book=1\nBookFile=%s\nRandBook=1\n' "$book"; else printf 'Book=0\n'; fi
} >"$work/engine/tarlowick.ini"

# -fUCI and -sUCI run each engine behind polyglot, started by the adapter command; its log
# goes to the engine's folder. "Skill Level" reaches stockfish as the option polyglot offers
# xboard for it. setsid makes xboard the leader of a group that holds everything it starts.
(
  cd "$work" || exit 1
  export HOME=$work  # no settings file of the user's is read or written (polyglot's neither)
  exec setsid xvfb-run -a xboard -noGUI -xncp \
    -fcp ./tarlowick -fd "$work/engine" -fUCI \
    -scp stockfish -sd "$work" -sUCI -secondOptions "Skill Level=0" \
    -adapterCommand 'polyglot -noini -ec "%fcp" -ed "%fd" -log true -lf "%fd/polyglot.log"' \
    -mg "$games" -tc 0:20 -inc 0 "$ponder" -autoCallFlag true \
    -saveGameFile "$work/games.pgn" -debug -nameOfDebugFile "$work/debug.txt" \
    -popupExitMessage false -saveSettingsOnExit false -soundProgram ""
) >"$work/xboard.out" 2>&1 &
group=$!

wait_for_games

echo "Match of $games games, tarlowick (UCI, through polyglot) against stockfish at skill level 0, 20 s a game, pondering $([ "$ponder" = -ponder ] && echo on || echo off):"
check_games "$work/games.pgn" "$games"

grep -q 'Engine->Adapter: id name tarlowick' "$uci_log" || fail "tarlowick was not run as a UCI engine"
grep -q 'Adapter->GUI: feature option="Skill Level' "$work/polyglot.log" || fail "stockfish was not run through polyglot"
grep -i -E '^[0-9]+ <(first|second): *Illegal move' "$work/debug.txt" && fail "an engine refused a move as illegal"
grep -q -E 'Error (reading from|writing to) first' "$work/debug.txt" "$work/xboard.out" && fail "tarlowick stopped answering"
grep -q 'Engine->Adapter: bestmove 0000' "$uci_log" && fail "tarlowick answered a position it had no move in"

goes=$(grep -c 'Adapter->Engine: go wtime' "$uci_log")
answers=$(grep -c 'Engine->Adapter: bestmove [a-h][1-8][a-h][1-8]' "$uci_log")
books=$(grep -c 'Engine->Adapter: info string book move' "$uci_log")
infos=$(grep -c 'Engine->Adapter: info depth' "$uci_log")
echo "tarlowick answered $answers of $goes clock searches ($books from the book) with $infos info lines."
[ "$goes" -gt 0 ] && [ "$answers" -ge "$goes" ] || fail "a go on the clock got no bestmove"
[ "$infos" -gt 0 ] || fail "tarlowick's searches reported no info lines"
if [ "$ponder" = -ponder ]; then
  ponders=$(grep -c -E 'Adapter->Engine: go .*ponder' "$uci_log")
  hits=$(grep -c 'Adapter->Engine: ponderhit' "$uci_log")
  echo "tarlowick pondered $ponders times; $hits were ponder hits."
  [ "$ponders" -gt 0 ] || fail "tarlowick was never asked to ponder"
fi
echo "PASS"
