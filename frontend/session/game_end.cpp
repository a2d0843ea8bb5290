#include "frontend/session/game_end.h"

#include <cstdio>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/position.h"
#include "movegen/movegen.h"
#include "search/driver.h"
#include "state/settings.h"

namespace {

void logLine(const char* format, const char* text) {
    if (engineSettings.logGame != 1) return;
    std::fprintf(engineSettings.logStream, format, text);
}

// Prints a result line and, when it is one the log keeps, logs it too.
void announceResult(const char* line, bool logged) {
    std::printf("%s\n", line);
    std::fflush(stdout);
    if (!logged) return;
    logLine("%s\n", line);
    // The result closes the game's record: it reaches the file even if the front end kills the
    // engine next. The stream stays open for the next game.
    if (engineSettings.logGame == 1) std::fflush(engineSettings.logStream);
}

// At least 100 plies without a capture or a pawn move.
bool fiftyMovesPassed() { return currentPosition->rule50 > 99; }

}  // namespace

int checkGameEnd() {
    const bool repeated = currentPosition->repetition == 2;
    if (repeated) announceResult("1/2-1/2 {Draw by repetition}", true);

    if (hasLegalMove()) {
        if (!fiftyMovesPassed()) return repeated ? 1 : 0;
        announceResult("1/2-1/2 {Draw by 50 move rule}", false);
        return 1;
    }

    if (ownKingAttackers() != 0)
        announceResult(currentPosition->sideToMove == 1 ? "1-0 {White mates}" : "0-1 {Black mates}", true);
    else
        announceResult("1/2-1/2 {Stalemate}", true);
    if (fiftyMovesPassed()) announceResult("1/2-1/2 {Draw by 50 move rule}", false);
    return 1;
}

GameOutcome gameOutcome() {
    // A position without a legal move cannot have been repeated, so mate and stalemate never
    // meet a repetition; a mate stands even on the hundredth ply.
    if (!hasLegalMove()) {
        if (ownKingAttackers() == 0) return {"1/2-1/2", "Stalemate"};
        return currentPosition->sideToMove == 1 ? GameOutcome{"1-0", "White mates"} : GameOutcome{"0-1", "Black mates"};
    }
    if (currentPosition->repetition == 2) return {"1/2-1/2", "Draw by repetition"};
    if (fiftyMovesPassed()) return {"1/2-1/2", "Draw by 50 move rule"};
    return {"*", nullptr};
}

void logNewGame(const char* opponentName) {
    logLine("%s", "\n ************* New Game ************* \n");
    logLine("Opponent Name: %s\n", opponentName);
}

void logUserMove(const char* moveText) { logLine("usermove %s\n", moveText); }

void logEngineMove(const char* moveText) { logLine("move %s\n", moveText); }
