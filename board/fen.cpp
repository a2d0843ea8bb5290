#include "board/fen.h"

#include <array>
#include <bit>
#include <cstdio>
#include <cstring>

#include "board/attacks.h"
#include "board/castling.h"
#include "board/position.h"

Position initialPosition() {
    return Position{
        .ownPieces = 0x000000000000FFFFULL,
        .typePlane0 = 0x2CFF00000000FF2CULL,
        .typePlane1 = 0x7600000000000076ULL,
        .typePlane2 = 0x9900000000000099ULL,
        .castleFlags = 0x33,
        .enPassant = NO_EN_PASSANT,
        .rule50 = 0,
        .repetition = 0,
        .sideToMove = 0,
    };
}

void setStartPosition() {
    currentPosition = positionStack;
    *currentPosition = initialPosition();
    setCastlingSetup(STANDARD_CASTLING);
}

namespace {

constexpr int FIELD_COUNT = 6;

struct FenFields {
    const char* field[FIELD_COUNT] = {};
    int count = 0;
};

// Splits the buffer in place at runs of spaces.
FenFields splitFields(char* buffer) {
    FenFields f;
    char* c = buffer;
    while (f.count < FIELD_COUNT) {
        while (*c == ' ') ++c;
        if (*c == '\0') break;
        f.field[f.count++] = c;
        while (*c != ' ' && *c != '\0') ++c;
        if (*c == '\0') break;
        *c++ = '\0';
    }
    return f;
}

int pieceTypeOfLetter(char letter) {
    switch (letter | 0x20) {
        case 'p': return PAWN;
        case 'n': return KNIGHT;
        case 'b': return BISHOP;
        case 'r': return ROOK;
        case 'q': return QUEEN;
        case 'k': return KING;
        default: return EMPTY;
    }
}

// Fills the four bitboards with white as the side to move.
bool readPlacement(const char* text, Position& p) {
    p.ownPieces = p.typePlane0 = p.typePlane1 = p.typePlane2 = 0;
    const char* c = text;
    for (int rank = 7; rank >= 0; --rank) {
        while (*c == '/') ++c;
        int file = 0;
        while (file < 8) {
            const char ch = *c;
            if (ch >= '1' && ch <= '8') {
                file += ch - '0';
                if (file > 8) return false;  // digits running past the h-file
            } else if (const int type = pieceTypeOfLetter(ch); type != EMPTY && ch != '\0') {
                const Bitboard bit = squareBit(8 * rank + file);
                if (type & 1) p.typePlane0 |= bit;
                if (type & 2) p.typePlane1 |= bit;
                if (type & 4) p.typePlane2 |= bit;
                if (ch < 'a') p.ownPieces |= bit;
                ++file;
            } else {
                return false;  // early end of the group, missing group, or a stray character
            }
            ++c;
        }
        // Whatever follows the eighth file of a group is ignored.
        while (*c != '/' && *c != '\0') ++c;
    }
    return true;
}

// Leading decimal number; text without digits counts as 0; a negative or oversized value fails.
bool readHalfmoveClock(const char* text, std::uint8_t& rule50) {
    const char* c = text;
    const bool negative = *c == '-';
    if (*c == '-' || *c == '+') ++c;
    unsigned value = 0;
    for (; *c >= '0' && *c <= '9'; ++c) {
        value = value * 10 + static_cast<unsigned>(*c - '0');
        if (value > 100) return false;
    }
    if (negative && value != 0) return false;
    rule50 = static_cast<std::uint8_t>(value);
    return true;
}

// What the castling field says, read against the placement (white's view): the rights whose
// king and rook stand on the back rank, and the setup they give. Rights without their king and
// rook are dropped rather than trusted, since castling without them would corrupt the record.
struct CastlingField {
    std::uint8_t flags = 0;  // white's rights in the low nibble
    CastlingSetup setup = STANDARD_CASTLING;
};

// The rook file a castling letter names for `colour`, whose back rank holds `kings` and
// `rooks` (files as bits), and the right it is for; -1 when the letter stands for no rook there.
int rookFileOfLetter(char letter, unsigned kings, unsigned rooks, int& right) {
    if (kings == 0) return -1;
    const int king = std::countr_zero(kings);
    const unsigned longSide = rooks & ((1u << king) - 1), shortSide = rooks & ~((2u << king) - 1);
    if (letter == 'k' || letter == 'q') {
        right = letter == 'k' ? SHORT_CASTLING : LONG_CASTLING;
        // Standard chess: the king on e1 and the rook in the corner. A Chess960 game (X-FEN):
        // the outermost rook on that side of the king.
        const unsigned side = right == SHORT_CASTLING ? shortSide : longSide;
        if (!chess960) return king == 4 && (side & (right == SHORT_CASTLING ? 0x80u : 0x01u)) ? 7 * right : -1;
        if (side == 0) return -1;
        return right == SHORT_CASTLING ? 31 - std::countl_zero(side) : std::countr_zero(side);
    }
    // A file letter (Shredder-FEN, or X-FEN's inner rook): the rook on that file.
    const int file = letter - 'a';
    if (!((longSide | shortSide) & (1u << file))) return -1;
    right = file > king ? SHORT_CASTLING : LONG_CASTLING;
    return file;
}

bool readCastling(const char* text, const Position& p, CastlingField& field) {
    field = {};
    if (std::strcmp(text, "-") == 0) return true;
    bool seen[2][2] = {};
    for (const char* c = text; *c; ++c) {
        const bool white = *c >= 'A' && *c <= 'Z';
        const char letter = static_cast<char>(*c | 0x20);
        if (!(letter == 'k' || letter == 'q' || (letter >= 'a' && letter <= 'h')) || !(white || *c == letter))
            return false;
        const int colour = white ? WHITE : BLACK;
        // The colour's back rank as eight file bits.
        const Bitboard pieces = white ? p.ownPieces : opponentPieces(p);
        const int shift = white ? 0 : 56;
        const unsigned kings = static_cast<unsigned>((kingsOf(p) & pieces) >> shift) & 0xFF;
        const unsigned rooks = static_cast<unsigned>((rooksOf(p) & pieces) >> shift) & 0xFF;
        int right = 0;
        const int file = rookFileOfLetter(letter, kings, rooks, right);
        if (file < 0) continue;
        // Two different rooks for one right is no position.
        if (seen[colour][right] && field.setup.rookFile[colour][right] != file) return false;
        seen[colour][right] = true;
        field.setup.kingFile[colour] = static_cast<std::uint8_t>(std::countr_zero(kings));
        field.setup.rookFile[colour][right] = static_cast<std::uint8_t>(file);
        field.flags |= static_cast<std::uint8_t>((1 << right) << (4 * colour));
    }
    return true;
}

// A record the generators, move maker and king tests can work on (side to move's view).
bool isPlayable(const Position& p) {
    const Bitboard kings = kingsOf(p);
    const Bitboard theirs = opponentPieces(p);
    if (popCount(kings & p.ownPieces) != 1 || popCount(kings & theirs) != 1) return false;
    if (popCount(p.ownPieces) > 16 || popCount(theirs) > 16) return false;
    if (pawnsOf(p) & (RANK_1 | RANK_8)) return false;
    if ((p.typePlane0 & p.typePlane1 & p.typePlane2) != 0) return false;
    return !opponentKingAttacked(p);
}

}  // namespace

