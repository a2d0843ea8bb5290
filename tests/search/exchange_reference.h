// The static exchange written the slow, literal way: every step generates all captures of the
// side to move, makes each one to test its legality, keeps the legal ones and picks the
// recapture among them. The engine's own version is faster; the tests hold it to the same
// values and the same node counts as this one.
#pragma once

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "movegen/movegen.h"
#include "search/evaluate.h"

namespace reference {

inline void collectLegalCaptures(ScoredMoveList& out) {
    if (stackRoom() < 1) return;
    ScoredMoveList all;
    generateCaptures(all);
    int kept = 0;
    for (int i = all.count - 1; i >= 0; --i) {
        makeMove(all.entries[i].move);
        if (opponentKingAttackers() == 0) out.entries[kept++] = all.entries[i];
        takeBack();
    }
    if (kept != 0) out.count = kept;
}

inline ScoredMove cheapestRecapture(int square) {
    ScoredMoveList legal;
    legal.count = 0;
    collectLegalCaptures(legal);
    ScoredMoveList onSquare;
    onSquare.count = 0;
    for (int i = legal.count - 1; i >= 0; --i)
        if ((moveTo(legal.entries[i].move) ^ 56) == square) onSquare.entries[onSquare.count++] = legal.entries[i];
    if (onSquare.count == 0) return {0, 0};
    ScoredMove best = onSquare.entries[0];
    for (int i = 1; i < onSquare.count; ++i)
        if (onSquare.entries[i].score > best.score) best = onSquare.entries[i];
    return best;
}

inline int exchangeOnSquare(int square) {
    const ScoredMove r = cheapestRecapture(square);
    if (r.score == 0) return 0;
    const int to = moveTo(r.move);
    const int v = pieceValue[pieceTypeAt(*currentPosition, to)];
    makeMove(r.move);
    const int result = opponentKingAttackers() != 0 ? 0 : v - exchangeOnSquare(to);
    takeBack();
    return result;
}

inline int staticExchange(Move m) {
    const int to = moveTo(m);
    const int v = pieceValue[pieceTypeAt(*currentPosition, to)];
    makeMove(m);
    const int result = opponentKingAttackers() != 0 ? 0 : v - exchangeOnSquare(to);
    takeBack();
    return result;
}

inline void collectGoodCaptures(ScoredMoveList& out) {
    ScoredMoveList legal;
    legal.count = 0;
    collectLegalCaptures(legal);
    int kept = 0;
    for (int i = legal.count - 1; i >= 0; --i) {
        const int v = staticExchange(legal.entries[i].move);
        if (v >= 0) out.entries[kept++] = {legal.entries[i].move, v};
    }
    out.count = kept;
}

}  // namespace reference
