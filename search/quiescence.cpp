#include "search/quiescence.h"

#include <cstdio>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "movegen/movegen.h"
#include "search/evaluate.h"
#include "state/game_state.h"

// The static exchange is defined on the real board: at every step all captures of the side to
// move are generated and each is made to test its legality, then the recapture is chosen among
// the legal ones onto the square. Only the captures onto the square can matter, so this file
// tries just those, cheapest first, and adds to nodeCount the moves the full procedure would
// have made; values and node counts stay the same.

namespace {

// Right after makeMove: whether the move left the mover's own king attacked.
inline bool moverInCheck() { return opponentKingAttacked(*currentPosition); }

// Makes a move whose node is already counted (or not counted at all).
inline void makeUncounted(Move move) {
    makeMove(move);
    --nodeCount;
}

// Set bits of a set that rarely holds more than a few.
inline int countSparse(Bitboard set) {
    int n = 0;
    for (; set; set = withoutLowest(set)) ++n;
    return n;
}

// The nearest piece on the ray (run towards higher squares when `upwards`), or nothing.
template <bool upwards>
inline Bitboard nearestOn(Bitboard ray, Bitboard occupied) {
    const Bitboard blockers = ray & occupied;
    // The extra bit 0 only keeps the scan defined on an empty ray: it is never above a real
    // blocker, and the mask drops it again.
    return upwards ? blockers & (0 - blockers) : squareBit(highestSquare(blockers | 1)) & blockers;
}

// A slider captures the nearest piece on each of its rays when that piece is an opponent's.
inline int rookCaptures(int square, Bitboard occupied, Bitboard theirs) {
    using namespace detail;
    const Bitboard nearest =
        nearestOn<true>(RAYS[NORTH][square], occupied) | nearestOn<true>(RAYS[EAST][square], occupied) |
        nearestOn<false>(RAYS[SOUTH][square], occupied) | nearestOn<false>(RAYS[WEST][square], occupied);
    return popCount(nearest & theirs);
}

inline int bishopCaptures(int square, Bitboard occupied, Bitboard theirs) {
    using namespace detail;
    const Bitboard nearest =
        nearestOn<true>(RAYS[NORTH_EAST][square], occupied) | nearestOn<true>(RAYS[NORTH_WEST][square], occupied) |
        nearestOn<false>(RAYS[SOUTH_WEST][square], occupied) | nearestOn<false>(RAYS[SOUTH_EAST][square], occupied);
    return popCount(nearest & theirs);
}

// How many entries generateCaptures writes for the current position. A slider captures the
// nearest piece on each of its rays when that piece is an opponent's.
int countCaptures() {
    const Position& p = *currentPosition;
    const Bitboard own = p.ownPieces, occupied = occupiedSquares(p), theirs = occupied ^ own;
    const Bitboard pawns = pawnsOf(p) & own;
    int n = 0;
    if (p.enPassant != NO_EN_PASSANT) {
        const Bitboard target = squareBit(40 + p.enPassant);
        n += countSparse((((target >> 9) & ~FILE_H) | ((target >> 7) & ~FILE_A)) & pawns);
    }
    if (const Bitboard promoting = pawns & RANK_7)
        n += 4 * (countSparse((promoting << 9) & ~FILE_A & theirs) + countSparse((promoting << 7) & ~FILE_H & theirs) +
                  countSparse((promoting << 8) & ~occupied));
    n += countSparse((pawns << 9) & ~FILE_A & ~RANK_8 & theirs) + countSparse((pawns << 7) & ~FILE_H & ~RANK_8 & theirs);
    for (Bitboard set = knightsOf(p) & own; set; set = withoutLowest(set))
        n += countSparse(knightAttacks[lowestSquare(set)] & theirs);
    for (Bitboard set = bishopSlidersOf(p) & own; set; set = withoutLowest(set))
        n += bishopCaptures(lowestSquare(set), occupied, theirs);
    for (Bitboard set = rookSlidersOf(p) & own; set; set = withoutLowest(set))
        n += rookCaptures(lowestSquare(set), occupied, theirs);
    n += countSparse(kingAttacks[lowestSquare(kingsOf(p) & own)] & theirs);
    return n;
}

// Makes `move` (uncounted) and keeps it when legal; takes it back otherwise.
inline bool tryLegal(Move move) {
    makeUncounted(move);
    if (!moverInCheck()) return true;
    takeBack();
    return false;
}

// Tries the own pieces of `from` (walked from the lowest square) capturing on `target`.
inline Move tryEach(Bitboard from, std::uint32_t kind, int target) {
    for (; from; from = withoutLowest(from)) {
        const Move move = encodeMove(kind, lowestSquare(from), target);
        if (tryLegal(move)) return move;
    }
    return 0;
}

// Targets off the common path (an empty square, an own piece, the last rank, the en-passant
// square): the captures onto it in generator order, the best score first, the earliest on ties.
Move makeRareRecapture(int target, int& score) {
    ScoredMoveList all;
    generateCaptures(all);
    ScoredMove onTarget[32];  // eight promotions and fifteen pieces at most
    int count = 0;
    for (int i = 0; i < all.count && count < 32; ++i)
        if (moveTo(all.entries[i].move) == target) onTarget[count++] = all.entries[i];
    for (; count > 0; --count) {
        int best = 0;
        for (int i = 1; i < count; ++i)
            if (onTarget[i].score > onTarget[best].score) best = i;
        const ScoredMove candidate = onTarget[best];
        for (int i = best; i + 1 < count; ++i) onTarget[i] = onTarget[i + 1];  // keep generator order
        if (tryLegal(candidate.move)) {
            score = candidate.score;
            return candidate.move;
        }
    }
    return 0;
}

// The cheapest legal capture onto `target` (a square of the side to move's record), left made
// on the stack without counting its node; 0 when there is none. Promotions aside, captures
// of an opponent piece score by attacker type (pawn highest) and the generator emits them
// type by type, each type from the lowest square, so the first legal one in that order wins.
// (Within the exchange the en-passant file is always empty: every step follows a capture.)
Move makeCheapestRecapture(int target, int& score) {
    const Position& p = *currentPosition;
    const Bitboard bit = squareBit(target);
    const Bitboard own = p.ownPieces;
    const Bitboard pawns = pawnsOf(p) & own;
    const Bitboard pawnTakes = (((pawns << 9) & ~FILE_A) | ((pawns << 7) & ~FILE_H)) & bit;
    // On the last rank a pawn's capture is a promotion: the rare path, if a pawn can make one.
    if (!(opponentPieces(p) & bit) || (target >= 56 && pawnTakes) ||
        (p.enPassant != NO_EN_PASSANT && target == 40 + p.enPassant))
        return makeRareRecapture(target, score);
    const int base = 16 * pieceTypeAt(p, target);
    Move move = 0;
    score = base + 6 - PAWN;
    if (((pawns << 9) & ~FILE_A & bit) && tryLegal(encodeMove(PAWN_CAPTURE, target - 9, target)))
        return encodeMove(PAWN_CAPTURE, target - 9, target);
    if (((pawns << 7) & ~FILE_H & bit) && tryLegal(encodeMove(PAWN_CAPTURE, target - 7, target)))
        return encodeMove(PAWN_CAPTURE, target - 7, target);
    score = base + 6 - KNIGHT;
    if ((move = tryEach(knightsOf(p) & own & knightAttacks[target], KNIGHT_CAPTURE, target))) return move;
    const Bitboard occupied = occupiedSquares(p);
    const Bitboard diagonals = bishopAttacks(target, occupied) & own, lines = rookAttacks(target, occupied) & own;
    score = base + 6 - BISHOP;
    if ((move = tryEach(bishopsOf(p) & diagonals, BISHOP_CAPTURE, target))) return move;
    score = base + 6 - ROOK;
    if ((move = tryEach(rooksOf(p) & lines, ROOK_CAPTURE, target))) return move;
    score = base + 6 - QUEEN;
    if ((move = tryEach(queensOf(p) & (diagonals | lines), QUEEN_CAPTURE, target))) return move;
    score = base + 6 - KING;
    if ((move = tryEach(kingsOf(p) & own & kingAttacks[target], KING_CAPTURE, target))) return move;
    score = 0;
    return 0;
}

// The exchange on `target` (the side to move's record square) from the side to move's view.
int exchangeValue(int target) {
    if (stackRoom() < 1) return 0;  // no record to test a recapture on: none is found
    nodeCount += static_cast<std::uint32_t>(countCaptures());  // the legality tests of every capture
    const int taken = pieceValue[pieceTypeAt(*currentPosition, target)];
    int score = 0;
    const Move recapture = makeCheapestRecapture(target, score);
    if (recapture == 0) return 0;
    ++nodeCount;  // the recapture itself
    const int value = taken - exchangeValue(target ^ 56);
    takeBack();
    return value;
}

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
    if (stackRoom() < 1) return {0, 0};
    nodeCount += static_cast<std::uint32_t>(countCaptures());
    int score = 0;
    const Move recapture = makeCheapestRecapture(square ^ 56, score);  // the board is turned over
    if (recapture == 0) return {0, 0};
    takeBack();
    return {recapture, score};
}

