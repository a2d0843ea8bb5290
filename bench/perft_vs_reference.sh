#!/usr/bin/env bash
# Runs the six-position perft suite through tarlowick and through stockfish's "go perft"
# (Debian package stockfish), alternately, and prints both times and their ratio. Each side's
# best of N runs is taken, since other work on the machine only ever adds time.
#   bench/perft_vs_reference.sh [build-dir] [runs]
set -euo pipefail
build=${1:-build}
runs=${2:-3}
bench="$build/bench/perft_bench"
stockfish=${STOCKFISH:-/usr/games/stockfish}
[ -x "$bench" ] || { echo "build $bench first (cmake --build $build --target perft_bench)" >&2; exit 1; }
[ -x "$stockfish" ] || { echo "install the reference: apt-get install stockfish" >&2; exit 1; }

suite_commands() {
    while IFS='|' read -r fen depth; do
        echo "position fen $fen"
        echo "go perft $depth"
    done <<'SUITE'
rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1|6
r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1|5
8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1|7
r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1|6
rnbqkb1r/pp1p1ppp/2p5/4P3/2B5/8/PPP1NnPP/RNBQK2R w KQkq - 0 6|3
r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10|5
SUITE
    echo "quit"
}

out=$(mktemp)
trap 'rm -f "$out"' EXIT
# Wall-clock seconds of a command; its output is kept in $out.
seconds() { local start end; start=$(date +%s.%N); "$@" >"$out"; end=$(date +%s.%N); echo "$end - $start" | bc -l; }

best_ours=999999; best_reference=999999
for ((i = 1; i <= runs; i++)); do
    ours=$(seconds "$bench")
    ours_total=$(tail -n 1 "$out")
    reference=$(seconds bash -c "$(declare -f suite_commands); suite_commands | '$stockfish'")
    reference_total=$(awk '/^Nodes searched/ { n += $3 } END { print n }' "$out")
    printf 'run %d: tarlowick %.2f s (%s), stockfish %.2f s (%s nodes)\n' "$i" "$ours" "$ours_total" "$reference" "$reference_total"
    best_ours=$(echo "if ($ours < $best_ours) $ours else $best_ours" | bc -l)
    best_reference=$(echo "if ($reference < $best_reference) $reference else $best_reference" | bc -l)
done
printf 'best of %d: tarlowick %.2f s, stockfish %.2f s, ratio ours/reference %.2f\n' \
    "$runs" "$best_ours" "$best_reference" "$(echo "$best_ours / $best_reference" | bc -l)"
