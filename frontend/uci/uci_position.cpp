#include "frontend/uci/uci_position.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "board/fen.h"
#include "board/position.h"
#include "frontend/session/engine_turn.h"
#include "frontend/session/game_end.h"
#include "frontend/session/saved_game.h"
#include "state/game_state.h"

namespace {

// What a position command asks for.
struct PositionCommand {
    std::string start;  // "startpos" or the FEN text
    std::vector<std::string> moves;
};

// The game as the log knows it: its start and the moves logged, the engine's answers among them.
PositionCommand loggedGame{"startpos", {}};
// Front ends may send "ucinewgame" twice in a row; an empty record is not started again.
bool recordHasMoves = true;

bool readPositionCommand(const char* text, PositionCommand& command) {
    std::istringstream words(text);
    std::string word;
    if (!(words >> word)) return false;
    if (word == "startpos") {
        command.start = word;
        if (words >> word && word != "moves") return false;
    } else if (word == "fen") {
        while (words >> word && word != "moves") command.start += (command.start.empty() ? "" : " ") + word;
        if (command.start.empty()) return false;
    } else {
        return false;
    }
    while (words >> word) command.moves.push_back(word);
    return true;
}

// Puts the command's position on the stack; false, with a message, when it cannot.
bool playPositionCommand(const PositionCommand& command) {
    if (command.start == "startpos") {
        setStartPosition();
    } else {
        currentPosition = positionStack;
        if (readFen(command.start.c_str()) != 1) {
            std::printf("info string illegal position: %s\n", command.start.c_str());
            return false;
        }
    }
    for (const std::string& move : command.moves) {
        switch (makeGameMove(move.c_str())) {
            case GAME_MOVE_MADE: continue;
            case GAME_MOVE_NO_ROOM: std::printf("info string game record full at move %s\n", move.c_str()); return false;
            default: std::printf("info string illegal move: %s\n", move.c_str()); return false;
        }
    }
    return true;
}

// Logs the moves by which the command continues the logged game: the opponent's. A command
// that does not continue it (a take-back, another game, a position to analyse) is taken as the
// game from now on, its moves not logged.
void logNewMoves(const PositionCommand& command) {
    const std::vector<std::string>& known = loggedGame.moves;
    const bool continues = command.start == loggedGame.start && command.moves.size() >= known.size() &&
                           std::equal(known.begin(), known.end(), command.moves.begin());
    if (continues) {
        for (std::size_t i = known.size(); i < command.moves.size(); ++i) logUserMove(command.moves[i].c_str());
        recordHasMoves = recordHasMoves || command.moves.size() > known.size();
    }
    loggedGame = command;
}

}  // namespace

void setUciPosition(const char* text) {
    PositionCommand command;
    if (!readPositionCommand(text, command)) {
        std::printf("info string position needs startpos or fen: %s\n", text);
        return;
    }
    const SavedGame saved = saveGame();
    if (!playPositionCommand(command)) {
        restoreGame(saved);
        return;
    }
    gameState.gameOver = 0;
    logNewMoves(command);
}

void newUciGame() {
    setStartPosition();
    gameState.gameOver = 0;
    if (recordHasMoves) logNewGame(gameState.opponentName);
    recordHasMoves = false;
    loggedGame = PositionCommand{"startpos", {}};
}

void noteEngineMove(const char* moveText) {
    logEngineMove(moveText);
    loggedGame.moves.push_back(moveText);
    recordHasMoves = true;
}