int exchangeOnSquare(int square) { return exchangeValue(square ^ 56); }

int staticExchange(Move move) {
    if (stackRoom() < 1) return 0;
    const int to = moveTo(move);
    const int taken = pieceValue[pieceTypeAt(*currentPosition, to)];
    makeMove(move);
    const int value = moverInCheck() ? 0 : taken - exchangeValue(to ^ 56);
    takeBack();
    return value;
}

// Each capture is made once: an illegal one stands for its legality test, a legal one for that
// test and for the exchange's own first move, so it counts twice.
void collectGoodCaptures(ScoredMoveList& out) {
    out.count = 0;
    if (stackRoom() < 1) return;
    ScoredMoveList all;
    generateCaptures(all);
    nodeCount += static_cast<std::uint32_t>(all.count);
    int kept = 0;
    for (int i = 0; i < all.count; ++i) {
        const Move move = all.entries[i].move;
        const int to = moveTo(move);
        const int taken = pieceValue[pieceTypeAt(*currentPosition, to)];
        makeMove(move);
        if (moverInCheck()) {
            --nodeCount;
            takeBack();
            continue;
        }
        const int value = taken - exchangeValue(to ^ 56);
        takeBack();
        if (value >= 0) out.entries[kept++] = {move, value};
    }
    out.count = kept;
}

