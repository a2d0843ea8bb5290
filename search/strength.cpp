#include "search/strength.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "book/position_key.h"
#include "search/alphabeta.h"
#include "search/evaluate.h"
#include "search/ordering.h"
#include "search/root_moves.h"
#include "search/search_hooks.h"
#include "search/transposition.h"
#include "state/game_state.h"
#include "state/settings.h"

namespace {

// Anchor rows, weakest first; levels between two rows are interpolated (the budget
// geometrically). The top row only serves the interpolation: at LEVEL_TOP_ELO the search is
// the unrestricted one. Each row's label is the rating measured for its settings in matches
// against HoiChess and Fairy-Max (bench/calibrate_levels.sh, fitted by bench/level_ratings.py).
constexpr StrengthLevel LEVEL_TABLE[] = {
    {600, 5000, 2, 137, 148},
    {900, 37000, 3, 76, 61},
    {1200, 137000, 4, 47, 25},
    {1500, 336000, 6, 32, 9},
    {1800, 1600000, 8, 15, 0},
    {LEVEL_TOP_ELO, 8000000, 12, 5, 0},
};

constexpr std::uint64_t mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

std::int32_t between(std::int32_t a, std::int32_t b, std::int32_t part, std::int32_t whole) {
    return a + (b - a) * part / whole;
}

struct SeedState {
    bool fixed = false;
    bool drawn = false;
    std::uint64_t value = 0;
    int lastIndex = 0;
    Position firstRecord{};  // the game's first position, as the last search found it
};
SeedState seedState;

std::uint64_t drawSeed() {
    static std::uint64_t draws = 0;
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    return mix(static_cast<std::uint64_t>(now) ^ mix(++draws));
}

// A new game shows as another first position, or as the game's stack much lower than at the
// last search: taking back a move pair ("remove") keeps the game, and its noise, as it was.
bool newGameStarted() {
    return !seedState.drawn || std::memcmp(&positionStack[0], &seedState.firstRecord, sizeof(Position)) != 0 ||
           stackIndex() + 2 < seedState.lastIndex;
}

// The squares the opponent's last move put its pieces on: a capture there is a recapture.
Bitboard lastArrivals() {
    if (stackIndex() == 0) return 0;
    const Position& now = *currentPosition;
    return opponentPieces(now) & ~byteSwap(currentPosition[-1].ownPieces);
}

int distance(int from, int to) {
    return std::max(std::abs((from & 7) - (to & 7)), std::abs((from >> 3) - (to >> 3)));
}

// How easily a move is missed, in quarters of the level's rate; 0: always seen.
int missWeight(Move move) {
    const Position& p = *currentPosition;
    const std::uint32_t kind = moveKind(move);
    const int from = moveFrom(move), to = moveTo(move);
    if (kind == PROMOTION || kind == PROMOTION_CAPTURE) return 0;
    if (kind & 8) {
        const int victim = kind == EN_PASSANT ? PAWN : pieceTypeAt(p, to);
        const int attacker = static_cast<int>(kind & 7);
        const bool obvious = victim >= ROOK || pieceValue[victim] >= pieceValue[attacker] ||
                             (lastArrivals() & (Bitboard{1} << to)) != 0;
        return obvious ? 0 : 2;
    }
    int weight = 4;
    if (distance(from, to) >= 3) weight += 2;
    if ((to >> 3) < (from >> 3)) weight += 3;  // the record is seen from the mover: down is back
    return weight;
}

// Keeps the moves the level sees at the front of `moves`; all of them when it would see none.
int keepSeenMoves(const StrengthLevel& level, std::uint64_t seed, Move* moves, int count) {
    if (level.blind == 0 || ownKingAttacked(*currentPosition)) return count;
    int seen = 0;
    Move kept[MAX_MOVES];
    for (int i = 0; i < count; ++i)
        if (moveSeen(level, seed, moves[i])) kept[seen++] = moves[i];
    if (seen == 0) return count;
    std::copy_n(kept, seen, moves);
    return seen;
}

// The budget of the running level search, watched from the search's input hook as well, so a
// deep subtree cannot run far past it.
struct BudgetWatch {
    std::uint64_t nodes = 0;
    bool active = false;  // off for depth 1, which always finishes
    void (*outerPoll)() = nullptr;
};
BudgetWatch budgetWatch;

void pollWithBudget() {
    if (budgetWatch.active && completedRootNodes + nodeCount >= budgetWatch.nodes) gameState.stopSearch = 1;
    if (budgetWatch.outerPoll != nullptr) budgetWatch.outerPoll();
}

// A root move whose noisy score cannot beat the best so far.
constexpr int OUT_OF_RUNNING = -INFINITE_SCORE;

struct RootScores {
    int score[MAX_MOVES];  // noisy; OUT_OF_RUNNING when it failed low
    PvLine line[MAX_MOVES];
};
RootScores rootScores;

// The noise moves a score, never across the mate bounds.
int withNoise(int score, int noise) {
    if (score > MATE_THRESHOLD || score < -MATE_THRESHOLD) return score;
    return std::clamp(score + noise, -MATE_THRESHOLD, MATE_THRESHOLD);
}

// Best first for the next depth, the moves out of the running after the others in their order.
void sortRootMoves(Move* moves, int count) {
    int order[MAX_MOVES];
    for (int i = 0; i < count; ++i) order[i] = i;
    std::stable_sort(order, order + count, [](int a, int b) { return rootScores.score[a] > rootScores.score[b]; });
    Move sorted[MAX_MOVES];
    for (int i = 0; i < count; ++i) sorted[i] = moves[order[i]];
    std::copy_n(sorted, count, moves);
}

// One depth over the seen root moves; false when the stop flag or the budget cut it short.
// The move's noise is known before its search, so each move is searched only for whether it
// beats the best noisy score so far: the choice is that of full-window scores, for fewer nodes.
bool searchIteration(const StrengthLevel& level, std::uint64_t seed, int depth, const Move* moves, int count,
                     std::uint64_t& total) {
    gameState.stopSearch = 0;
    clearKillers();
    rootProgress = RootProgress{depth, 0};
    budgetWatch.active = depth > 1;
    int best = OUT_OF_RUNNING;
    for (int i = 0; i < count; ++i) {
        nodeCount = 0;
        restartTimeTests();  // the budget's stop falls on the same node in every run
        makeMove(moves[i]);
        const int noise = positionNoise(level, seed);
        const int alpha = best == OUT_OF_RUNNING ? -INFINITE_SCORE : std::max(best - noise, -INFINITE_SCORE + 1);
        PvLine child{};
        const int score = -alphaBeta(depth - 1, -INFINITE_SCORE, -alpha, child, MATE_SCORE - 1, 1);
        takeBack();
        total += nodeCount;
        completedRootNodes = total;
        nodeCount = 0;
        ++rootProgress.movesSearched;
        if (gameState.stopSearch == 1 || (budgetWatch.active && total >= budgetWatch.nodes)) return false;
        rootScores.score[i] = OUT_OF_RUNNING;
        if (score <= alpha) continue;
        rootScores.score[i] = best = withNoise(score, noise);
        PvLine& line = rootScores.line[i];
        line.moves[0] = moves[i];
        const int copied = std::min<int>(child.length, PV_LENGTH - 1);
        std::copy_n(child.moves, copied, line.moves + 1);
        line.length = copied + 1;
    }
    return true;
}

}  // namespace

