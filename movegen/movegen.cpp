#include "movegen/movegen.h"

#include <array>

#include "board/attacks.h"
#include "board/castling.h"
#include "board/position.h"

namespace {

// Appends one scored entry per target square, walking the targets from the lowest square.
inline void addScoredMoves(ScoredMoveList& list, std::uint32_t kind, int from, Bitboard targets, int attacker,
                           const Position& p) {
    for (; targets; targets = withoutLowest(targets)) {
        const int to = lowestSquare(targets);
        list.entries[list.count++] = {encodeMove(kind, from, to), 16 * pieceTypeAt(p, to) + 6 - attacker};
    }
}

inline void addMoves(MoveList& list, std::uint32_t kind, int from, Bitboard targets) {
    for (; targets; targets = withoutLowest(targets)) list.moves[list.count++] = encodeMove(kind, from, lowestSquare(targets));
}

// Queen, rook, bishop, knight, in the order the promotion entries are written.
constexpr int PROMOTION_ORDER[4] = {QUEEN, ROOK, BISHOP, KNIGHT};
constexpr int PROMOTION_SCORE[4] = {85, -1, -2, -3};

inline void addPromotions(ScoredMoveList& list, std::uint32_t kind, Bitboard targets, int fromOffset) {
    for (; targets; targets = withoutLowest(targets)) {
        const int to = lowestSquare(targets);
        for (int i = 0; i < 4; ++i)
            list.entries[list.count++] = {encodeMove(kind, to - fromOffset, to, PROMOTION_ORDER[i]), PROMOTION_SCORE[i]};
    }
}

inline void addPawnCaptures(ScoredMoveList& list, Bitboard targets, int fromOffset, const Position& p) {
    for (; targets; targets = withoutLowest(targets)) {
        const int to = lowestSquare(targets);
        list.entries[list.count++] = {encodeMove(PAWN_CAPTURE, to - fromOffset, to), 16 * pieceTypeAt(p, to) + 5};
    }
}

}  // namespace

void generateCaptures(ScoredMoveList& list) {
    const Position& p = *currentPosition;
    list.count = 0;
    const Bitboard own = p.ownPieces;
    const Bitboard occupied = occupiedSquares(p);
    const Bitboard theirs = occupied ^ own;
    const Bitboard pawns = pawnsOf(p) & own;

    if (p.enPassant != NO_EN_PASSANT) {
        const int to = 40 + p.enPassant;
        if (p.enPassant != 0 && (pawns & squareBit(to - 9)))
            list.entries[list.count++] = {encodeMove(EN_PASSANT, to - 9, to), 21};
        if (p.enPassant != 7 && (pawns & squareBit(to - 7)))
            list.entries[list.count++] = {encodeMove(EN_PASSANT, to - 7, to), 21};
    }

    if (const Bitboard promoting = pawns & RANK_7) {
        addPromotions(list, PROMOTION_CAPTURE, (promoting << 9) & ~FILE_A & theirs, 9);
        addPromotions(list, PROMOTION_CAPTURE, (promoting << 7) & ~FILE_H & theirs, 7);
        addPromotions(list, PROMOTION, (promoting << 8) & ~occupied, 8);
    }

    addPawnCaptures(list, (pawns << 9) & ~FILE_A & ~RANK_8 & theirs, 9, p);
    addPawnCaptures(list, (pawns << 7) & ~FILE_H & ~RANK_8 & theirs, 7, p);

    for (Bitboard set = knightsOf(p) & own; set; set = withoutLowest(set)) {
        const int from = lowestSquare(set);
        addScoredMoves(list, KNIGHT_CAPTURE, from, knightAttacks[from] & theirs, KNIGHT, p);
    }
    for (Bitboard set = bishopsOf(p) & own; set; set = withoutLowest(set)) {
        const int from = lowestSquare(set);
        addScoredMoves(list, BISHOP_CAPTURE, from, bishopAttacks(from, occupied) & theirs, BISHOP, p);
    }
    for (Bitboard set = rooksOf(p) & own; set; set = withoutLowest(set)) {
        const int from = lowestSquare(set);
        addScoredMoves(list, ROOK_CAPTURE, from, rookAttacks(from, occupied) & theirs, ROOK, p);
    }
    for (Bitboard set = queensOf(p) & own; set; set = withoutLowest(set)) {
        const int from = lowestSquare(set);
        addScoredMoves(list, QUEEN_CAPTURE, from, (rookAttacks(from, occupied) | bishopAttacks(from, occupied)) & theirs,
                       QUEEN, p);
    }
    const int king = lowestSquare(kingsOf(p) & own);
    addScoredMoves(list, KING_CAPTURE, king, kingAttacks[king] & theirs, KING, p);
}

