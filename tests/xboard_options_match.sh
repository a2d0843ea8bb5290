#!/usr/bin/env bash
# Settings from real front ends. First Debian's xboard, headless, runs "Analyze Game" over a
# short game with tarlowick, giving it "-firstOptions" (MultiPV=3 and the game log's two
# settings): passes when xboard accepted every option feature and the exclude and memory
# features, sent the options and "memory", the log file the options name was written, and the
# analysis showed three lines at every finished depth. Then polyglot runs tarlowick in UCI mode
# with MultiPV=3 from polyglot's own ini file: passes when polyglot set the option and the engine
# answered with lines numbered up to 3.
#
# usage: xboard_options_match.sh TARLOWICK     exit 77: xboard, polyglot or xvfb-run missing
set -uo pipefail

engine=${1:?path of the built tarlowick}
match_time_limit=${MATCH_TIME_LIMIT:-120}

source "$(dirname "$0")/match_games.sh"
begin_match xboard polyglot xvfb-run

fail() {
  echo "FAIL: $*"
  echo "--- xboard ---"; grep -v -e '^ALSA' -e '^aplay' "$work/xboard.out" 2>/dev/null | tail -20
  echo "--- debug file, tarlowick's lines ---"; grep -E '(<|>)first' "$work/debug.txt" 2>/dev/null | tail -40
  echo "--- polyglot ---"; tail -30 "$work/engine/polyglot.log" 2>/dev/null
  exit 1
}

mkdir -p "$work/engine"
cp "$engine" "$work/engine/tarlowick"
printf '[ENGINE]\nMaxDepth=7\nPostThinking=1\n[BOOK]\nBook=0\n' >"$work/engine/tarlowick.ini"
cat >"$work/game.pgn" <<'PGN'
[Event "Options"]
[Site "?"]
[Date "????.??.??"]
[Round "?"]
[White "?"]
[Black "?"]
[Result "*"]

1. e4 e5 2. Nf3 *
PGN

# Runs xboard's Analyze Game over the game with first engine `$1` (and the options after it)
# until it sends "exit", then ends xboard.
analyse_game() {
  local program=$1
  shift
  rm -f "$work/debug.txt"
  (
    cd "$work" || exit 1
    export HOME=$work
    exec setsid xvfb-run -a xboard -fcp "$program" -fd "$work/engine" "$@" \
      -initialMode AnalyzeFile -loadGameFile "$work/game.pgn" -timeDelay 1.5 \
      -debug -nameOfDebugFile "$work/debug.txt" \
      -popupExitMessage false -saveSettingsOnExit false -soundProgram ""
  ) >"$work/xboard.out" 2>&1 &
  group=$!
  local deadline=$((SECONDS + match_time_limit))
  until grep -q '>first : exit' "$work/debug.txt" 2>/dev/null; do
    [ $SECONDS -lt $deadline ] || fail "xboard did not finish the analysis within $match_time_limit s"
    kill -0 "$group" 2>/dev/null || fail "xboard ended early"
    sleep 1
  done
  sleep 1
  stop_xboard
  group=
}

# ---- xboard itself -------------------------------------------------------------------------
analyse_game ./tarlowick -firstOptions "MultiPV=3,GameLog=1,LogFile=options.log"

options=$(grep -c '<first : feature option=' "$work/debug.txt")
accepted=$(grep -c '>first : accepted option' "$work/debug.txt")
echo "xboard: $options option features, $accepted accepted"
[ "$options" -gt 0 ] && [ "$accepted" -eq "$options" ] || fail "xboard did not accept every option feature"
grep -q '>first : rejected' "$work/debug.txt" && fail "xboard rejected a feature"
grep -q '>first : accepted exclude' "$work/debug.txt" || fail "the exclude feature was not accepted"
grep -q '>first : accepted memory' "$work/debug.txt" || fail "the memory feature was not accepted"
grep -q '>first : memory [0-9]' "$work/debug.txt" || fail "xboard sent no memory command"
grep -q '>first : option MultiPV=3' "$work/debug.txt" || fail "xboard did not send MultiPV=3"
# xboard's "accepted" replies get the unknown-command answer, as they always have; any other
# error is a command the engine refused.
refused=$(grep '<first : Error' "$work/debug.txt" | grep -v -e 'unknown command): accepted' -e 'unknown command): random')
[ -z "$refused" ] || fail "tarlowick refused a command: $refused"
[ -e "$work/engine/options.log" ] || fail "the game log the options name was not opened"

# Thinking lines per depth, the count restarting with each position xboard sends; the deepest
# depth of a position may have been cut short by the next move.
awk '
  / >first : (usermove|new|analyze)/ { flush(); next }
  / <first : *[0-9]+ +-?[0-9]+ +[0-9]+ +[0-9]+ / {
    line = $0; sub(/.*<first : */, "", line); split(line, f, " "); count[f[1]]++; if (f[1] > deepest) deepest = f[1]
  }
  function flush(   d) { for (d in count) if (d < deepest) print d, count[d]; delete count; deepest = 0 }
  END { flush() }' "$work/debug.txt" >"$work/depths.txt"
[ -s "$work/depths.txt" ] || fail "no finished depth reached xboard"
awk '$2 != 3 { bad = 1 } END { exit bad }' "$work/depths.txt" || fail "a depth did not show three lines: $(tr '\n' ' ' <"$work/depths.txt")"
echo "xboard: $(wc -l <"$work/depths.txt") finished depths over the game, three lines each"

# ---- polyglot, MultiPV from its ini ---------------------------------------------------------
cat >"$work/engine/polyglot.ini" <<INI
[PolyGlot]
EngineName = tarlowick
EngineDir = $work/engine
EngineCommand = ./tarlowick
Log = true
LogFile = $work/engine/polyglot.log
[Engine]
MultiPV = 3
INI
analyse_game "polyglot $work/engine/polyglot.ini"

grep -q 'Adapter->Engine: setoption name MultiPV value 3' "$work/engine/polyglot.log" || fail "polyglot did not set MultiPV"
grep -q -E 'Engine->Adapter: info depth [0-9]+ multipv 3 ' "$work/engine/polyglot.log" ||
  fail "tarlowick sent no third line through polyglot"
echo "polyglot: MultiPV=3 from its ini, $(grep -c -E 'Engine->Adapter: info depth [0-9]+ multipv' "$work/engine/polyglot.log") numbered lines"
echo "PASS"
