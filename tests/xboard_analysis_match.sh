#!/usr/bin/env bash
# A real front end analysing a game: Debian's xboard, headless, runs "Analyze Game" (initial
# mode AnalyzeFile) over a 12-ply game with tarlowick, sending each move while the engine
# analyses. Passes when every position of the game was analysed at several depths (or found
# a mate, which ends the deepening), the first move of every thinking line is legal in the
# position xboard had sent (checked with the engine's own move reader in force mode), "." was
# answered with stat01, and no thinking line came after "exit". Prints the depths reached in
# each position.
#
# usage: xboard_analysis_match.sh TARLOWICK [GAME.pgn PLIES [OPTIONS]]
#   GAME.pgn, PLIES: another game to analyse, of that many plies; OPTIONS: xboard's engine
#   options for tarlowick ("MultiPV=3")      exit 77: xboard or xvfb-run missing
set -uo pipefail

engine=${1:?path of the built tarlowick}
delay=${ANALYSIS_DELAY:-1.5}  # seconds xboard waits on each position
match_time_limit=${MATCH_TIME_LIMIT:-120}

source "$(dirname "$0")/match_games.sh"
begin_match xboard xvfb-run

fail() {
  echo "FAIL: $*"
  echo "--- xboard ---"; grep -v -e '^ALSA' -e '^aplay' "$work/xboard.out" 2>/dev/null | tail -20
  echo "--- debug file, tarlowick's lines ---"; grep -E '(<|>)first' "$work/debug.txt" 2>/dev/null | tail -40
  exit 1
}

mkdir -p "$work/engine"
cp "$engine" "$work/engine/tarlowick"
printf '[ENGINE]\nMaxDepth=32\nPostThinking=1\n[BOOK]\nBook=0\n' >"$work/engine/tarlowick.ini"
if [ -n "${2:-}" ]; then
  cp "$2" "$work/game.pgn"
  plies=${3:?the number of plies of the game}
else
cat >"$work/game.pgn" <<'PGN'
[Event "Analysis"]
[Site "?"]
[Date "????.??.??"]
[Round "?"]
[White "?"]
[Black "?"]
[Result "*"]

1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O Be7 6. Re1 b5 *
PGN
plies=12
fi
options=()
[ -n "${4:-}" ] && options=(-firstOptions "$4")

(
  cd "$work" || exit 1
  export HOME=$work
  exec setsid xvfb-run -a xboard -fcp ./tarlowick -fd "$work/engine" "${options[@]}" \
    -initialMode AnalyzeFile -loadGameFile "$work/game.pgn" -timeDelay "$delay" \
    -debug -nameOfDebugFile "$work/debug.txt" \
    -popupExitMessage false -saveSettingsOnExit false -soundProgram ""
) >"$work/xboard.out" 2>&1 &
group=$!

# xboard sends "exit" once the last position has had its time.
deadline=$((SECONDS + match_time_limit))
until grep -q '>first : exit' "$work/debug.txt" 2>/dev/null; do
  [ $SECONDS -lt $deadline ] || fail "xboard did not finish the analysis within $match_time_limit s"
  kill -0 "$group" 2>/dev/null || fail "xboard ended early"
  sleep 1
done
sleep 1  # anything the engine still says after the exit

