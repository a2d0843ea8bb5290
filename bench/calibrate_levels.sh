#!/usr/bin/env bash
# Calibrates the strength levels (UCI_LimitStrength with UCI_Elo): headless xboard matches of
# tarlowick at several levels against anchors, then per level and anchor the games, the level's
# score and the Elo difference with its 95% error bar, and the level's estimate where the
# anchor's rating is known. Not a test: a full run is many hours of games and takes both cores,
# so run it on an otherwise idle machine.
#
# usage: bench/calibrate_levels.sh TARLOWICK [LEVEL:ANCHOR ...]
#   ANCHOR: hoichess, fairymax, fairymax-sd1, fairymax-sd2, fairymax-sd3 (Fairy-Max held to
#           that search depth), tarlowick (full strength), tarlowick-ELO (another level).
#   LEVEL:  an Elo, or full. Without pairs, the default plan below.
#   environment:
#     GAMES  games per pair (100)     TC  xboard's clock per game, MIN or MIN:SEC (1)     INC  seconds a move (1)
#     BOOK   1: tarlowick plays from Debian's gnuchess-book when installed, at random (1)
#     OUT    folder that keeps each pair's PGN and the summary (a new temporary one)
#     ELO_<anchor>  the anchor's rating, '-' for '_' (ELO_fairymax_sd2=1100): known ones below
#   exit 77: xboard, xvfb-run or an anchor's program is missing
# A smoke run: GAMES=2 TC=0:10 INC=0 bench/calibrate_levels.sh build/tarlowick 800:fairymax-sd1
set -uo pipefail

engine=$(readlink -f "${1:?path of the built tarlowick}")
shift
games=${GAMES:-100}
tc=${TC:-1}
inc=${INC:-1}
use_book=${BOOK:-1}
out=${OUT:-$(mktemp -d -t tarlowick-levels.XXXXXX)}
mkdir -p "$out"

# Low levels meet Fairy-Max held to a shallow depth, the middle ones HoiChess and Fairy-Max, the
# top ones Fairy-Max and tarlowick itself at full strength.
default_pairs=(
  600:fairymax-sd1 800:fairymax-sd1 1000:fairymax-sd2 1200:fairymax-sd2 1200:fairymax-sd3
  1400:fairymax-sd3 1600:hoichess 1800:hoichess 1800:fairymax 2000:fairymax 2000:tarlowick
)
if [ $# -gt 0 ]; then pairs=("$@"); else pairs=("${default_pairs[@]}"); fi

# CCRL Blitz about 1800 and 1850-1950; the depth-held Fairy-Max has no published rating.
ELO_hoichess=${ELO_hoichess:-1800}
ELO_fairymax=${ELO_fairymax:-1900}

source "$(dirname "$0")/../tests/match_games.sh"
require_tools xboard xvfb-run
for pair in "${pairs[@]}"; do
  case ${pair#*:} in
    hoichess) require_tools hoichess ;;
    fairymax*) require_tools fairymax ;;
    tarlowick | tarlowick-[0-9]*) ;;
    *) echo "unknown anchor in $pair"; exit 2 ;;
  esac
done

fail() {
  echo "  FAIL: $*"
  exit 1
}

# An engine folder for tarlowick: the level on (or off at full strength), the book if wanted.
engine_folder() {
  local folder=$1 elo=$2
  mkdir -p "$folder"
  cp "$engine" "$folder/tarlowick"
  local book=/usr/share/games/gnuchess/book.bin
  {
    if [ "$elo" = full ]; then
      printf '[ENGINE]\nLimitStrength=0\n'
    else
      printf '[ENGINE]\nLimitStrength=1\nElo=%s\n' "$elo"
    fi
    printf '[BOOK]\n'
    if [ "$use_book" = 1 ] && [ -r "$book" ]; then
      printf 'Book=1\nBookFile=%s\nRandBook=1\n' "$book"
    else
      printf 'Book=0\n'
    fi
  } >"$folder/tarlowick.ini"
}