namespace {

constexpr Bitboard squaresBetween(int first, int last) {
    Bitboard set = 0;
    for (int s = first; s <= last; ++s) set |= squareBit(s);
    return set;
}

// Upward rays from a first-rank square on an empty board, excluding the square.
constexpr Bitboard upwardRay(int square, int fileStep) {
    Bitboard ray = 0;
    for (int rank = 1, file = square + fileStep; rank < 8 && file >= 0 && file < 8; ++rank, file += fileStep)
        ray |= squareBit(8 * rank + file);
    return ray;
}

// What can attack the three squares a castling king stands on, crosses and lands on.
struct CastlingPath {
    int first;               // lowest of the three squares
    Bitboard mustBeEmpty;    // between king and rook
    Bitboard knightSquares;  // knights there attack one of the three
    Bitboard pawnSquares;
    Bitboard kingSquares;
    Bitboard sideRay;        // rank 1 beyond e1, away from the castling rook
    bool sideRayUpwards;     // nearest blocker is the lowest square of the ray
    Bitboard upRays[3][3];   // file, up-left and up-right rays of each square
};

constexpr CastlingPath makeCastlingPath(int first, Bitboard mustBeEmpty, Bitboard sideRay, bool sideRayUpwards) {
    CastlingPath path{first, mustBeEmpty, 0, 0, 0, sideRay, sideRayUpwards, {}};
    for (int i = 0; i < 3; ++i) {
        const int s = first + i;
        path.knightSquares |= knightAttacks[s];
        path.kingSquares |= kingAttacks[s];
        path.pawnSquares |= pawnAttackersFromAbove(squareBit(s));
        path.upRays[i][0] = upwardRay(s, 0);
        path.upRays[i][1] = upwardRay(s, -1);
        path.upRays[i][2] = upwardRay(s, 1);
    }
    return path;
}

constexpr CastlingPath LONG_PATH = makeCastlingPath(2, squaresBetween(1, 3), squaresBetween(5, 7), true);
constexpr CastlingPath SHORT_PATH = makeCastlingPath(4, squaresBetween(5, 6), squaresBetween(0, 3), false);

// The three squares are safe when no opponent piece attacks any of them. Relies on the king on
// e1 and the rook on its corner, which the rights of the standard setup stand for.
bool castlingPathSafe(const Position& p, const CastlingPath& path) {
    const Bitboard occupied = occupiedSquares(p);
    const Bitboard theirs = occupied ^ p.ownPieces;
    if (theirs & ((knightsOf(p) & path.knightSquares) | (pawnsOf(p) & path.pawnSquares) |
                  (kingsOf(p) & path.kingSquares)))
        return false;
    const Bitboard theirRookSliders = rookSlidersOf(p) & theirs;
    const Bitboard theirBishopSliders = bishopSlidersOf(p) & theirs;
    if (const Bitboard side = occupied & path.sideRay) {
        const int nearest = path.sideRayUpwards ? lowestSquare(side) : highestSquare(side);
        if (theirRookSliders & squareBit(nearest)) return false;
    }
    for (const auto& rays : path.upRays) {
        if (const Bitboard file = occupied & rays[0]; file && (theirRookSliders & squareBit(lowestSquare(file))))
            return false;
        for (int d = 1; d < 3; ++d)
            if (const Bitboard diagonal = occupied & rays[d];
                diagonal && (theirBishopSliders & squareBit(lowestSquare(diagonal))))
                return false;
    }
    return true;
}

// Other setups take the general test, long castling first as above.
[[gnu::noinline]] void addChess960Castling(MoveList& list, const Position& p) {
    for (int right = LONG_CASTLING; right <= SHORT_CASTLING; ++right)
        if (castlingAllowed(p, right)) list.moves[list.count++] = castling.side[p.sideToMove].move[right];
}

}  // namespace

