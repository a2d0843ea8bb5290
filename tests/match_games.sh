# Running and judging a match test; sourced by the match scripts, which define `fail`, and set
# `group` to xboard's process group once they start it.

# Exits with 77 (skipped) unless every program named is installed; Debian's games are in
# /usr/games.
require_tools() {
  PATH=$PATH:/usr/games
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
  done
}

# The start of a match script: the programs it needs, a scratch folder `work`, removed with
# xboard's processes when the script ends.
begin_match() {
  require_tools "$@"
  work=$(mktemp -d)
  group=
  trap end_match EXIT
}

# xboard with -noGUI stays up after the match: ends its whole process group (xvfb, the X server,
# any adapters and both engines), politely first.
stop_xboard() {
  if [ -n "$group" ] && kill -0 -- "-$group" 2>/dev/null; then
    kill -TERM -- "-$group" 2>/dev/null
    for _ in 1 2 3 4 5 6 7 8 9 10; do
      kill -0 -- "-$group" 2>/dev/null || break
      sleep 0.5
    done
    kill -KILL -- "-$group" 2>/dev/null
  fi
}

# Ends xboard and removes the scratch folder.
end_match() {
  stop_xboard
  rm -rf "$work"
}

# Waits until $work/games.pgn holds $games finished games; fails after $match_time_limit
# seconds or when xboard (process $group) ends first.
wait_for_games() {
  local deadline=$((SECONDS + match_time_limit))
  while [ "$(finished_games)" -lt "$games" ]; do
    [ $SECONDS -lt $deadline ] || fail "the match did not finish within $match_time_limit s"
    kill -0 "$group" 2>/dev/null || { sleep 1; [ "$(finished_games)" -ge "$games" ] && break; fail "xboard ended early"; }
    sleep 1
  done
}

# A game reaches the file only when it ends, with its result in the header.
finished_games() {
  local count
  count=$(grep -c '^\[Result "' "$work/games.pgn" 2>/dev/null)
  echo "${count:-0}"
}

# Prints one line per game of PGN file $1 and fails unless there are $2 games, each ended with a
# result, none on an illegal move or an engine failure, none lost by tarlowick on time, and
# tarlowick played both colours.
check_games() {
  local pgn=$1 games=$2 game=0 as_white=0 as_black=0 white black result moves comment side lost
  local summary
  summary=$(awk -f "$(dirname "${BASH_SOURCE[0]}")/pgn_summary.awk" "$pgn")
  while IFS='|' read -r white black result moves comment; do
    [ -n "$white$black" ] || continue
    game=$((game + 1))
    echo "  game $game: $white - $black  $result  after $moves moves  {$comment}"
    case $white in tarlowick*) as_white=1; side=white ;; *) as_black=1; side=black ;; esac
    case $result in 1-0|0-1|1/2-1/2) ;; *) fail "game $game has no result ($result)" ;; esac
    shopt -s nocasematch
    [[ $comment == *illegal* ]] && fail "game $game ended on an illegal move: $comment"
    [[ $comment == *"chess program"* || $comment == *crash* || $comment == *exit* ]] &&
      fail "game $game ended with an engine failure: $comment"
    lost=no
    { [ "$side" = white ] && [ "$result" = 0-1 ]; } && lost=yes
    { [ "$side" = black ] && [ "$result" = 1-0 ]; } && lost=yes
    [[ $lost == yes && ( $comment == *time* || $comment == *flag* ) ]] && fail "tarlowick lost game $game on time"
    shopt -u nocasematch
  done <<<"$summary"
  [ "$game" -ge "$games" ] || fail "only $game of $games games were saved"
  [ $as_white = 1 ] && [ $as_black = 1 ] || fail "tarlowick did not play both colours"
}