int readFen(const char* text) {
    char buffer[FEN_BUFFER_LENGTH + 1];
    const std::size_t length = std::strlen(text);
    if (length > FEN_BUFFER_LENGTH) return 0;
    std::memcpy(buffer, text, length + 1);
    const FenFields f = splitFields(buffer);
    if (f.count < 3) return 0;

    const char* side = f.field[1];
    const bool blackToMove = std::strcmp(side, "b") == 0;
    if (!blackToMove && std::strcmp(side, "w") != 0) return 0;

    Position p = *currentPosition;
    if (!readPlacement(f.field[0], p)) return 0;
    CastlingField castlingField;
    if (!readCastling(f.field[2], p, castlingField)) return 0;
    p.castleFlags = castlingField.flags;
    p.rule50 = 0;
    if (f.count > 4 && !readHalfmoveClock(f.field[4], p.rule50)) return 0;
    p.repetition = 0;
    p.sideToMove = 0;
    if (blackToMove) flipBoard(p);

    p.enPassant = NO_EN_PASSANT;
    if (f.count > 3 && std::strcmp(f.field[3], "-") != 0) {
        const char* ep = f.field[3];
        const char wantedRank = blackToMove ? '3' : '6';
        if (ep[0] < 'a' || ep[0] > 'h' || ep[1] != wantedRank) return 0;
        const int file = ep[0] - 'a';
        // The pawn that just advanced must stand in front of the capture square, which is empty.
        const Bitboard theirPawns = pawnsOf(p) & opponentPieces(p);
        if (!(theirPawns & squareBit(32 + file)) || (occupiedSquares(p) & squareBit(40 + file))) return 0;
        p.enPassant = static_cast<std::uint8_t>(file);
    }

    if (!isPlayable(p)) return 0;
    *currentPosition = p;
    setCastlingSetup(castlingField.setup);
    return 1;
}