void generateQuiets(MoveList& list) {
    const Position& p = *currentPosition;
    list.count = 0;
    const Bitboard own = p.ownPieces;
    const Bitboard occupied = occupiedSquares(p);
    const Bitboard empty = ~occupied;

    if (p.castleFlags & 0x03) {
        if (castling.side[p.sideToMove].standard) [[likely]] {
            if ((p.castleFlags & 0x01) && !(occupied & LONG_PATH.mustBeEmpty) && castlingPathSafe(p, LONG_PATH))
                list.moves[list.count++] = encodeMove(CASTLE_LONG, 4, 2);
            if ((p.castleFlags & 0x02) && !(occupied & SHORT_PATH.mustBeEmpty) && castlingPathSafe(p, SHORT_PATH))
                list.moves[list.count++] = encodeMove(CASTLE_SHORT, 4, 6);
        } else {
            addChess960Castling(list, p);
        }
    }

    const int king = lowestSquare(kingsOf(p) & own);
    addMoves(list, KING_MOVE, king, kingAttacks[king] & empty);
    for (Bitboard set = queensOf(p) & own; set; set = withoutLowest(set)) {
        const int from = lowestSquare(set);
        addMoves(list, QUEEN_MOVE, from, (rookAttacks(from, occupied) | bishopAttacks(from, occupied)) & empty);
    }
    for (Bitboard set = rooksOf(p) & own; set; set = withoutLowest(set)) {
        const int from = lowestSquare(set);
        addMoves(list, ROOK_MOVE, from, rookAttacks(from, occupied) & empty);
    }
    for (Bitboard set = bishopsOf(p) & own; set; set = withoutLowest(set)) {
        const int from = lowestSquare(set);
        addMoves(list, BISHOP_MOVE, from, bishopAttacks(from, occupied) & empty);
    }
    for (Bitboard set = knightsOf(p) & own; set; set = withoutLowest(set)) {
        const int from = lowestSquare(set);
        addMoves(list, KNIGHT_MOVE, from, knightAttacks[from] & empty);
    }

    const Bitboard pawns = pawnsOf(p) & own;
    const Bitboard singles = (pawns << 8) & empty & ~RANK_8;
    const Bitboard doubles = ((singles & (RANK_2 << 8)) << 8) & empty;
    for (Bitboard set = pawns & ((singles >> 8) | (doubles >> 16)); set; set = withoutLowest(set)) {
        const int from = lowestSquare(set);
        if (singles & squareBit(from + 8)) list.moves[list.count++] = encodeMove(PAWN_PUSH, from, from + 8);
        if (doubles & squareBit(from + 16)) list.moves[list.count++] = encodeMove(PAWN_PUSH, from, from + 16);
    }
}

void generateAllMoves(Move* moves, int& count) {
    ScoredMoveList captures;
    MoveList quiets;
    generateCaptures(captures);
    generateQuiets(quiets);
    count = 0;
    for (; captures.count > 0; --captures.count) moves[count++] = pickBestMove(captures);
    for (int i = quiets.count - 1; i >= 0; --i) moves[count++] = quiets.moves[i];
}
