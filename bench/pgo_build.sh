#!/usr/bin/env bash
# Builds tarlowick with profile-guided optimisation, in one build folder: an instrumented build,
# the benchmarks as its training run (the search benchmark two plies lower and two perft rows),
# then the optimised build of everything from the profile they wrote.
#   bench/pgo_build.sh [build-dir]        (default: build-pgo)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build-pgo}
mkdir -p "$build"
build=$(cd "$build" && pwd)
profile="$build/pgo-profile"

rm -rf "$profile"
cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTARLOWICK_PGO=GENERATE -DTARLOWICK_PGO_DIR="$profile"
cmake --build "$build" -j2 --target search_bench perft_bench
"$build/bench/search_bench" -2
"$build/bench/perft_bench" 5 6

cmake -S "$source_dir" -B "$build" -DTARLOWICK_PGO=USE
cmake --build "$build" -j2
echo "profile-guided build ready in $build"
