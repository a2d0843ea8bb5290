#!/usr/bin/env bash
# Analysis over a whole game, as a front end drives it: tarlowick in xboard's analyze mode gets
# the game's moves one by one; in each position, now and then, the move the game went on with
# is excluded ("exclude"), then included again ("include" it, or "include all"), and "." asks
# for the status. Every batch of commands ends with "ping N", so the output after "pong N" is
# known to come after the batch was read. Passes when every ping was answered, no thinking line
# after an exclusion's pong begins with the excluded move, every position with a legal move got
# thinking lines (where the engine had 50 ms there before the next command), nothing came after
# "exit", and the engine quit cleanly.
#
# usage: analysis_soak.sh TARLOWICK MOVES [MULTIPV] [SECONDS]
#   MOVES: the game as coordinate moves, one string; SECONDS: the wait after each batch (0.1)
#   KEEP=DIR keeps the work folder (commands sent, output with its times) there
set -uo pipefail

engine=$(realpath "${1:?path of the built tarlowick}")
read -r -a moves <<<"${2:?the moves of the game}"
multipv=${3:-1}
delay=${4:-0.1}

work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] && cp -r "$work" "$KEEP"; rm -rf "$work"' EXIT
printf '[ENGINE]\nMaxDepth=32\nPostThinking=1\n[BOOK]\nBook=0\n' >"$work/tarlowick.ini"

fail() {
  echo "FAIL: $*"
  tail -20 "$work/out.txt"
  exit 1
}

# The plan, one record per ping: what its batch left excluded (a move or "-"), the ply, and
# when it was sent. Each output line gets the time it came: a line under an exclusion is one
# after its pong and before the next batch was sent.
ping=0
batch() {  # EXCLUDED PLY COMMAND...
  local excluded=$1 ply=$2
  shift 2
  ping=$((ping + 1))
  echo "$ping $excluded $ply $EPOCHREALTIME" >>"$work/plan.txt"
  printf '%s\n' "$@" "ping $ping"
  sleep "$delay"
}
: >"$work/plan.txt"
# The number of legal moves after the game's first $1 plies, through the engine's console.
legal_moves() {
  printf 'console\nforce\n%s\nperft 1\nquit\n' "$(printf '%s\n' "${moves[@]:0:$1}")" |
    (cd "$work" && "$engine" 2>/dev/null) | sed -n 's/.*perft 1: \([0-9]*\) leaves.*/\1/p'
}
{
  printf 'xboard\nprotover 2\npost\noption MultiPV=%s\nnew\nforce\n' "$multipv"
  batch - 0 analyze
  for ((ply = 0; ply < ${#moves[@]}; ply++)); do
    next=${moves[ply]}
    if ((RANDOM % 3 == 0)); then
      # Excluding the only move empties the set, and the engine may then go on as before.
      if [ "$(legal_moves "$ply")" = 1 ]; then batch - "$ply" "exclude $next"; else batch "$next" "$ply" "exclude $next"; fi
      if ((RANDOM % 2)); then batch - "$ply" "include $next"; else batch - "$ply" "include all"; fi
    fi
    ((RANDOM % 5 == 0)) && batch - "$ply" .
    batch - "$((ply + 1))" "usermove $next"
  done
  batch - end exit
  printf 'quit\n'
} | (cd "$work" && timeout 120 "$engine") 2>&1 |
  while IFS= read -r line; do printf '%s %s\n' "$EPOCHREALTIME" "$line"; done >"$work/out.txt"
status=${PIPESTATUS[1]}
[ $status -eq 0 ] || fail "the engine ended with status $status"

awk -v plan="$work/plan.txt" '
  BEGIN {
    while ((getline line < plan) > 0) {
      split(line, f, " "); excluded[f[1]] = f[2]; plyOf[f[1]] = f[3]; sentAt[f[1]] = f[4]; last = f[1]
    }
  }
  { at = $1; sub(/^[^ ]+ /, "") }
  /^pong [0-9]+$/ {
    if ($2 != answered + 1) { print "FAULT pong " $2 " after " answered; bad = 1 }
    answered = $2; pongAt[answered] = at; next
  }
  /^ *[0-9]+ +-?[0-9]+ +[0-9]+ +[0-9]+ / {
    if (plyOf[answered] == "end") { print "FAULT a thinking line after exit: " $0; bad = 1 }
    lines[plyOf[answered]]++
    first = ""
    for (i = 5; i <= NF; i++) if ($i != ".." && $i !~ /\.$/) { first = $i; break }
    next_sent = sentAt[answered + 1]
    if (excluded[answered] != "-" && first == excluded[answered] && (next_sent == "" || at < next_sent)) {
      print "FAULT an excluded move leads a line: " excluded[answered] " in " $0; bad = 1
    }
  }
  /^stat01: / { stats++ }
  END {
    if (answered != last) { print "FAULT " answered " of " last " pings answered"; bad = 1 }
    # A position must have had lines when the engine answered there at least 50 ms before the
    # next command was sent; a busy machine may hold it back longer.
    for (p = 1; p < last; p++) {
      if (p in pongAt && pongAt[p] - sentAt[p] > slowest) slowest = pongAt[p] - sentAt[p]
      if (plyOf[p] != "end" && p in pongAt && sentAt[p + 1] - pongAt[p] >= 0.05) timely[plyOf[p]] = 1
    }
    for (ply in timely) if (!(ply in lines)) print "NO_LINES " ply
    printf "%d pings (the slowest answered in %d ms), %d positions with lines, %d stat01 lines\n", answered,
           1000 * slowest, length(lines), stats
    exit bad
  }' "$work/out.txt" >"$work/verdict.txt" || { cat "$work/verdict.txt"; fail "see above"; }
# A position without lines is a fault unless it has no legal move (the game's end).
while read -r _ ply; do
  [ "$(legal_moves "$ply")" = 0 ] || { cat "$work/verdict.txt"; fail "no line at ply $ply"; }
done < <(grep '^NO_LINES ' "$work/verdict.txt")
grep -v '^NO_LINES ' "$work/verdict.txt"
echo "PASS"