StrengthLevel strengthLevel(std::int32_t elo) {
    constexpr int rows = static_cast<int>(std::size(LEVEL_TABLE));
    elo = std::clamp(elo, LEVEL_TABLE[0].elo, LEVEL_TABLE[rows - 1].elo);
    int upper = 1;
    while (upper < rows - 1 && LEVEL_TABLE[upper].elo < elo) ++upper;
    const StrengthLevel& a = LEVEL_TABLE[upper - 1];
    const StrengthLevel& b = LEVEL_TABLE[upper];
    const std::int32_t part = elo - a.elo, whole = b.elo - a.elo;
    const double ratio = static_cast<double>(b.nodes) / a.nodes;
    const auto nodes = static_cast<std::uint32_t>(std::lround(a.nodes * std::pow(ratio, double(part) / whole)));
    return StrengthLevel{elo, nodes, between(a.depth, b.depth, part, whole), between(a.noise, b.noise, part, whole),
                         between(a.blind, b.blind, part, whole)};
}

bool strengthLimited() { return engineSettings.limitStrength == 1 && engineSettings.elo < LEVEL_TOP_ELO; }

void fixStrengthSeed(std::uint64_t seed) {
    seedState.fixed = true;
    seedState.value = seed;
}

void releaseStrengthSeed() {
    seedState.fixed = false;
    seedState.drawn = false;
}

