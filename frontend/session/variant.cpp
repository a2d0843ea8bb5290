#include "frontend/session/variant.h"

#include <bit>
#include <cctype>
#include <cstring>
#include <sstream>

#include "board/castling.h"
#include "board/fen.h"
#include "board/position.h"

void playStandardChess() {
    chess960 = false;
    chess960Notation = false;
    castlingAsOO = false;
}

void playChess960(CastlingText text) {
    chess960 = true;
    chess960Notation = text == CastlingText::KING_TAKES_ROOK;
    castlingAsOO = text == CastlingText::O_O;
}

bool playingChess960() { return chess960; }

namespace {

// The castling letters of a FEN's third field ("-" names none).
int castlingLetters(const char* fen) {
    std::istringstream fields(fen);
    std::string placement, side, rights;
    if (!(fields >> placement >> side >> rights) || rights == "-") return 0;
    return static_cast<int>(rights.size());
}

}  // namespace

int readGameFen(const char* fen, CastlingText text) {
    const Position before = *currentPosition;
    const CastlingGame castlingBefore = castling;
    const bool wasChess960 = chess960;
    const int letters = castlingLetters(fen);
    for (const bool asChess960 : {false, true}) {
        chess960 = asChess960;
        if (readFen(fen) == 1 && std::popcount(currentPosition->castleFlags) >= letters) {
            if (asChess960)
                playChess960(text);
            else
                playStandardChess();
            return 1;
        }
        *currentPosition = before;
        castling = castlingBefore;
    }
    // Neither keeps every right it names: standard chess, dropping them as it always has.
    chess960 = false;
    if (readFen(fen) == 1) {
        playStandardChess();
        return 1;
    }
    chess960 = wasChess960;
    return 0;
}

bool isChess960Variant(const std::string& name) {
    std::string plain;
    for (const char c : name)
        if (c != ' ' && c != '-') plain += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return plain == "chess960" || plain == "fischerandom" || plain == "fischerrandom";
}