int quiesceWithMaterial(int alpha, int beta, int mateScore, int material) {
    if (material == UNKNOWN_MATERIAL) material = materialScore(*currentPosition);
    const int stand = material + kingScore(*currentPosition);  // evaluate()
    if (stand >= beta) return beta;
    if (stand > alpha) alpha = stand;
    if (stackRoom() < 1) return alpha;  // no record left for a capture: the stand-pat value stays

    ScoredMoveList captures;
    collectGoodCaptures(captures);
    // Every listed capture is legal, so the first one is always searched and a stop afterwards
    // leaves alpha as the answer (never the no-capture mate or draw value).
    for (; captures.count > 0; --captures.count) {
        const Move move = pickBestMove(captures);
        const int childMaterial = materialAfter(material, *currentPosition, move);
        makeMove(move);
        const int score = -quiesceWithMaterial(-beta, -alpha, mateScore - 1, childMaterial);
        takeBack();
        if (score >= beta) return beta;
        if (score > alpha) alpha = score;
        if (gameState.stopSearch == 1) break;
    }
    return alpha;
}

int quiesce(int alpha, int beta, int mateScore) {
    return quiesceWithMaterial(alpha, beta, mateScore, UNKNOWN_MATERIAL);
}

void exchangeSelfTest() {
    ScoredMoveList legal;
    legal.count = 0;
    collectLegalCaptures(legal);
    if (legal.count == 0) return;
    const Move best = pickBestMove(legal);
    std::printf(" SEE Value: %i\n", staticExchange(best));
}