std::uint64_t strengthSeed() {
    if (seedState.fixed) return seedState.value;
    if (newGameStarted()) {
        seedState.value = drawSeed();
        seedState.drawn = true;
        seedState.firstRecord = positionStack[0];
    }
    seedState.lastIndex = stackIndex();
    return seedState.value;
}

bool moveSeen(const StrengthLevel& level, std::uint64_t seed, Move move) {
    const int missed = std::min(level.blind * missWeight(move) / 4, 900);
    return static_cast<int>(mix(seed ^ computePositionKey() ^ mix(move)) % 1000) >= missed;
}

std::int32_t positionNoise(const StrengthLevel& level, std::uint64_t seed) {
    if (level.noise <= 0) return 0;
    // Two halves summed: small misjudgments are common, large ones rare.
    const std::uint64_t h = mix(seed ^ mix(computePositionKey()));
    const auto span = static_cast<std::uint64_t>(level.noise) + 1;
    return static_cast<std::int32_t>((h & 0xFFFFFFFFu) % span + (h >> 32) % span) - level.noise;
}

DeepeningResult deepenAtLevel(const StrengthLevel& level, int depthLimit, IterationReport report) {
    clearHash();
    clearHistory();
    rootLine.length = 0;
    rootLine.moves[0] = 0;
    completedRootNodes = 0;
    DeepeningResult result{0, 0, 0, 0, PvLine{}};
    const std::uint64_t seed = strengthSeed();
    Move moves[MAX_MOVES];
    int count = allowedRootMoves(moves);
    if (count == 0) return result;
    count = keepSeenMoves(level, seed, moves, count);

    budgetWatch = BudgetWatch{level.nodes, false, searchPoll};
    searchPoll = pollWithBudget;
    const int deepest = std::min({depthLimit, static_cast<int>(level.depth), DEEPEST_ITERATION});
    std::uint64_t total = 0, lastIteration = 0;
    for (int depth = 1; depth <= deepest; ++depth) {
        // A depth costs more than the one before: one that cannot finish is not begun.
        if (depth > 1 && total + 2 * lastIteration >= level.nodes) break;
        const std::uint64_t before = total;
        const bool finished = searchIteration(level, seed, depth, moves, count, total);
        result.nodes = total;
        result.depth = depth;
        if (!finished) break;
        lastIteration = total - before;
        // The first of the highest scores: the best so far only changes on a greater score.
        const int* scores = rootScores.score;
        const int best = static_cast<int>(std::max_element(scores, scores + count) - scores);
        rootLine = rootScores.line[best];
        result.bestMove = rootLine.moves[0];
        result.line = rootLine;
        result.score = rootScores.score[best];
        sortRootMoves(moves, count);
        nodeCount = static_cast<std::uint32_t>(lastIteration);  // the thinking line's nodes: the depth's own
        report(Iteration{depth, result.score, -INFINITE_SCORE, INFINITE_SCORE, false, total, &rootLine, 1, 1, false});
        if (result.score > MATE_THRESHOLD || result.score < -MATE_THRESHOLD) break;
    }
    searchPoll = budgetWatch.outerPoll;
    budgetWatch.active = false;
    return result;
}
