#include "frontend/files/pgn_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "board/fen.h"
#include "board/legal_moves.h"
#include "board/makemove.h"
#include "board/position.h"
#include "board/san.h"
#include "frontend/session/game_end.h"
#include "frontend/session/saved_game.h"
#include "frontend/session/variant.h"

namespace {

constexpr std::size_t PGN_LINE_LIMIT = 79;

// Repetition counts hang on the records before, which a fresh start changes; all else of a
// record follows from its predecessor and the move.
bool sameRecordBarRepetition(const Position& a, const Position& b) {
    return a.ownPieces == b.ownPieces && a.typePlane0 == b.typePlane0 && a.typePlane1 == b.typePlane1 &&
           a.typePlane2 == b.typePlane2 && a.castleFlags == b.castleFlags && a.enPassant == b.enPassant &&
           a.rule50 == b.rule50 && a.sideToMove == b.sideToMove;
}

// The legal move of the current record that leads to `next`; 0 when none does.
Move moveLeadingTo(const Position& next) {
    MoveList legal;
    listLegalMoves(legal);
    for (int i = 0; i < legal.count; ++i) {
        makeMove(legal.moves[i]);
        const bool found = sameRecordBarRepetition(*currentPosition, next);
        takeBack();
        if (found) return legal.moves[i];
    }
    return 0;
}

bool isStartPosition(const Position& p) { return sameRecordBarRepetition(p, initialPosition()); }

// Tokens joined by blanks into lines of at most PGN_LINE_LIMIT characters.
struct LineWrapper {
    std::string text, line;
    void add(const std::string& token) {
        if (!line.empty() && line.size() + 1 + token.size() > PGN_LINE_LIMIT) {
            text += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + token;
    }
    std::string finish() { return line.empty() ? text : text + line + "\n"; }
};

std::string tag(const char* name, const std::string& value) {
    std::string escaped;
    for (char c : value) {
        if (c == '"' || c == '\\') escaped += '\\';
        escaped += c;
    }
    return std::string("[") + name + " \"" + escaped + "\"]\n";
}

}  // namespace

GameMoves recoverGameMoves() {
    const SavedGame saved = saveGame();
    const int last = static_cast<int>(saved.records.size()) - 1;
    GameMoves game;
    currentPosition = positionStack;
    for (int i = 0; i < last; ++i) {
        // Records 0..i hold the game; a move found is made, which writes record i + 1 again.
        const Move move = moveLeadingTo(saved.records[static_cast<std::size_t>(i) + 1]);
        if (move == 0) {
            game.firstRecord = i + 1;
            game.moves.clear();
            ++currentPosition;
            *currentPosition = saved.records[static_cast<std::size_t>(i) + 1];
            continue;
        }
        game.moves.push_back(move);
        makeMove(move);
    }
    restoreGame(saved);
    return game;
}

std::string gameAsPgn(const PgnPlayers& players, const std::string& date) {
    const GameMoves game = recoverGameMoves();
    const GameOutcome outcome = gameOutcome();
    const SavedGame saved = saveGame();
    const Position first = saved.records[static_cast<std::size_t>(game.firstRecord)];

    std::string text = tag("Event", "?") + tag("Site", "?") + tag("Date", date) + tag("Round", "?") +
                       tag("White", players.white) + tag("Black", players.black) + tag("Result", outcome.result);
    // A Chess960 game says so, and always gives its start array.
    if (playingChess960()) text += tag("Variant", "Chess960");
    if (!isStartPosition(first) || playingChess960()) {
        char fen[FEN_TEXT_SIZE];
        writeFen(fen, first);
        text += tag("SetUp", "1") + tag("FEN", fen);
    }
    text += "\n";

    LineWrapper movetext;
    currentPosition = positionStack + game.firstRecord;
    int moveNumber = 1;
    for (std::size_t i = 0; i < game.moves.size(); ++i) {
        const bool white = currentPosition->sideToMove == 0;
        if (white || i == 0) movetext.add(std::to_string(moveNumber) + (white ? "." : "..."));
        char san[SAN_BUFFER_SIZE];
        moveToSan(san, game.moves[i]);
        movetext.add(san);
        makeMove(game.moves[i]);
        if (!white) ++moveNumber;
    }
    restoreGame(saved);
    if (outcome.reason != nullptr) movetext.add(std::string("{") + outcome.reason + "}");
    movetext.add(outcome.result);
    return text + movetext.finish() + "\n";
}

std::string todayForPgn() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[16] = "????.??.??";
    if (localtime_r(&now, &local) != nullptr) std::strftime(text, sizeof text, "%Y.%m.%d", &local);
    return text;
}

int appendToFile(const char* path, const std::string& text, std::string& error) {
    std::FILE* file = std::fopen(path, "a");
    if (file == nullptr) {
        error = std::strerror(errno);
        return 0;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const int writeErrno = errno;
    if (std::fclose(file) != 0 || !written) {
        error = std::strerror(written ? errno : writeErrno);
        return 0;
    }
    return 1;
}
