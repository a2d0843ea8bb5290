#include "frontend/session/root_choice.h"

#include "board/legal_moves.h"
#include "board/movetext.h"
#include "board/position.h"
#include "search/root_moves.h"

Move legalMoveFromText(const std::string& text) {
    MoveList legal;
    listLegalMoves(legal);
    char written[8];
    for (int i = 0; i < legal.count; ++i) {
        moveToText(written, legal.moves[i], *currentPosition);
        if (written[4] == ' ') written[4] = '\0';
        if (text == written) return legal.moves[i];
    }
    return 0;
}

bool excludeFromText(const std::string& text) {
    if (text == "all") {
        allowOnlyRootMoves(nullptr, 0);
        return true;
    }
    const Move move = legalMoveFromText(text);
    if (move == 0) return false;
    excludeRootMove(move);
    return true;
}

bool includeFromText(const std::string& text) {
    if (text == "all") {
        allowAllRootMoves();
        return true;
    }
    const Move move = legalMoveFromText(text);
    if (move == 0) return false;
    includeRootMove(move);
    return true;
}