# One pair's match, its games in $out/LEVEL-ANCHOR/games.pgn; the level is the first engine.
# Run in a subshell: a match that fails ends it, and xboard with it.
run_pair() {
  local level=$1 anchor=$2
  group=
  trap stop_xboard EXIT
  work=$out/$level-$anchor
  rm -rf "$work"
  mkdir -p "$work"
  engine_folder "$work/level" "$level"
  local second=() init='new\nrandom\n'
  case $anchor in
    hoichess) second=(-scp "hoichess -x" -sd "$work") ;;
    fairymax) second=(-scp fairymax -sd "$work") ;;
    fairymax-sd*) second=(-scp fairymax -sd "$work"); init="new\\nrandom\\nsd ${anchor#fairymax-sd}\\n" ;;
    tarlowick) engine_folder "$work/full" full; second=(-scp ./tarlowick -sd "$work/full") ;;
    tarlowick-*) engine_folder "$work/other" "${anchor#tarlowick-}"; second=(-scp ./tarlowick -sd "$work/other") ;;
  esac
  # Twice the clock per game, and then some, before the match counts as stuck.
  match_time_limit=$(awk -v g="$games" -v t="$tc" -v i="$inc" \
    'BEGIN { n = split(t, part, ":"); minutes = part[1] + (n > 1 ? part[2] / 60 : 0)
             printf "%d", g * (120 * minutes + 200 * i + 20) + 300 }')
  (
    cd "$work" || exit 1
    export HOME=$work  # no settings file of the user's is read or written
    exec setsid xvfb-run -a nice xboard -noGUI -xncp \
      -fcp ./tarlowick -fd "$work/level" -fn "tarlowick-$level" "${second[@]}" -sn "$anchor" \
      -secondInitString "$init" -mg "$games" -tc "$tc" -inc "$inc" -xponder -autoCallFlag true \
      -saveGameFile "$work/games.pgn" -matchPause 1000 -popupExitMessage false -saveSettingsOnExit false -soundProgram ""
  ) >"$work/xboard.out" 2>&1 &
  group=$!
  wait_for_games
}

# One line for the pair: games, wins, draws and losses of the level, its score, the Elo
# difference to the anchor with the 95% error bar, and the level's estimate.
summarize_pair() {
  local level=$1 anchor=$2 anchor_var anchor_elo
  anchor_var=ELO_${anchor//-/_}
  anchor_elo=${!anchor_var:-}
  awk -v me="tarlowick-$level" -v level="$level" -v anchor="$anchor" -v anchor_elo="$anchor_elo" '
    function elo(s) { if (s < 0.001) s = 0.001; if (s > 0.999) s = 0.999; return -400 * log(1 / s - 1) / log(10) }
    /^\[White "/  { white = $0; sub(/^\[White "/, "", white); sub(/"\]$/, "", white) }
    /^\[Result "/ {
      result = $0; sub(/^\[Result "/, "", result); sub(/"\]$/, "", result)
      if (result == "1/2-1/2") { d++; next }
      if (result != "1-0" && result != "0-1") next
      if ((result == "1-0") == (white == me)) w++; else l++
    }
    END {
      n = w + d + l
      if (n == 0) { printf "%-6s %-13s %5d\n", level, anchor, 0; exit }
      s = (w + d / 2) / n
      if (s == 0 || s == 1) {  # no finite difference: only the direction is known
        printf "%-6s %-13s %5d %4d %4d %4d %6.1f%% %6s %6s %8s\n", level, anchor, n, w, d, l, 100 * s,
               s == 0 ? "-inf" : "+inf", "", "?"
        exit
      }
      sd = sqrt((w * (1 - s) ^ 2 + d * (0.5 - s) ^ 2 + l * s ^ 2) / n) / sqrt(n)
      diff = elo(s); bar = (elo(s + 1.96 * sd) - elo(s - 1.96 * sd)) / 2
      estimate = anchor_elo == "" ? "?" : sprintf("%d", anchor_elo + diff)
      printf "%-6s %-13s %5d %4d %4d %4d %6.1f%% %+6.0f +-%4.0f %8s\n",
             level, anchor, n, w, d, l, 100 * s, diff, bar, estimate
    }' "$out/$level-$anchor/games.pgn"
}

echo "Calibration: ${#pairs[@]} pairs, $games games each at $tc min + $inc s; games kept in $out"
for pair in "${pairs[@]}"; do
  level=${pair%%:*} anchor=${pair#*:}
  echo "playing $level against $anchor ..."
  (run_pair "$level" "$anchor") || echo "  the match of $level against $anchor did not finish; its games so far count"
done

{
  printf "%-6s %-13s %5s %4s %4s %4s %7s %6s %6s %8s\n" level anchor games won drawn lost score diff '95%' estimate
  for pair in "${pairs[@]}"; do summarize_pair "${pair%%:*}" "${pair#*:}"; done
} | tee "$out/summary.txt"
