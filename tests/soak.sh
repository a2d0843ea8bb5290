#!/usr/bin/env bash
# A soak in every mode under real front ends: N games, one headless xboard run each, every game
# in a mode drawn at random from these:
#   protocol  xboard direct, or UCI through polyglot
#   ponder    on (a third of the games) or off, for both engines
#   multipv   1 or 3
#   level     full strength, or UCI_LimitStrength at 800, 1200, 1600 or 2000
#   variant   standard chess from a random line of Debian's gnuchess book, or Chess960
#   clock     0:03 + 0.1 s (half the games), 0:05 + 0.1 s, 20 or 40 moves in 0:05, 0:10 or 0:30
#   opponent  fairymax, hoichess, or tarlowick at other settings (the only one of the three that
#             plays Chess960, so every Chess960 game is against it)
# The settings reach tarlowick through the protocol (xboard's -firstOptions, which polyglot
# turns into setoption). Per game it reports the mode and result, and every crash, illegal
# move, time loss, false claim of a result, stall (no end within the game's time limit), game
# without a result and move after the game's end of a tarlowick; at the end the same per
# mode, and the resident memory of the tarlowick under test at its first and last look in
# each game. Fails when there is any fault.
#
# usage: soak.sh TARLOWICK [GAMES]      exit 77 when a tool or the book is missing
#   environment:
#     SEED          the first game's mode draw (random); the run prints it, to replay one
#     FIRST_GAME    the number of the first game, so runs side by side draw different modes (1)
#     OUT           keep every game's folder (debug file, PGN) there instead of a scratch folder
#     MODES_ONLY    1: print each game's mode and play nothing (to choose a seed)
#     GAME_TIME_LIMIT  seconds for one game, whatever its clock, before it counts as a stall (300)
#     ANALYSIS_EVERY   after every so many games (10), when the game was standard chess with
#                   tarlowick speaking xboard, its first 60 plies are analysed twice: by xboard's
#                   Analyze Game (xboard_analysis_match.sh) and with moves excluded and included
#                   (analysis_soak.sh), both at MultiPV 1 or 3 by turns
set -uo pipefail

engine=$(realpath "${1:?path of the built tarlowick}")
games=${2:-4}
seed=${SEED:-$((RANDOM * 32768 + RANDOM))}
first_game=${FIRST_GAME:-1}
game_time_limit=${GAME_TIME_LIMIT:-300}
analysis_every=${ANALYSIS_EVERY:-10}

source "$(dirname "$0")/match_games.sh"
require_tools xboard fairymax hoichess polyglot xvfb-run
book=/usr/share/games/gnuchess/book.bin
[ -r "$book" ] || { echo "SKIP: no book at $book (Debian package gnuchess-book)"; exit 77; }

if [ -n "${OUT:-}" ]; then root=$(realpath -m "$OUT"); mkdir -p "$root"; else root=$(mktemp -d); fi
work=
group=
cleanup() { stop_xboard; [ -n "${OUT:-}" ] || rm -rf "$root"; }
trap cleanup EXIT