namespace {

// The letter of a remaining right in `p` (white's view): K or Q for the rook in the corner with
// the king on e1, and in a Chess960 game for the outermost rook on its side (X-FEN); otherwise
// the rook's file, which reads back either way.
char castlingLetter(const Position& p, int colour, int right) {
    const CastlingSetup& setup = castling.setup;
    const int king = setup.kingFile[colour], file = setup.rookFile[colour][right];
    const Bitboard pieces = colour == WHITE ? p.ownPieces : opponentPieces(p);
    const unsigned rooks = static_cast<unsigned>((rooksOf(p) & pieces) >> (colour == WHITE ? 0 : 56)) & 0xFF;
    const unsigned beyond = right == SHORT_CASTLING ? rooks & ~((2u << file) - 1) : rooks & ((1u << file) - 1);
    const bool standard = king == 4 && file == 7 * right;
    const char letter = standard || (chess960 && beyond == 0) ? (right == SHORT_CASTLING ? 'k' : 'q')
                                                             : static_cast<char>('a' + file);
    return colour == WHITE ? static_cast<char>(letter - 32) : letter;
}

}  // namespace

void writeFen(char* buffer, const Position& record, int fullmoveNumber) {
    static constexpr char LETTERS[] = " PNBRQK";
    // White's view: record squares are real squares and white's rights are the low nibble.
    Position p = record;
    if (p.sideToMove == 1) flipBoard(p);
    char* out = buffer;
    for (int rank = 7; rank >= 0; --rank) {
        int empty = 0;
        for (int file = 0; file < 8; ++file) {
            const int square = 8 * rank + file;
            const int type = pieceTypeAt(p, square);
            if (type == EMPTY) {
                ++empty;
                continue;
            }
            if (empty > 0) *out++ = static_cast<char>('0' + empty);
            empty = 0;
            const bool white = (p.ownPieces >> square) & 1;
            *out++ = static_cast<char>(white ? LETTERS[type] : LETTERS[type] | 0x20);
        }
        if (empty > 0) *out++ = static_cast<char>('0' + empty);
        if (rank > 0) *out++ = '/';
    }
    *out++ = ' ';
    *out++ = record.sideToMove == 1 ? 'b' : 'w';
    *out++ = ' ';
    const char* const rightsStart = out;
    for (int colour = WHITE; colour <= BLACK; ++colour)
        for (int right = SHORT_CASTLING; right >= LONG_CASTLING; --right)
            if (p.castleFlags & ((1 << right) << (4 * colour))) *out++ = castlingLetter(p, colour, right);
    if (out == rightsStart) *out++ = '-';
    *out++ = ' ';
    if (record.enPassant == NO_EN_PASSANT) {
        *out++ = '-';
    } else {
        *out++ = static_cast<char>('a' + record.enPassant);
        *out++ = record.sideToMove == 1 ? '3' : '6';
    }
    std::snprintf(out, static_cast<std::size_t>(FEN_TEXT_SIZE - (out - buffer)), " %d %d", record.rule50,
                  fullmoveNumber);
}

namespace {

constexpr int DIAGRAM_LENGTH = 650;
constexpr int FIRST_RANK_LINE = 2 + 36;  // two empty lines and the top border
constexpr int RANK_BLOCK = 72;           // a rank line and the border below it
constexpr int FIRST_CELL = 4;            // "8 | " precedes the a-file letter

std::array<char, DIAGRAM_LENGTH + 1> makeDiagramTemplate() {
    std::array<char, DIAGRAM_LENGTH + 1> text{};
    const char* border = "  +---+---+---+---+---+---+---+---+\n";
    std::size_t at = 0;
    auto append = [&](const char* s) {
        const std::size_t n = std::strlen(s);
        std::memcpy(text.data() + at, s, n);
        at += n;
    };
    append("\n\n");
    append(border);
    for (int rank = 8; rank >= 1; --rank) {
        char line[40];
        std::snprintf(line, sizeof line, "%d |   |   |   |   |   |   |   |   |\n", rank);
        append(line);
        append(border);
    }
    append("\n    A   B   C   D   E   F   G   H\n\n");
    return text;
}

// Kept for the whole run; each call writes the 64 cells and prints it whole.
std::array<char, DIAGRAM_LENGTH + 1> diagram = makeDiagramTemplate();

constexpr char WHITE_LETTERS[] = " PCATDR?";
constexpr char BLACK_LETTERS[] = " pcatdr?";

}  // namespace

void printBoard() {
    const Position& p = *currentPosition;
    const bool blackToMove = p.sideToMove == 1;
    for (int square = 0; square < 64; ++square) {
        const int recordSquare = blackToMove ? square ^ 56 : square;
        const bool own = (p.ownPieces >> recordSquare) & 1;
        const bool white = own != blackToMove;
        const int type = pieceTypeAt(p, recordSquare);
        const int rank = square / 8, file = square % 8;
        diagram[FIRST_RANK_LINE + (7 - rank) * RANK_BLOCK + FIRST_CELL + 4 * file] =
            white ? WHITE_LETTERS[type] : BLACK_LETTERS[type];
    }
    std::fwrite(diagram.data(), 1, DIAGRAM_LENGTH, stdout);
}
