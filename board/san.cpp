#include "board/san.h"

#include <cstring>

#include "board/attacks.h"
#include "board/legal_moves.h"
#include "board/makemove.h"
#include "board/position.h"

namespace {

constexpr char PIECE_LETTERS[] = "  NBRQK";

constexpr bool isCastling(Move move) { return moveKind(move) == CASTLE_SHORT || moveKind(move) == CASTLE_LONG; }
// Every capturing kind has bit 3 set (en passant and the promotion capture included); no other does.
constexpr bool isCapture(Move move) { return (moveKind(move) & 8) != 0; }
// The low three bits of a kind are the moving piece's type, castling being a king move.
constexpr int movingType(Move move) { return static_cast<int>(moveKind(move) & 7); }

bool contains(const MoveList& list, Move move) {
    for (int i = 0; i < list.count; ++i)
        if (list.moves[i] == move) return true;
    return false;
}

char* writeSquare(char* out, int realSquareNumber) {
    *out++ = static_cast<char>('a' + (realSquareNumber & 7));
    *out++ = static_cast<char>('1' + (realSquareNumber >> 3));
    return out;
}

// The file, the rank or both of the origin: whatever tells it from the other legal moves of the
// same piece type to the same square, preferring the file.
char* writeDisambiguation(char* out, Move move, const MoveList& legal, std::uint32_t side) {
    bool rival = false, sameFile = false, sameRank = false;
    for (int i = 0; i < legal.count; ++i) {
        const Move other = legal.moves[i];
        if (other == move || isCastling(other) || movingType(other) != movingType(move) ||
            moveTo(other) != moveTo(move) || moveFrom(other) == moveFrom(move))
            continue;
        rival = true;
        sameFile |= (moveFrom(other) & 7) == (moveFrom(move) & 7);
        sameRank |= (moveFrom(other) >> 3) == (moveFrom(move) >> 3);
    }
    if (!rival) return out;
    const int from = realSquare(moveFrom(move), side);
    if (!sameFile) {
        *out++ = static_cast<char>('a' + (from & 7));
    } else if (!sameRank) {
        *out++ = static_cast<char>('1' + (from >> 3));
    } else {
        out = writeSquare(out, from);
    }
    return out;
}

// "+" when the move gives check, "#" when it also leaves no legal reply.
char* writeCheck(char* out, Move move) {
    makeMove(move);
    if (ownKingAttackers() != 0) *out++ = anyLegalMove() ? '+' : '#';
    takeBack();
    return out;
}

// What a SAN text asks for; squares and files are real ones.
struct SanPattern {
    std::uint32_t castling = 0;  // CASTLE_SHORT or CASTLE_LONG, else 0
    int piece = PAWN;
    int fromFile = -1, fromRank = -1;
    bool capture = false;
    int to = -1;
    int promotion = 0;
    bool enPassantMark = false;
};

constexpr bool isFile(char c) { return c >= 'a' && c <= 'h'; }
constexpr bool isRank(char c) { return c >= '1' && c <= '8'; }

int pieceOfLetter(char c) {
    const char* at = c != '\0' && c != ' ' ? std::strchr(PIECE_LETTERS, c) : nullptr;
    return at != nullptr ? static_cast<int>(at - PIECE_LETTERS) : 0;
}

bool startsWith(const char* text, const char* prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

const char* skipAnnotations(const char* c) {
    while (*c == '+' || *c == '#' || *c == '!' || *c == '?') ++c;
    return c;
}

// Check and mate signs, "!" and "?", and one "e.p." (with or without a blank before it), then the end.
bool readSuffix(const char* c, SanPattern& pattern) {
    c = skipAnnotations(c);
    for (const char* mark : {" e.p.", "e.p."}) {
        if (startsWith(c, mark)) {
            pattern.enPassantMark = true;
            c = skipAnnotations(c + std::strlen(mark));
            break;
        }
    }
    return *c == '\0';
}

// [origin file][origin rank][x] destination [=] [promotion letter], after the piece letter.
const char* readSquares(const char* c, SanPattern& pattern) {
    char core[6];
    int n = 0;
    while (n < 6 && (isFile(*c) || isRank(*c) || *c == 'x')) {
        if (*c == 'e' && c[1] == '.') break;  // the "e.p." that follows the move
        core[n++] = *c++;
    }
    if (n < 2 || !isFile(core[n - 2]) || !isRank(core[n - 1])) return nullptr;
    pattern.to = (core[n - 2] - 'a') + 8 * (core[n - 1] - '1');
    int origin = n - 2;
    if (origin > 0 && core[origin - 1] == 'x') {
        pattern.capture = true;
        --origin;
    }
    if (origin == 2) {
        if (!isFile(core[0]) || !isRank(core[1])) return nullptr;
        pattern.fromFile = core[0] - 'a';
        pattern.fromRank = core[1] - '1';
    } else if (origin == 1) {
        if (isFile(core[0]))
            pattern.fromFile = core[0] - 'a';
        else if (isRank(core[0]))
            pattern.fromRank = core[0] - '1';
        else
            return nullptr;
    } else if (origin != 0) {
        return nullptr;
    }
    const bool equalsSign = *c == '=';
    if (equalsSign) ++c;
    const int promotion = pieceOfLetter(*c);
    if (promotion >= KNIGHT && promotion <= QUEEN) {
        pattern.promotion = promotion;
        ++c;
    } else if (equalsSign) {
        return nullptr;
    }
    return c;
}

bool readPattern(const char* text, SanPattern& pattern) {
    const char* c = text;
    if (startsWith(c, "O-O-O") || startsWith(c, "0-0-0")) {
        pattern.castling = CASTLE_LONG;
        c += 5;
    } else if (startsWith(c, "O-O") || startsWith(c, "0-0")) {
        pattern.castling = CASTLE_SHORT;
        c += 3;
    } else {
        if (const int piece = pieceOfLetter(*c); piece >= KNIGHT) {
            pattern.piece = piece;
            ++c;
        }
        c = readSquares(c, pattern);
        if (c == nullptr) return false;
        // A pawn names its file only when it captures, and never its rank.
        if (pattern.piece == PAWN && (pattern.fromRank >= 0 || (pattern.fromFile >= 0) != pattern.capture))
            return false;
        if (pattern.piece != PAWN && pattern.promotion != 0) return false;
    }
    return readSuffix(c, pattern);
}

bool fits(Move move, const SanPattern& pattern, std::uint32_t side) {
    if (pattern.castling != 0 || isCastling(move)) return moveKind(move) == pattern.castling;
    if (movingType(move) != pattern.piece || isCapture(move) != pattern.capture) return false;
    if (realSquare(moveTo(move), side) != pattern.to || movePromotion(move) != pattern.promotion) return false;
    const int from = realSquare(moveFrom(move), side);
    if (pattern.fromFile >= 0 && (from & 7) != pattern.fromFile) return false;
    if (pattern.fromRank >= 0 && (from >> 3) != pattern.fromRank) return false;
    return !pattern.enPassantMark || moveKind(move) == EN_PASSANT;
}

}  // namespace

int moveToSan(char* buffer, Move move) {
    buffer[0] = '\0';
    if (stackRoom() < 2) return 0;  // the move and a reply for the mate test
    MoveList legal;
    listLegalMoves(legal);
    if (!contains(legal, move)) return 0;

    const std::uint32_t side = currentPosition->sideToMove;
    char* out = buffer;
    if (isCastling(move)) {
        const char* text = moveKind(move) == CASTLE_SHORT ? "O-O" : "O-O-O";
        std::memcpy(out, text, std::strlen(text));
        out += std::strlen(text);
    } else {
        const int type = movingType(move);
        if (type != PAWN) {
            *out++ = PIECE_LETTERS[type];
            out = writeDisambiguation(out, move, legal, side);
        } else if (isCapture(move)) {
            *out++ = static_cast<char>('a' + (moveFrom(move) & 7));
        }
        if (isCapture(move)) *out++ = 'x';
        out = writeSquare(out, realSquare(moveTo(move), side));
        if (movePromotion(move) != 0) {
            *out++ = '=';
            *out++ = PIECE_LETTERS[movePromotion(move)];
        }
    }
    out = writeCheck(out, move);
    *out = '\0';
    return 1;
}

int readSan(const char* text, Move& move) {
    SanPattern pattern;
    if (!readPattern(text, pattern)) return 0;
    MoveList legal;
    listLegalMoves(legal);
    const std::uint32_t side = currentPosition->sideToMove;
    int found = 0;
    Move candidate = 0;
    for (int i = 0; i < legal.count; ++i) {
        if (!fits(legal.moves[i], pattern, side)) continue;
        if (++found > 1) return 0;  // ambiguous
        candidate = legal.moves[i];
    }
    if (found == 0) return 0;
    move = candidate;
    return 1;
}

int parseSan(const char* text) {
    Move move = 0;
    if (readSan(text, move) != 1) return 0;
    makeMove(move);
    return 1;
}
