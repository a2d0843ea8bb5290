#include "board/movetext.h"

#include <cstring>

#include "board/attacks.h"
#include "board/castling.h"
#include "board/makemove.h"
#include "board/move_targets.h"

namespace {

constexpr bool isCastling(std::uint32_t kind) { return kind == CASTLE_SHORT || kind == CASTLE_LONG; }

// The record square a castling's text names as its destination: the king's in standard
// notation, the rook's start square in Chess960 notation.
int castlingTextSquare(std::uint32_t kind, std::uint32_t side) {
    const int right = kind == CASTLE_SHORT ? SHORT_CASTLING : LONG_CASTLING;
    return chess960Notation ? castling.side[side].rookFrom[right] : moveTo(castling.side[side].move[right]);
}

// The destination square of a move's text, in record orientation.
int textTarget(Move move, std::uint32_t side) {
    return isCastling(moveKind(move)) && chess960Notation ? castlingTextSquare(moveKind(move), side) : moveTo(move);
}

bool readSquare(const char* text, int& square) {
    if (text[0] < 'a' || text[0] > 'h' || text[1] < '1' || text[1] > '8') return false;
    square = (text[0] - 'a') + 8 * (text[1] - '1');
    return true;
}

// 0 for the end of the text or a space, the promotion type for n b r q, -1 otherwise.
int readPromotion(char c) {
    switch (c) {
        case '\0':
        case ' ': return 0;
        case 'n': return KNIGHT;
        case 'b': return BISHOP;
        case 'r': return ROOK;
        case 'q': return QUEEN;
        default: return -1;
    }
}

}  // namespace

void moveToText(char* buffer, Move move, const Position& from) {
    static constexpr char PROMOTION_LETTERS[] = "  nbrq  ";
    if (castlingAsOO && isCastling(moveKind(move))) {
        std::strcpy(buffer, moveKind(move) == CASTLE_SHORT ? "O-O" : "O-O-O");
        return;
    }
    const int origin = realSquare(moveFrom(move), from.sideToMove);
    const int target = realSquare(textTarget(move, from.sideToMove), from.sideToMove);
    buffer[0] = static_cast<char>('a' + (origin & 7));
    buffer[1] = static_cast<char>('1' + (origin >> 3));
    buffer[2] = static_cast<char>('a' + (target & 7));
    buffer[3] = static_cast<char>('1' + (target >> 3));
    buffer[4] = PROMOTION_LETTERS[movePromotion(move) & 7];
    buffer[5] = '\0';
}

int fillTargets(const Position& p, int type, int from, bool promoting, MoveTargets (&table)[MAX_TARGET_ENTRIES]) {
    const Bitboard occupied = occupiedSquares(p);
    const Bitboard empty = ~occupied, theirs = opponentPieces(p);
    Bitboard reach = 0;
    switch (type) {
        case KING:
            table[0] = {kingAttacks[from] & empty, KING_MOVE};
            table[1] = {kingAttacks[from] & theirs, KING_CAPTURE};
            table[2] = {0, 0};
            table[3] = {castlingAllowed(p, SHORT_CASTLING) ? squareBit(6) : 0, CASTLE_SHORT};
            table[4] = {castlingAllowed(p, LONG_CASTLING) ? squareBit(2) : 0, CASTLE_LONG};
            return 5;
        case QUEEN: reach = rookAttacks(from, occupied) | bishopAttacks(from, occupied); break;
        case ROOK: reach = rookAttacks(from, occupied); break;
        case BISHOP: reach = bishopAttacks(from, occupied); break;
        case KNIGHT: reach = knightAttacks[from]; break;
        case PAWN: {
            const Bitboard bit = squareBit(from);
            Bitboard pushes = (bit << 8) & empty;
            if (bit & RANK_2) pushes |= (pushes << 8) & empty;
            const Bitboard captures = (((bit << 7) & ~FILE_H) | ((bit << 9) & ~FILE_A)) & theirs;
            Bitboard enPassant = 0;
            if (p.enPassant != NO_EN_PASSANT)
                enPassant = squareBit(40 + p.enPassant) & (((bit << 7) & ~FILE_H) | ((bit << 9) & ~FILE_A));
            table[0] = {pushes, promoting ? PROMOTION : PAWN_PUSH};
            table[1] = {captures, promoting ? PROMOTION_CAPTURE : PAWN_CAPTURE};
            table[2] = {enPassant, EN_PASSANT};
            return 3;
        }
        default: return 0;
    }
    table[0] = {reach & empty, static_cast<std::uint32_t>(type)};
    table[1] = {reach & theirs, static_cast<std::uint32_t>(type + 8)};
    return 2;
}

namespace {

// The move of the piece on `from` to `to` (record squares) with `promotion` (0 for none), made
// when it is legal. Returns the move made, or 0 with the stack unchanged.
Move makeFromSquares(int from, int to, int promotion) {
    if (stackRoom() < 1) return 0;
    const Position& p = *currentPosition;
    if (!(p.ownPieces & squareBit(from))) return 0;
    const int type = pieceTypeAt(p, from);
    // A promotion letter belongs to exactly the pawn moves that reach the last rank.
    const bool reachesLastRank = type == PAWN && to >= 56;
    if ((promotion != 0) != reachesLastRank) return 0;

    MoveTargets table[MAX_TARGET_ENTRIES];
    const int entries = fillTargets(p, type, from, promotion != 0, table);
    const Bitboard toBit = squareBit(to);
    for (int i = 0; i < entries; ++i) {
        const std::uint32_t kind = table[i].kind;
        // A castling's text names its own square; the code keeps the king's destination.
        const bool named = isCastling(kind) ? table[i].targets && castlingTextSquare(kind, p.sideToMove) == to
                                            : (table[i].targets & toBit) != 0;
        if (!named) continue;
        const Move move = encodeMove(kind, from, isCastling(kind) ? lowestSquare(table[i].targets) : to, promotion);
        makeMove(move);
        if (opponentKingAttackers() != 0) {
            takeBack();
            return 0;
        }
        return move;
    }
    return 0;
}

}  // namespace

int parseMove(const char* text) {
    int from = 0, to = 0;
    if (!readSquare(text, from)) return 0;
    if (!readSquare(text + 2, to)) return 0;
    const int promotion = readPromotion(text[4]);
    if (promotion < 0) return 0;
    if (currentPosition->sideToMove == 1) {
        from ^= 56;
        to ^= 56;
    }
    return makeFromSquares(from, to, promotion) != 0 ? 1 : 0;
}

Move playAsText(Move move) {
    // The text keeps the squares and shows a promotion letter only for the four promotion types.
    const int promotion = movePromotion(move) & 7;
    return makeFromSquares(moveFrom(move), textTarget(move, currentPosition->sideToMove),
                           promotion >= KNIGHT && promotion <= QUEEN ? promotion : 0);
}
