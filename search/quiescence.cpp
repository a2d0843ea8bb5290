#include "search/quiescence.h"

#include <cstdio>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "frontend/engine_state.h"
#include "movegen/movegen.h"
#include "search/evaluate.h"

namespace {

// Right after makeMove: whether the move left the mover's own king attacked.
inline bool moverInCheck() { return opponentKingAttacked(*currentPosition); }

}  // namespace

void collectLegalCaptures(ScoredMoveList& out) {
    if (stackRoom() < 1) return;  // no record left to test a move on
    ScoredMoveList all;
    generateCaptures(all);
    int kept = 0;
    for (int i = all.count - 1; i >= 0; --i) {
        makeMove(all.entries[i].move);
        if (!moverInCheck()) out.entries[kept++] = all.entries[i];
        takeBack();
    }
    if (kept != 0) out.count = kept;
}

ScoredMove cheapestRecapture(int square) {
    ScoredMoveList legal;
    legal.count = 0;
    collectLegalCaptures(legal);
    // The board is turned over between the two sides, so the square reads square ^ 56 here.
    ScoredMove best{0, 0};
    bool found = false;
    for (int i = legal.count - 1; i >= 0; --i) {
        const ScoredMove& entry = legal.entries[i];
        if ((moveTo(entry.move) ^ 56) != square) continue;
        if (!found || entry.score > best.score) best = entry;
        found = true;
    }
    return best;
}

int exchangeOnSquare(int square) {
    const ScoredMove recapture = cheapestRecapture(square);
    if (recapture.score == 0) return 0;
    const int to = moveTo(recapture.move);
    const int taken = pieceValue[pieceTypeAt(*currentPosition, to)];
    makeMove(recapture.move);
    const int value = moverInCheck() ? 0 : taken - exchangeOnSquare(to);
    takeBack();
    return value;
}

int staticExchange(Move move) {
    if (stackRoom() < 1) return 0;
    const int to = moveTo(move);
    const int taken = pieceValue[pieceTypeAt(*currentPosition, to)];
    makeMove(move);
    const int value = moverInCheck() ? 0 : taken - exchangeOnSquare(to);
    takeBack();
    return value;
}

void collectGoodCaptures(ScoredMoveList& out) {
    ScoredMoveList legal;
    legal.count = 0;
    collectLegalCaptures(legal);
    int kept = 0;
    for (int i = legal.count - 1; i >= 0; --i) {
        const Move move = legal.entries[i].move;
        const int value = staticExchange(move);
        if (value >= 0) out.entries[kept++] = {move, value};
    }
    out.count = kept;
}

int quiesce(int alpha, int beta, int mateScore) {
    const int stand = evaluate();
    if (stand >= beta) return beta;
    if (stand > alpha) alpha = stand;
    if (stackRoom() < 1) return alpha;  // no record left for a capture: the stand-pat value stays

    ScoredMoveList captures;
    captures.count = 0;
    collectGoodCaptures(captures);
    if (captures.count == 0) return alpha;

    bool searched = false;
    for (;;) {
        const Move move = pickBestMove(captures);
        makeMove(move);
        if (moverInCheck()) {
            takeBack();
        } else {
            const int score = -quiesce(-beta, -alpha, mateScore - 1);
            takeBack();
            if (score >= beta) return beta;
            if (score > alpha) alpha = score;
            searched = true;
        }
        if (gameState.stopSearch == 1) break;
        if (--captures.count == 0) return alpha;
    }
    if (!searched) return ownKingAttackers() != 0 ? -mateScore : 0;
    return alpha;
}

void exchangeSelfTest() {
    ScoredMoveList legal;
    legal.count = 0;
    collectLegalCaptures(legal);
    if (legal.count == 0) return;
    const Move best = pickBestMove(legal);
    std::printf(" SEE Value: %i\n", staticExchange(best));
}
