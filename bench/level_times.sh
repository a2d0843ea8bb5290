#!/usr/bin/env bash
# Time per move at each strength level on a one-minute clock: tarlowick, speaking xboard with
# "level 0 1 0", plays both sides of a game from the start position for PLIES plies at each
# level (and at full strength), the clock it is told being its own remaining time. Prints per
# level the mean and the longest time from "go" to its move, as this script sees them.
#
# usage: bench/level_times.sh TARLOWICK [PLIES] [LEVEL ...]
#        defaults: 40 plies; levels 600 800 1000 1200 1400 1600 1800 2000 2100 and full
set -uo pipefail

engine=$(realpath "${1:?path of the built tarlowick}")
plies=${2:-40}
shift $(($# >= 2 ? 2 : $#))
levels=("$@")
[ ${#levels[@]} -gt 0 ] || levels=(600 800 1000 1200 1400 1600 1800 2000 2100 full)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '[ENGINE]\nMaxDepth=32\n[BOOK]\nBook=0\n' >"$work/tarlowick.ini"

printf '%-6s %8s %8s\n' level "mean ms" "max ms"
for level in "${levels[@]}"; do
  coproc ENGINE { cd "$work" && exec "$engine"; }
  say() { printf '%s\n' "$@" >&"${ENGINE[1]}"; }
  say xboard "protover 2" new force "level 0 1 0" post
  if [ "$level" = full ]; then say "option UCI_LimitStrength=0"; else say "option UCI_LimitStrength=1" "option UCI_Elo=$level"; fi
  # The clock of the side to move, in centiseconds, each side's kept apart.
  clock=(6000 6000) total=0 longest=0 moved=0
  for ((ply = 0; ply < plies; ply++)); do
    side=$((ply % 2))
    say "time ${clock[side]}" "otim ${clock[1 - side]}"
    started=$EPOCHREALTIME
    say go
    move=
    while IFS= read -r -t 120 line <&"${ENGINE[0]}"; do
      case $line in
        "move "*) move=${line#move }; break ;;
        *"resign"* | "1-0"* | "0-1"* | "1/2-1/2"*) break ;;
      esac
    done
    [ -n "$move" ] || break
    spent=$(( (${EPOCHREALTIME/./} - ${started/./}) / 1000 ))
    clock[side]=$((clock[side] - spent / 10))
    total=$((total + spent)) moved=$((moved + 1))
    ((spent > longest)) && longest=$spent
    say force
  done
  say quit
  wait "$ENGINE_PID" 2>/dev/null
  printf '%-6s %8d %8d   (%d moves)\n' "$level" $((moved ? total / moved : 0)) "$longest" "$moved"
done