# Prints up to $1 plies of a random line of the book, as coordinate moves, each chosen by its
# share of the weights; stops where the book has no move.
random_opening() {
  local plies=$1 line="" ply pick total move share
  mkdir -p "$root/opening"
  printf '[BOOK]\nBook=1\nBookFile=%s\n' "$book" >"$root/opening/tarlowick.ini"
  for ((ply = 0; ply < plies; ply++)); do
    # "move=e2e4 weight=45.00%" lines, the shares in hundredths of a percent.
    mapfile -t choices < <(printf 'console\nforce\n%s\nbook\nquit\n' "$(tr ' ' '\n' <<<"$line")" |
      (cd "$root/opening" && "$engine" 2>/dev/null) |
      sed -n 's/.*move=\([a-h][1-8][a-h][1-8][nbrq]\{0,1\}\) weight= *\([0-9]*\)\.\([0-9][0-9]\)%.*/\1 \2\3/p')
    [ ${#choices[@]} -gt 0 ] || break
    total=0
    for choice in "${choices[@]}"; do total=$((total + 10#${choice#* })); done
    pick=$(( (RANDOM * 32768 + RANDOM) % (total > 0 ? total : 1) ))
    for choice in "${choices[@]}"; do
      move=${choice% *} share=$((10#${choice#* }))
      [ "$pick" -lt "$share" ] && break
      pick=$((pick - share))
    done
    line="$line${line:+ }$move"
  done
  echo "$line"
}

# The opening as a game file xboard starts its games from.
opening_game() {
  local moves=($1) i text=""
  for ((i = 0; i < ${#moves[@]}; i++)); do
    ((i % 2 == 0)) && text="$text $((i / 2 + 1))."
    text="$text ${moves[i]}"
  done
  printf '[Event "soak"]\n[Site "?"]\n[Date "????.??.??"]\n[Round "1"]\n[White "?"]\n[Black "?"]\n[Result "*"]\n\n%s *\n' "${text# }"
}

# Sets variable $1 to one of the other arguments, drawn from the run's seeded sequence (in this
# shell: a subshell's draws would not follow the seed).
pick() { local -n chosen=$1; shift; local choices=("$@"); chosen=${choices[RANDOM % ${#choices[@]}]}; }

# A tarlowick's settings as xboard's engine options: multipv, then a level or "full".
engine_options() {
  if [ "$2" = full ]; then echo "MultiPV=$1,UCI_LimitStrength=0"; else echo "MultiPV=$1,UCI_LimitStrength=1,UCI_Elo=$2"; fi
}

# The resident memory of the tarlowick under test (the one running in $work/engine), in kB.
resident_kb() {
  local pid
  for pid in $(pgrep -g "$group" -x tarlowick); do
    [ "$(readlink "/proc/$pid/cwd")" = "$work/engine" ] && awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null
  done
}

adapter='polyglot -noini -ec "%fcp" -ed "%fd"'
declare -A mode_games mode_faults mode_points
total_faults=0
problems=()

# A fault of game $game in mode line $mode: counted for each of the mode's values.
fault() {
  local value
  problems+=("game $game ($mode): $*")
  total_faults=$((total_faults + 1))
  for value in $mode; do mode_faults[$value]=$((${mode_faults[$value]:-0} + 1)); done
}

# The faults of the tarlowick xboard calls $1 (first or second) in the game just played.
judge_side() {
  local side=$1 colour=$2 lost=no
  { [ "$colour" = white ] && [ "$result" = 0-1 ]; } && lost=yes
  { [ "$colour" = black ] && [ "$result" = 1-0 ]; } && lost=yes
  shopt -s nocasematch
  # A refused move, or a lost game whose reason names an illegal move, a crash or the flag.
  if grep -q -E "^[0-9]+ <$side *: *Illegal move" "$work/debug.txt" || [[ $lost == yes && $comment == *illegal* ]]; then
    fault "$side: an illegal move ($comment)"
  fi
  if grep -q -E "Error (reading from|writing to) $side" "$work/debug.txt" "$work/xboard.out" ||
     [[ $lost == yes && ( $comment == *crash* || $comment == *"chess program"* ) ]]; then
    fault "$side: crashed or stopped answering ($comment)"
  fi
  if [[ $lost == yes && ( $comment == *time* || $comment == *flag* ) ]]; then
    fault "$side: lost on time ($comment)"
  fi
  # xboard forfeits an engine whose claimed result it finds false.
  if [[ $lost == yes && $comment == *"false"*"claim"* ]]; then
    fault "$side: a false claim ($comment)"
  fi
  shopt -u nocasematch
  # A move once xboard has told the engine the result is a move after the end.
  if awk -v side="$side" '
       $0 ~ "^[0-9]+ >" side " *: *result " { ended = 1 }
       ended && $0 ~ "^[0-9]+ <" side " *: *move " { found = 1 }
       END { exit !found }' "$work/debug.txt"; then
    fault "$side: a move after the game's end"
  fi
}

# The game just played, analysed as a front end would; a failure is a fault of its mode.
analyse_game() {
  local played multipv_now=$((game / analysis_every % 2 ? 1 : 3)) plies
  mapfile -t played < <(awk -v side="$tested" '$0 ~ "^[0-9]+ >" side " *: *usermove " || $0 ~ "^[0-9]+ <" side " *: *move " { print $NF }' \
    "$work/debug.txt" | head -60)
  plies=${#played[@]}
  [ "$plies" -ge 2 ] || return
  opening_game "${played[*]}" >"$work/analysis.pgn"
  mode=analysis-exclude
  if bash "$(dirname "${BASH_SOURCE[0]}")/analysis_soak.sh" "$engine" "${played[*]}" "$multipv_now" >"$work/analysis.out" 2>&1; then
    echo "  analysis of game $game, $plies plies, MultiPV $multipv_now, moves excluded: $(head -1 "$work/analysis.out")"
  else
    fault "the analysis with moves excluded: $(grep -m1 -E "FAULT|FAIL" "$work/analysis.out")"
  fi
  mode_games[analysis-exclude]=$((${mode_games[analysis-exclude]:-0} + 1))
  mode=analysis-xboard
  # The last position may be mate: the check covers the positions before it.
  if ANALYSIS_DELAY=0.25 MATCH_TIME_LIMIT=$((plies + 60)) bash "$(dirname "${BASH_SOURCE[0]}")/xboard_analysis_match.sh" \
       "$engine" "$work/analysis.pgn" "$((plies - 1))" "MultiPV=$multipv_now" >"$work/xboard-analysis.out" 2>&1; then
    echo "  xboard Analyze Game of game $game, $plies plies, MultiPV $multipv_now: $(tail -2 "$work/xboard-analysis.out" | head -1)"
  else
    fault "xboard's Analyze Game: $(grep -m1 FAIL "$work/xboard-analysis.out")"
  fi
  mode_games[analysis-xboard]=$((${mode_games[analysis-xboard]:-0} + 1))
}

echo "Soak of $games games in random modes, seed $seed; games kept in $root"
RANDOM=$seed
for ((game = first_game; game < first_game + games; game++)); do
  work=$root/game$game
  mkdir -p "$work/engine" "$work/other"
  cp "$engine" "$work/engine/tarlowick"
  cp "$engine" "$work/other/tarlowick"
  printf '[ENGINE]\nMaxDepth=32\nPostThinking=1\n[BOOK]\nBook=0\n' >"$work/engine/tarlowick.ini"
  cp "$work/engine/tarlowick.ini" "$work/other/tarlowick.ini"

  pick protocol xboard uci
  pick ponder on off off  # pondering takes both cores: a third of the games
  pick multipv 1 1 3
  pick level full full full 800 1200 1600 2000
  pick variant standard standard standard chess960
  pick clock "0:03 0.1 0" "0:03 0.1 0" "0:03 0.1 0" "0:03 0.1 0" "0:03 0.1 0" "0:03 0.1 0" \
    "0:05 0.1 0" "0:05 0.1 0" "0:05 0 20" "0:05 0 40" "0:10 0 0" "0:30 0 0"
  pick opponent fairymax hoichess tarlowick
  [ "$variant" = chess960 ] && opponent=tarlowick
  read -r tc inc mps <<<"$clock"
  ponder_flag=-xponder
  [ "$ponder" = on ] && ponder_flag=-ponder
  clock_name="$tc+$inc"
  [ "$mps" != 0 ] && clock_name="$mps/$tc"
  mode="$protocol ponder-$ponder mpv-$multipv level-$level $variant $clock_name vs-$opponent"

  pick other_multipv 1 3
  pick other_level full 1000 1400 1800
  other_options=$(engine_options "$other_multipv" "$other_level")
  # xboard's options for one side: its short prefix (f, s) and long one (first, second).
  if [ "${MODES_ONLY:-0}" = 1 ]; then echo "  game $game: $mode"; continue; fi
  ours() { echo "-${1}cp ./tarlowick -${1}d $work/engine"; [ "$protocol" = uci ] && echo "-${1}UCI"; }
  theirs() {
    case $opponent in
      fairymax) echo "-${1}cp fairymax -${1}d $work" ;;
      hoichess) echo "-${1}cp hoichess\ -x -${1}d $work" ;;
      tarlowick) echo "-${1}cp ./tarlowick -${1}d $work/other" ;;
    esac
  }
  # Colours alternate game by game.
  if ((game % 2)); then
    tested=first colour=white
    eval "sides=($(ours f) $(theirs s))"
    sides+=(-firstOptions "$(engine_options "$multipv" "$level")")
    [ "$opponent" = tarlowick ] && sides+=(-secondOptions "$other_options")
  else
    tested=second colour=black
    eval "sides=($(theirs f) $(ours s))"
    sides+=(-secondOptions "$(engine_options "$multipv" "$level")")
    [ "$opponent" = tarlowick ] && sides+=(-firstOptions "$other_options")
  fi
  start=()
  if [ "$variant" = chess960 ]; then
    start=(-variant fischerandom)
    opening=""
  else
    opening=$(random_opening 8)
    opening_game "$opening" >"$work/opening.pgn"
    start=(-loadGameFile "$work/opening.pgn")
  fi
  clock_options=(-tc "$tc" -inc "$inc")
  [ "$mps" != 0 ] && clock_options=(-tc "$tc" -mps "$mps")
  (
    cd "$work" || exit 1
    export HOME=$work
    exec setsid xvfb-run -a xboard -noGUI -xncp "${sides[@]}" -adapterCommand "$adapter" \
      -mg 1 "${clock_options[@]}" "$ponder_flag" -autoCallFlag true "${start[@]}" \
      -saveGameFile "$work/games.pgn" -debug -nameOfDebugFile "$work/debug.txt" \
      -popupExitMessage false -saveSettingsOnExit false -soundProgram ""
  ) >"$work/xboard.out" 2>&1 &
  group=$!

  memory_start= memory_end=
  deadline=$((SECONDS + game_time_limit))
  while [ "$(finished_games)" -lt 1 ] && [ $SECONDS -lt $deadline ] && kill -0 "$group" 2>/dev/null; do
    sleep 1
    kb=$(resident_kb)
    [ -n "$kb" ] && { memory_start=${memory_start:-$kb}; memory_end=$kb; }
  done
  stalled=no
  [ "$(finished_games)" -lt 1 ] && [ $SECONDS -ge $deadline ] && stalled=yes
  sleep 1  # a move after the end would come now
  stop_xboard

  summary=$(awk -f "$(dirname "${BASH_SOURCE[0]}")/pgn_summary.awk" "$work/games.pgn" 2>/dev/null | head -1)
  IFS='|' read -r white black result moves comment <<<"$summary"
  printf '  game %d: %s  %s after %s moves {%s}  memory %s..%s kB  %s\n' "$game" "$mode" "${result:-none}" \
    "${moves:-0}" "$comment" "${memory_start:-?}" "${memory_end:-?}" "${opening:+opening $opening}"
  for value in $mode; do mode_games[$value]=$((${mode_games[$value]:-0} + 1)); done
  if [ $stalled = yes ]; then
    fault "a stall: no end within $game_time_limit s"
  elif [ -z "$result" ] || [ "$result" = "*" ]; then
    fault "no result"
  fi
  judge_side "$tested" "$colour"
  if [ "$opponent" = tarlowick ]; then
    other=second other_colour=black
    [ "$tested" = second ] && other=first other_colour=white
    judge_side "$other" "$other_colour"
  fi
  # The tested engine's points, in halves.
  points=0
  case $result in
    1/2-1/2) points=1 ;;
    1-0) [ "$colour" = white ] && points=2 ;;
    0-1) [ "$colour" = black ] && points=2 ;;
  esac
  for value in $mode; do mode_points[$value]=$((${mode_points[$value]:-0} + points)); done
  ((game % analysis_every == 0)) && [ "$protocol" = xboard ] && [ "$variant" = standard ] && analyse_game
done

echo "By mode: games, the tested tarlowick's score, faults"
for value in $(printf '%s\n' "${!mode_games[@]}" | sort); do
  printf '  %-18s %4d games  %5s points  %d faults\n' "$value" "${mode_games[$value]}" \
    "$((${mode_points[$value]:-0} / 2))$([ $((${mode_points[$value]:-0} % 2)) = 1 ] && echo .5)" "${mode_faults[$value]:-0}"
done
echo "Soak of $games games, seed $seed: $total_faults faults."
if [ ${#problems[@]} -gt 0 ]; then
  printf 'FAIL: %s\n' "${problems[@]}"
  exit 1
fi
echo "PASS"
