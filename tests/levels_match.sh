#!/usr/bin/env bash
# The weakest strength level against full strength in a real front end: a short headless xboard
# match through the calibration script. Passes when every game ended with a result and the
# weakest level scored at most a quarter of the points.
#
# usage: levels_match.sh TARLOWICK [GAMES]     exit 77: xboard or xvfb-run missing
set -uo pipefail

engine=${1:?path of the built tarlowick}
games=${2:-4}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

GAMES=$games TC=0:03 INC=0.1 BOOK=1 OUT=$out bash "$(dirname "$0")/../bench/calibrate_levels.sh" "$engine" 600:tarlowick
status=$?
[ $status -eq 77 ] && exit 77
line=$(grep '^600 ' "$out/summary.txt")
read -r _ _ played won drawn lost _ <<<"$line"
[ "${played:-0}" -eq "$games" ] || { echo "FAIL: $played of $games games ended with a result"; exit 1; }
# Points in halves: the weakest may take a quarter of them at most.
if [ $((2 * won + drawn)) -gt $((games / 2)) ]; then
  echo "FAIL: the weakest level scored $won wins and $drawn draws of $games games against full strength"
  exit 1
fi
echo "PASS"
