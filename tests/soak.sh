#!/usr/bin/env bash
# A soak under a real front end: N fast games, one xboard run each, headless, between tarlowick
# and fairymax. Each game starts from an opening drawn at random from Debian's gnuchess book
# (up to 8 plies, each move chosen by its weight, read through tarlowick's own book command),
# so the games differ; pondering is on for both engines in every other game; colours alternate. Reports every game and, at the end, the crashes, illegal moves and time losses of
# tarlowick; fails when there is any (or a game ends without a result).
#
# usage: soak.sh TARLOWICK [GAMES] [TIME] [INC]
#        defaults: 4 games of 0:03 with 0.1 s a move; exit 77 when a tool or the book is missing
set -uo pipefail

engine=$(realpath "${1:?path of the built tarlowick}")
games=${2:-4}
time_control=${3:-0:03}
increment=${4:-0.1}
game_time_limit=${GAME_TIME_LIMIT:-300}  # seconds for one game, whatever its clock

source "$(dirname "$0")/match_games.sh"
require_tools xboard fairymax xvfb-run
book=/usr/share/games/gnuchess/book.bin
[ -r "$book" ] || { echo "SKIP: no book at $book (Debian package gnuchess-book)"; exit 77; }

root=$(mktemp -d)
work=
group=
cleanup() { stop_xboard; rm -rf "$root"; }
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

crashes=0 illegal=0 time_losses=0 unfinished=0 tarlowick_points=0
problems=()

# `fail` for the helpers of match_games.sh: one game's failure is counted, not fatal.
fail() { echo "  game $game: $*"; problems+=("game $game: $*"); unfinished=$((unfinished + 1)); }

for ((game = 1; game <= games; game++)); do
  work=$root/game$game
  mkdir -p "$work/engine"
  cp "$engine" "$work/engine/tarlowick"
  printf '[ENGINE]\nMaxDepth=32\nPostThinking=1\n[BOOK]\nBook=0\n' >"$work/engine/tarlowick.ini"
  if ((game % 2)); then ponder=-ponder; else ponder=-xponder; fi
  opening=$(random_opening 8)
  opening_game "$opening" >"$work/opening.pgn"
  # Colours alternate every two games, so pondering on and off both meet both colours.
  if (((game - 1) / 2 % 2 == 0)); then
    first=(-fcp ./tarlowick -fd "$work/engine") second=(-scp fairymax -sd "$work") tarlowick=first
  else
    first=(-fcp fairymax -fd "$work") second=(-scp ./tarlowick -sd "$work/engine") tarlowick=second
  fi
  (
    cd "$work" || exit 1
    export HOME=$work
    exec setsid xvfb-run -a xboard -noGUI -xncp "${first[@]}" "${second[@]}" \
      -mg 1 -tc "$time_control" -inc "$increment" "$ponder" -autoCallFlag true \
      -loadGameFile "$work/opening.pgn" \
      -saveGameFile "$work/games.pgn" -debug -nameOfDebugFile "$work/debug.txt" \
      -popupExitMessage false -saveSettingsOnExit false -soundProgram ""
  ) >"$work/xboard.out" 2>&1 &
  group=$!

  deadline=$((SECONDS + game_time_limit))
  while [ "$(finished_games)" -lt 1 ] && [ $SECONDS -lt $deadline ] && kill -0 "$group" 2>/dev/null; do sleep 1; done
  sleep 1
  stop_xboard

  summary=$(awk -f "$(dirname "${BASH_SOURCE[0]}")/pgn_summary.awk" "$work/games.pgn" 2>/dev/null | head -1)
  IFS='|' read -r white black result moves comment <<<"$summary"
  printf '  game %d: %s - %s  %s  after %s moves  {%s}  pondering %s, opening %s\n' "$game" "${white:-?}" \
    "${black:-?}" "${result:-none}" "${moves:-0}" "$comment" "$([ "$ponder" = -ponder ] && echo on || echo off)" \
    "$opening"
  [ -n "$result" ] && [ "$result" != "*" ] || { fail "no result"; continue; }

  side=white
  [[ $black == tarlowick* ]] && side=black
  shopt -s nocasematch
  if grep -q -E "^[0-9]+ <$tarlowick *: *Illegal move" "$work/debug.txt" ||
     grep -q -E "^[0-9]+ >$tarlowick *: *Illegal move" "$work/debug.txt" || [[ $comment == *illegal* ]]; then
    illegal=$((illegal + 1)); problems+=("game $game: an illegal move ($comment)")
  fi
  if grep -q -E "Error (reading from|writing to) $tarlowick" "$work/debug.txt" "$work/xboard.out" ||
     [[ $comment == *crash* || $comment == *"chess program"* ]]; then
    crashes=$((crashes + 1)); problems+=("game $game: tarlowick crashed or stopped answering ($comment)")
  fi
  lost=no
  { [ $side = white ] && [ "$result" = 0-1 ]; } && lost=yes
  { [ $side = black ] && [ "$result" = 1-0 ]; } && lost=yes
  if [[ $lost == yes && ( $comment == *time* || $comment == *flag* ) ]]; then
    time_losses=$((time_losses + 1)); problems+=("game $game: tarlowick lost on time ($comment)")
  fi
  shopt -u nocasematch
  case $result in
    1/2-1/2) tarlowick_points=$((tarlowick_points + 1)) ;;
    *) [ $lost = no ] && tarlowick_points=$((tarlowick_points + 2)) ;;
  esac
done

echo "Soak of $games games at $time_control + $increment s against fairymax:" \
  "tarlowick scored $((tarlowick_points / 2))$([ $((tarlowick_points % 2)) = 1 ] && echo .5);" \
  "$crashes crashes, $illegal illegal moves, $time_losses time losses, $unfinished games without a result."
if [ ${#problems[@]} -gt 0 ]; then
  printf 'FAIL: %s\n' "${problems[@]}"
  exit 1
fi
echo "PASS"
