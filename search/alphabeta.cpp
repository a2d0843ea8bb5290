#include "search/alphabeta.h"

#include <algorithm>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "board/position.h"
#include "book/position_key.h"
#include "frontend/engine_state.h"
#include "movegen/movegen.h"
#include "search/key_update.h"
#include "search/ordering.h"
#include "search/quiescence.h"
#include "search/transposition.h"

namespace {

// The clock is read at one time test in CLOCK_READ_INTERVAL. Time tests come every few hundred
// nanoseconds while the limits are counted in centiseconds, so the stop moves by microseconds
// at most; reading the clock at every move cost a tenth of the search.
constexpr int CLOCK_READ_INTERVAL = 32;
int clockCountdown = 0;

// Raises the stop flag once the time since the search started (in centiseconds) is above the
// fixed move time or the allowance; equal is still in time.
inline void timeTest() {
    if (!searchTimeLimited || --clockCountdown > 0) return;
    clockCountdown = CLOCK_READ_INTERVAL;
    const std::int32_t elapsed = elapsedMs(gameState.searchStartTime) / 10;
    if (elapsed > engineSettings.moveTime || elapsed > timeControl.allocatedTime) gameState.stopSearch = 1;
}

inline bool stopped() { return gameState.stopSearch == 1; }

// After `move` raised alpha: the node's line is the move followed by the child's line.
inline void updateLine(PvLine& line, Move move, const PvLine& child) {
    line.moves[0] = move;
    const int copied = std::min<int>(child.length, PV_LENGTH - 1);
    std::copy_n(child.moves, copied, line.moves + 1);
    line.length = copied + 1;
}

inline bool inCheck() { return ownKingAttackers() != 0; }

template <bool testDraws>
int search(int depth, int alpha, int beta, PvLine& line, int mateScore, int nullAllowed, PositionKey key);

// What a node knows while it walks its moves.
struct NodeState {
    PositionKey key;
    int depth, alpha, beta, mateScore;
    PvLine& line;
    PvLine child;
    int lastScore = 0;
    bool hasLastScore = false;  // a child search (null move included) has run
    bool searchedLegal = false;
    bool raisedAlpha = false;
};

// Searches one legal move already made on the stack (`childKey` is the key of the position it
// led to) and takes it back. Returns true on a cut-off; the caller then stores and returns beta.
inline bool searchMadeMove(NodeState& node, Move move, PositionKey childKey) {
    node.child.length = 0;
    const int score =
        -search<true>(node.depth - 1, -node.beta, -node.alpha, node.child, node.mateScore - 1, 1, childKey);
    takeBack();
    node.lastScore = score;
    node.hasLastScore = true;
    if (score >= node.beta) {
        storeHashAt(node.key, node.depth, score, HASH_LOWER, move);
        return true;
    }
    node.searchedLegal = true;
    if (score > node.alpha) {
        storeHashAt(node.key, node.depth, score, HASH_EXACT, move);
        updateLine(node.line, move, node.child);
        node.alpha = score;
        node.raisedAlpha = true;
    }
    return false;
}

// Makes `move` after starting to load its child's table slot (`key` is the node's key). Returns
// false, with the move taken back, when it leaves the mover's king attacked.
inline bool makeLegal(Move move, PositionKey key, PositionKey& childKey) {
    childKey = keyAfterMove(key, *currentPosition, move);
    prefetchHash(childKey);
    makeMove(move);
    if (!opponentKingAttacked(*currentPosition)) return true;
    takeBack();
    return false;
}

template <bool testDraws>
int search(int depth, int alpha, int beta, PvLine& line, int mateScore, int nullAllowed, PositionKey key) {
    HashEntry entry;
    const int probe = probeHashAt(key, entry, depth, alpha, beta);
    if (probe != HASH_MISS && probe != HASH_MOVE_ONLY) return probe;

    if constexpr (testDraws) {
        if (drawnForSearch()) return 0;
    }

    // The guard keeps the line inside the position stack whatever the depth asked for.
    if (depth == 0 || stackRoom() < 1) {
        line.length = 0;
        return quiesce(alpha, beta, mateScore);
    }

    NodeState node{key, depth, alpha, beta, mateScore, line, {}};
    int checked = -1;  // whether the side to move is in check, worked out when first needed
    auto sideInCheck = [&checked] {
        if (checked < 0) checked = inCheck() ? 1 : 0;
        return checked == 1;
    };

    // Null move: let the opponent move twice; if even that does not bring the score below beta,
    // the node fails high without searching a move.
    const Position& position = *currentPosition;
    if (nullAllowed == 1 && depth >= 5 && popCount(occupiedSquares(position)) > depth + 4 && !sideInCheck()) {
        flipBoard(*currentPosition);
        node.child.length = 0;
        const int score = -search<true>(depth - 4, -beta, -beta + 1, node.child, mateScore - 1, 0, computePositionKey());
        flipBoard(*currentPosition);
        if (score >= beta) return score;
        node.lastScore = score;
        node.hasLastScore = true;
    }

    // The move remembered for this position goes first. It travels as text, so a move that is
    // not valid here (a damaged entry, a key shared by another position) is simply refused.
    if (probe == HASH_MOVE_ONLY) {
        char text[6];
        moveToText(text, entry.move, *currentPosition);
        if (parseMove(text) == 1 && searchMadeMove(node, entry.move, computePositionKey())) return beta;
    }

    Move lastMove = 0;
    ScoredMoveList captures;
    generateCaptures(captures);
    while (captures.count > 0) {
        const Move move = pickBestMove(captures);
        lastMove = move;
        PositionKey childKey;
        if (makeLegal(move, key, childKey) && searchMadeMove(node, move, childKey)) return beta;
        if (stopped()) break;
        timeTest();
        if (stopped()) break;
        --captures.count;
    }

    MoveList quiets;
    generateQuiets(quiets);
    while (quiets.count > 0) {
        if (killerToEnd(depth, quiets) == 0) historyToEnd(quiets);
        const int last = quiets.count - 1;
        const Move move = quiets.moves[last];
        quiets.moves[last] = 0;
        lastMove = move;
        PositionKey childKey;
        if (makeLegal(move, key, childKey) && searchMadeMove(node, move, childKey)) {
            historyTable[moveFrom(move)][moveTo(move)] += depth * depth;
            updateKillers(depth, move);
            return beta;
        }
        if (stopped()) break;
        timeTest();
        if (stopped()) break;
        --quiets.count;
    }

    if (!node.searchedLegal) {
        if (sideInCheck()) {
            storeHashAt(key, depth, -mateScore, HASH_EXACT, lastMove);
            return -mateScore;
        }
        node.alpha = 0;  // stalemate
    }
    // Without a move that raised alpha the entry holds the last score seen, not the best one.
    if (!node.raisedAlpha)
        storeHashAt(key, depth, node.hasLastScore ? node.lastScore : node.alpha, HASH_UPPER, lastMove);
    return node.alpha;
}

}  // namespace

bool drawnForSearch() {
    const Position& p = *currentPosition;
    if (p.repetition == 2 || p.rule50 > 100) return true;
    return p.rule50 == 100 && !inCheck();
}

int alphaBeta(int depth, int alpha, int beta, PvLine& line, int mateScore, int nullAllowed) {
    return search<true>(depth, alpha, beta, line, mateScore, nullAllowed, computePositionKey());
}

int searchRoot(int depth, int alpha, int beta) {
    clockCountdown = 0;  // the first time test of an iteration reads the clock
    return search<false>(depth, alpha, beta, rootLine, MATE_SCORE, 1, computePositionKey());
}