# One record per thinking line: its number, the moves xboard had sent (undo and new taken into
# account), the depth and the line's first move; the debug file writes "usermove" and its move
# as two entries on one line. The times are xboard's, in milliseconds. A line may cross a move
# on its way, written before the engine read the move: within 20 ms of the move it may belong
# to the position before, which a CROSSED record gives. A line may cross the "exit" likewise;
# one that comes more than 100 ms after it is marked AFTER_EXIT.
awk '
  function moved() { before = moves; movedAt = $1 + 0 }
  / >first : usermove / { moved(); moves = moves " " $NF; next }
  / >first : undo$/     { moved(); sub(/ [^ ]+$/, "", moves); next }
  / >first : new$/      { moved(); moves = ""; next }
  / >first : exit$/     { exitedAt = $1 + 0; next }
  / >first : analyze$/  { exitedAt = ""; next }
  / <first : *[0-9]+ +-?[0-9]+ +[0-9]+ +[0-9]+ / {
    line = $0; sub(/.*<first : */, "", line)
    n = split(line, f, " ")
    first = ""
    for (i = 5; i <= n; i++) if (f[i] != ".." && f[i] !~ /\.$/) { first = f[i]; break }
    ++id
    print id "|" (exitedAt != "" && $1 > exitedAt + 100 ? "AFTER_EXIT" : "LINE") "|" moves "|" f[1] "|" first "|" f[2]
    if (movedAt != "" && $1 <= movedAt + 20) print id "|CROSSED|" before "|" f[1] "|" first
  }' "$work/debug.txt" >"$work/lines.txt"

[ -s "$work/lines.txt" ] || fail "no thinking line reached xboard"
grep -q '|AFTER_EXIT|' "$work/lines.txt" && fail "a thinking line came after exit"
grep -q '<first : stat01: [0-9]* [0-9]* [0-9]* [0-9]* [0-9]*$' "$work/debug.txt" || fail "\".\" got no stat01 line"

# Whether `first` is legal after `moves`, through the engine in force mode: "Illegal move"
# marks a move the position does not allow.
legal_after() {
  local moves=$1 first=$2 move
  {
    printf 'xboard\nforce\n'
    for move in $moves; do printf 'usermove %s\n' "$move"; done
    printf 'usermove %s\nping 1\nquit\n' "$first"
  } >"$work/check.in"
  (cd "$work/engine" && ./tarlowick <"$work/check.in") >"$work/check.out" 2>&1
  grep -q '^pong 1$' "$work/check.out" || fail "the legality check got no answer: $(tail -3 "$work/check.out")"
  ! grep -q '^Illegal move' "$work/check.out"
}

# Each line's first move must be legal in the position it came in, or, for a line that crossed
# a move, in the position before; the lines of each position then give its depths.
declare -A verdict depths_of
crossed=0
declare -A mate_in
while IFS='|' read -r id kind moves depth first score; do
  key="$moves|$first"
  [ -n "${verdict[$key]:-}" ] || { if legal_after "$moves" "$first"; then verdict[$key]=legal; else verdict[$key]=illegal; fi; }
  case $kind in
    LINE)
      if [ "${verdict[$key]}" = legal ]; then
        plies_in=$(wc -w <<<"$moves")
        depths_of[$plies_in]="${depths_of[$plies_in]:-} $depth"
        # A mate score (beyond 28999) ends the deepening: a shorter mate cannot be found.
        [ "${score#-}" -gt 28999 ] && mate_in[$plies_in]=1
      else
        pending_id=$id pending="the line beginning $first (depth $depth) is not legal after:$moves"
      fi ;;
    CROSSED)
      [ "${pending_id:-}" = "$id" ] && [ "${verdict[$key]}" = legal ] && { pending_id= pending=; crossed=$((crossed + 1)); } ;;
  esac
  if [ -n "${pending_id:-}" ] && [ "$pending_id" != "$id" ]; then fail "$pending"; fi
done <"$work/lines.txt"
[ -z "${pending_id:-}" ] || fail "$pending"

echo "xboard Analyze Game over $plies plies (${delay} s a position): depths reached in each position"
for ((ply = 1; ply <= plies; ply++)); do
  depths=$(tr ' ' '\n' <<<"${depths_of[$ply]:-}" | sed '/^$/d' | sort -nu | tr '\n' ' ')
  count=$(wc -w <<<"$depths")
  echo "  after ply $ply: $count depths ($depths)"
  [ "$count" -ge 3 ] || [ -n "${mate_in[$ply]:-}" ] || fail "the position after ply $ply was analysed at $count depths"
done
echo "$(grep -c '|LINE|' "$work/lines.txt") thinking lines, the first move of each legal in its position" \
  "($crossed crossed a move on the way and belong to the position before it)."
echo "PASS"
