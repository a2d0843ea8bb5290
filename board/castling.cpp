#include "board/castling.h"

#include <cstdio>

#include "board/attacks.h"
#include "board/fen.h"

bool castlingAllowed(const Position& p, int right) {
    if (!(p.castleFlags & (1u << right))) return false;
    const CastlingSide& side = castling.side[p.sideToMove];
    const Bitboard occupied = occupiedSquares(p);
    if (occupied & side.mustBeEmpty[right]) return false;
    // King and rook lifted: only a back-rank attacker can look through their squares, and it
    // attacks the king's square already or the king's destination once the rook has moved.
    const Bitboard lifted = occupied & ~(squareBit(moveFrom(side.move[right])) | squareBit(side.rookFrom[right]));
    const Bitboard theirs = opponentPieces(p);
    for (Bitboard path = side.kingPath[right]; path; path = withoutLowest(path)) {
        const int square = lowestSquare(path);
        const Bitboard bit = squareBit(square);
        if (attackersOf(p, square, lifted | bit, pawnAttackersFromAbove(bit)) & theirs) return false;
    }
    return true;
}

int chess960BackRank(int number, char (&letters)[9]) {
    if (number < 0 || number > 959) return 0;
    // The five squares left after the bishops and the queen take the knights as one of ten
    // pairs, in this order.
    static constexpr int KNIGHT_PAIRS[10][2] = {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 2},
                                                {1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 4}};
    for (char& letter : letters) letter = ' ';
    letters[8] = '\0';
    letters[2 * (number % 4) + 1] = 'B';  // the light-squared bishop
    number /= 4;
    letters[2 * (number % 4)] = 'B';  // the dark-squared one
    number /= 4;
    // Puts `piece` on the `nth` still empty square (counting from 0).
    auto placeOnEmpty = [&letters](int nth, char piece) {
        for (int file = 0; file < 8; ++file)
            if (letters[file] == ' ' && nth-- == 0) {
                letters[file] = piece;
                return;
            }
    };
    placeOnEmpty(number % 6, 'Q');
    number /= 6;
    // The second knight's index counts the squares the first one has not taken.
    placeOnEmpty(KNIGHT_PAIRS[number][0], 'N');
    placeOnEmpty(KNIGHT_PAIRS[number][1] - 1, 'N');
    // Rook, king, rook on the three squares left.
    placeOnEmpty(0, 'R');
    placeOnEmpty(0, 'K');
    placeOnEmpty(0, 'R');
    return 1;
}

namespace {

// The FEN of start array `letters` with the castling field `rights`.
void writeStartFen(char* buffer, const char (&letters)[9], const char* rights) {
    char black[9];
    for (int file = 0; file < 8; ++file) black[file] = static_cast<char>(letters[file] | 0x20);
    black[8] = '\0';
    std::snprintf(buffer, 64, "%s/pppppppp/8/8/8/8/PPPPPPPP/%s w %s - 0 1", black, letters, rights);
}

}  // namespace

int writeChess960Fen(char* buffer, int number) {
    char letters[9];
    if (!chess960BackRank(number, letters)) return 0;
    writeStartFen(buffer, letters, "KQkq");
    return 1;
}

int setChess960StartPosition(int number) {
    char letters[9];
    if (!chess960BackRank(number, letters)) return 0;
    // The rooks named by their files, which read the same with the chess960 switch on or off.
    char rights[5] = {};
    int at = 0;
    for (int file = 7; file >= 0; --file)
        if (letters[file] == 'R') rights[at++] = static_cast<char>('A' + file);
    rights[2] = static_cast<char>(rights[0] | 0x20);
    rights[3] = static_cast<char>(rights[1] | 0x20);
    char fen[64];
    writeStartFen(fen, letters, rights);
    setStartPosition();
    return readFen(fen);
}
