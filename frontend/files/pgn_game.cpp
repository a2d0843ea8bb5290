#include "frontend/files/pgn_game.h"

#include <cstdio>
#include <sstream>
#include <vector>

#include "board/fen.h"
#include "frontend/input/command_table.h"
#include "frontend/session/variant.h"

int setUpPgnStart(const PgnGame& game, int number, const char* file, int& firstNumber) {
    setStartPosition();
    playStandardChess();
    firstNumber = 1;
    const std::string* fen = findTag(game, "FEN");
    if (fen == nullptr) return 1;
    const std::string* variant = findTag(game, "Variant");
    const bool chess960Tag = variant != nullptr && isChess960Variant(*variant);
    if (chess960Tag) playChess960(CastlingText::KING_TAKES_ROOK);
    const int read = chess960Tag ? readFen(fen->c_str()) : readGameFen(fen->c_str(), CastlingText::KING_TAKES_ROOK);
    if (read != 1) {
        std::printf("Error (illegal position in game %d of %s): %s\n", number, file, fen->c_str());
        return 0;
    }
    firstNumber = fullmoveNumberOf(*fen);
    return 1;
}

int fullmoveNumberOf(const std::string& fen) {
    std::istringstream in(fen);
    std::vector<std::string> fields;
    for (std::string field; in >> field;) fields.push_back(field);
    int number = 1;
    const char* end = nullptr;
    if (fields.size() < 6 || readNumber(fields[5].c_str(), number, &end) != 1 || *end != '\0' || number < 1) return 1;
    return number;
}
