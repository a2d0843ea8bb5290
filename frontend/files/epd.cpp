#include "frontend/files/epd.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <cstdint>

#include "board/fen.h"
#include "board/legal_moves.h"
#include "board/position.h"
#include "board/san.h"
#include "frontend/files/pgn_reader.h"
#include "frontend/session/saved_game.h"
#include "search/alphabeta.h"
#include "search/driver.h"
#include "state/clock.h"
#include "state/game_state.h"
#include "state/settings.h"
#include "state/time_control.h"

namespace {

// A DOS end-of-file mark (^Z) ends many old suites; it is no text.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\x1A'; }

void skipBlanks(const std::string& text, std::size_t& at) {
    while (at < text.size() && isBlank(text[at])) ++at;
}

std::string readWord(const std::string& text, std::size_t& at) {
    const std::size_t start = at;
    while (at < text.size() && !isBlank(text[at]) && text[at] != ';') ++at;
    return text.substr(start, at - start);
}

// One operand: a quoted string (without its quotes) or a word.
bool readOperand(const std::string& text, std::size_t& at, std::string& operand, std::string& error) {
    if (text[at] != '"') {
        operand = readWord(text, at);
        return true;
    }
    const std::size_t close = text.find('"', at + 1);
    if (close == std::string::npos) {
        error = "a quoted string is not closed";
        return false;
    }
    operand = text.substr(at + 1, close - at - 1);
    at = close + 1;
    return true;
}

bool isNumber(const std::string& word) {
    return !word.empty() && std::all_of(word.begin(), word.end(),
                                        [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

// The halfmove and fullmove numbers of a full six-field FEN, when both follow the four fields.
void readMoveCounts(const std::string& text, std::size_t& at, std::string& halfmoves, std::string& fullmoves) {
    std::size_t next = at;
    skipBlanks(text, next);
    const std::string first = readWord(text, next);
    skipBlanks(text, next);
    const std::string second = readWord(text, next);
    if (!isNumber(first) || !isNumber(second)) return;
    halfmoves = first;
    fullmoves = second;
    at = next;
}

// Check signs, "!" and "?" or "e.p." set apart from their move belong to it.
bool isMoveSuffix(const std::string& word) {
    return word == "e.p." || (!word.empty() && word.find_first_not_of("+#!?") == std::string::npos);
}

// The moves of a bm or am operation; commas between moves are read as blanks.
void appendMoves(const std::vector<std::string>& operands, std::vector<std::string>& moves) {
    bool afterMove = false;
    for (const std::string& operand : operands) {
        std::size_t start = 0;
        while (start <= operand.size()) {
            std::size_t comma = operand.find(',', start);
            if (comma == std::string::npos) comma = operand.size();
            const std::string word = operand.substr(start, comma - start);
            start = comma + 1;
            if (word.empty()) continue;
            if (afterMove && isMoveSuffix(word))
                moves.back() += (word == "e.p." ? " " : "") + word;
            else
                moves.push_back(word);
            afterMove = true;
        }
    }
}

bool isOpcode(const std::string& word) {
    if (word.empty() || !std::isalpha(static_cast<unsigned char>(word[0]))) return false;
    return std::all_of(word.begin(), word.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; });
}

// What one search found.
struct EpdSearch {
    Move move;
    int score, depth;
};

EpdSearch lastFinished{0, 0, 0};

void noteIteration(const Iteration& iteration) {
    if (iteration.stopped) return;  // its score and line are unfinished
    lastFinished.score = iteration.score;
    lastFinished.depth = iteration.depth;
}

// The deepening as the engine thinks, for `seconds`, on the current position.
EpdSearch searchPosition(int seconds) {
    lastFinished = {0, 0, 0};
    // The time test is strict: one centisecond less stops it at the time asked.
    const std::int32_t limit = seconds > INT32_MAX / 100 ? INT32_MAX : seconds * 100 - 1;
    engineSettings.moveTime = limit;
    timeControl.allocatedTime = limit;
    gameState.searchStartTime = clockMs();
    const DeepeningResult result = deepen(engineSettings.maxDepth, noteIteration);
    lastFinished.move = result.bestMove != 0 ? result.bestMove : emergencyMove();
    return lastFinished;
}

std::string scoreText(int score) {
    if (score > MATE_THRESHOLD) return "mate " + std::to_string((MATE_SCORE + 1 - score) / 2);
    if (score < -MATE_THRESHOLD) return "mated " + std::to_string((MATE_SCORE + score) / 2);
    return std::to_string(score);
}

// Whether any move is written with a lowercase piece letter (nf3), which makes "bxc6" ambiguous.
bool hasLowercasePieces(const EpdLine& line) {
    for (const auto* moves : {&line.bestMoves, &line.avoidMoves})
        for (const std::string& text : *moves)
            if (std::strchr("nrqk", text[0]) != nullptr) return true;
    return false;
}

bool readMoves(const std::vector<std::string>& texts, bool lowercasePieces, std::vector<Move>& moves,
               std::string& error) {
    for (const std::string& text : texts) {
        Move move = 0;
        if (readMoveText(text, lowercasePieces, move) != 1) {
            error = "no such legal move: " + text;
            return false;
        }
        moves.push_back(move);
    }
    return true;
}

std::string joined(const char* opcode, const std::vector<std::string>& moves) {
    std::string text = opcode;
    for (const std::string& move : moves) text += " " + move;
    return text;
}

// The EPD position on a fresh stack; 0 with `error` when it cannot be searched.
int setUpPosition(const EpdLine& line, std::vector<Move>& best, std::vector<Move>& avoid, std::string& error) {
    setStartPosition();
    if (readFen(line.fen.c_str()) != 1) {
        error = "illegal position: " + line.fen;
        return 0;
    }
    if (line.bestMoves.empty() && line.avoidMoves.empty()) {
        error = "neither bm nor am";
        return 0;
    }
    if (!anyLegalMove()) {
        error = "no legal move in the position";
        return 0;
    }
    const bool lowercasePieces = hasLowercasePieces(line);
    if (!readMoves(line.bestMoves, lowercasePieces, best, error) ||
        !readMoves(line.avoidMoves, lowercasePieces, avoid, error))
        return 0;
    return 1;
}

bool solves(Move move, const std::vector<Move>& best, const std::vector<Move>& avoid) {
    if (!best.empty()) return std::find(best.begin(), best.end(), move) != best.end();
    return std::find(avoid.begin(), avoid.end(), move) == avoid.end();
}

// Searches one readable line and prints its result; returns whether it was solved.
bool runPosition(const EpdLine& line, int number, const std::vector<Move>& best, const std::vector<Move>& avoid,
                 int seconds) {
    const EpdSearch found = searchPosition(seconds);
    char san[SAN_BUFFER_SIZE] = "?";
    moveToSan(san, found.move);
    const bool solved = solves(found.move, best, avoid);
    const std::string name = line.id.empty() ? "line " + std::to_string(number) : line.id;
    std::string expected;
    if (!solved) expected = " (" + (best.empty() ? joined("am", line.avoidMoves) : joined("bm", line.bestMoves)) + ")";
    std::printf("%s: %s score %s depth %d %s%s\n", name.c_str(), san, scoreText(found.score).c_str(), found.depth,
                solved ? "solved" : "not solved", expected.c_str());
    std::fflush(stdout);
    return solved;
}

// A whole line, with its line end and any carriage return cut; false at the end of the file.
bool readFileLine(std::FILE* file, std::string& text) {
    text.clear();
    int c = 0;
    while ((c = std::getc(file)) != EOF && c != '\n') text += static_cast<char>(c);
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return c != EOF || !text.empty();
}

}  // namespace

int readEpdLine(const std::string& text, EpdLine& line, std::string& error) {
    line = EpdLine{};
    std::size_t at = 0;
    for (int field = 0; field < 4; ++field) {
        skipBlanks(text, at);
        const std::string word = readWord(text, at);
        if (word.empty()) {
            error = "fewer than four FEN fields";
            return 0;
        }
        line.fen += (field == 0 ? "" : " ") + word;
    }
    std::string halfmoves, fullmoves;
    readMoveCounts(text, at, halfmoves, fullmoves);
    for (;;) {
        skipBlanks(text, at);
        if (at >= text.size()) break;
        if (text[at] == ';') {  // an empty operation, as after the fields in many suites
            ++at;
            continue;
        }
        const std::string opcode = readWord(text, at);
        if (!isOpcode(opcode)) {
            error = "not an opcode: " + opcode;
            return 0;
        }
        std::vector<std::string> operands;
        for (;;) {
            skipBlanks(text, at);
            if (at >= text.size()) break;
            if (text[at] == ';') {
                ++at;
                break;
            }
            std::string operand;
            if (!readOperand(text, at, operand, error)) return 0;
            operands.push_back(operand);
        }
        if (opcode == "bm") appendMoves(operands, line.bestMoves);
        if (opcode == "am") appendMoves(operands, line.avoidMoves);
        if (opcode == "id" && !operands.empty()) line.id = operands[0];
        if (opcode == "hmvc" && !operands.empty()) halfmoves = operands[0];
        if (opcode == "fmvn" && !operands.empty()) fullmoves = operands[0];
    }
    if (!halfmoves.empty() || !fullmoves.empty()) line.fen += " " + (halfmoves.empty() ? "0" : halfmoves);
    if (!fullmoves.empty()) line.fen += " " + fullmoves;
    return 1;
}

void runEpdSuite(std::FILE* file, const char* name, int seconds) {
    const SavedGame saved = saveGame();
    const std::int32_t moveTime = engineSettings.moveTime;
    const std::int32_t limitStrength = engineSettings.limitStrength;
    engineSettings.limitStrength = 0;  // a suite measures the engine, whatever level it plays at
    const TimeControl clocks = timeControl;
    const std::int32_t stopSearch = gameState.stopSearch;
    const std::uint32_t searchStartTime = gameState.searchStartTime;
    const std::uint32_t start = clockMs();

    int positions = 0, solved = 0, skipped = 0, number = 0;
    std::string text;
    while (readFileLine(file, text)) {
        ++number;
        if (number == 1 && text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);  // a Windows byte order mark
        if (std::all_of(text.begin(), text.end(), isBlank)) continue;
        EpdLine line;
        std::vector<Move> best, avoid;
        std::string error;
        if (readEpdLine(text, line, error) != 1 || setUpPosition(line, best, avoid, error) != 1) {
            std::printf("Error (line %d of %s): %s\n", number, name, error.c_str());
            ++skipped;
            continue;
        }
        ++positions;
        if (runPosition(line, number, best, avoid, seconds)) ++solved;
    }

    if (std::ferror(file) != 0) std::printf("Error (cannot read %s): %s\n", name, std::strerror(errno));

    restoreGame(saved);
    engineSettings.moveTime = moveTime;
    engineSettings.limitStrength = limitStrength;
    timeControl = clocks;
    gameState.stopSearch = stopSearch;
    gameState.searchStartTime = searchStartTime;
    std::printf("epd: solved %d of %d", solved, positions);
    if (skipped > 0) std::printf(", %d line%s skipped", skipped, skipped == 1 ? "" : "s");
    std::printf(" in %.3f s\n", elapsedMs(start) / 1000.0);
}
