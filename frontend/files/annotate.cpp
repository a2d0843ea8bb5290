#include "frontend/files/annotate.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <sstream>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "board/position.h"
#include "board/san.h"
#include "book/book.h"
#include "frontend/files/pgn_game.h"
#include "frontend/files/pgn_reader.h"
#include "frontend/files/pgn_writer.h"
#include "frontend/input/command_table.h"
#include "frontend/session/saved_game.h"
#include "search/alphabeta.h"
#include "search/driver.h"
#include "search/root_moves.h"
#include "state/clock.h"
#include "state/game_state.h"
#include "state/settings.h"
#include "state/time_control.h"

namespace {

constexpr const char* ANNOTATOR = "tarlowick 0.06";
constexpr const char* USAGE = "annotate FILE [N] [SECONDS] [OUT]";

// Past a thousand centipawns a game is decided; more says nothing about how good a move was.
constexpr int SCORE_CAP = 1000;
// Winning chances lost, in thousandths: the thresholds of lichess's move review.
constexpr int INACCURACY_CHANCES = 100;
constexpr int MISTAKE_CHANCES = 200;
constexpr int BLUNDER_CHANCES = 300;
// The logistic curve's slope per centipawn, fitted by lichess to its players' games.
constexpr double CHANCES_SLOPE = 0.00368208;

// The best move and the runner-up: enough to score the played move most of the time without
// a search of its own.
constexpr int LINES = 2;
constexpr std::size_t PGN_LINE_LIMIT = 79;

bool isMateScore(int score) { return score > MATE_THRESHOLD || score < -MATE_THRESHOLD; }

// Moves to the mate as the search of the position reports them: positive when its side to move
// mates, its own move counted; negative when it is mated.
int mateMoves(int score) {
    if (score > MATE_THRESHOLD) return (MATE_SCORE + 1 - score) / 2;
    return -((MATE_SCORE + score) / 2);
}

std::vector<std::string> wordsOf(const char* text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

int heldScore(int score) { return std::clamp(score, -SCORE_CAP, SCORE_CAP); }

}  // namespace

int winningChances(int centipawns) {
    const double chances = 2.0 / (1.0 + std::exp(-CHANCES_SLOPE * heldScore(centipawns))) - 1.0;
    return static_cast<int>(std::lround(1000.0 * chances));
}

int centipawnLoss(int bestScore, int playedScore) {
    return std::max(0, heldScore(bestScore) - heldScore(playedScore));
}

int judgeMove(int bestScore, int playedScore) {
    if (bestScore > MATE_THRESHOLD) {
        if (playedScore <= MATE_THRESHOLD) return NAG_BLUNDER;  // the mate is gone
        return mateMoves(playedScore) > mateMoves(bestScore) ? NAG_INACCURACY : NAG_NONE;
    }
    if (playedScore < -MATE_THRESHOLD) {
        if (bestScore >= -MATE_THRESHOLD) return NAG_BLUNDER;  // a mate let in
        return mateMoves(playedScore) > mateMoves(bestScore) ? NAG_INACCURACY : NAG_NONE;
    }
    // A lost position that the played move saves, or a mate found the search missed: no fault.
    if (bestScore < -MATE_THRESHOLD || playedScore > MATE_THRESHOLD) return NAG_NONE;
    const int lost = winningChances(bestScore) - winningChances(playedScore);
    if (lost >= BLUNDER_CHANCES) return NAG_BLUNDER;
    if (lost >= MISTAKE_CHANCES) return NAG_MISTAKE;
    if (lost >= INACCURACY_CHANCES) return NAG_INACCURACY;
    return NAG_NONE;
}

std::string annotatedScore(int score, bool whiteMoved) {
    if (isMateScore(score)) {
        const int moves = mateMoves(score);
        const bool whiteMates = (moves > 0) == whiteMoved;
        return std::string(whiteMates ? "#" : "-#") + std::to_string(std::abs(moves));
    }
    const int white = whiteMoved ? score : -score;
    const int hundredths = std::abs(white);
    char text[24];
    std::snprintf(text, sizeof text, "%s%d.%02d", white > 0 ? "+" : white < 0 ? "-" : "", hundredths / 100,
                  hundredths % 100);
    return text;
}

std::string annotatedFileName(const std::string& file) {
    const std::size_t slash = file.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = file.rfind('.');
    // A name that starts with its only dot (".pgn") has no extension.
    if (dot == std::string::npos || dot <= nameStart) return file + "-annotated";
    return file.substr(0, dot) + "-annotated" + file.substr(dot);
}

namespace {

// ---- the searches --------------------------------------------------------------------------

struct ScoredLine {
    int score = 0;  // from the side to move of the searched position
    int depth = 0;
    PvLine line{};
};

// What one search of a position found, best line first.
struct PositionSearch {
    int count = 0;
    ScoredLine lines[LINES];
};

PositionSearch reported;

// Only finished lines count; an aspiration search that failed is searched again.
void noteLine(const Iteration& iteration) {
    if (iteration.stopped || iteration.multiPv > LINES) return;
    const bool exact = iteration.score > iteration.alpha && iteration.score < iteration.beta;
    if (!exact && !isMateScore(iteration.score)) return;
    if (iteration.multiPv == 1) reported.count = 0;
    reported.lines[iteration.multiPv - 1] = {iteration.score, iteration.depth, *iteration.line};
    reported.count = std::max(reported.count, iteration.multiPv);
}

// A position without a legal move needs no search: mated or stalemated.
PositionSearch finalPosition() {
    PositionSearch search;
    search.count = 1;
    search.lines[0].score = ownKingAttacked(*currentPosition) ? -MATE_SCORE : 0;
    return search;
}

// The current position searched as the engine thinks, for `centiseconds`, with LINES lines
// (the caller has set MultiPV).
PositionSearch searchPosition(int centiseconds) {
    if (!hasLegalMove()) return finalPosition();
    reported = PositionSearch{};
    // The time test is strict: one centisecond less stops it at the time asked.
    const std::int32_t limit = std::max(centiseconds - 1, 0);
    engineSettings.moveTime = limit;
    timeControl.allocatedTime = limit;
    gameState.searchStartTime = clockMs();
    deepen(engineSettings.maxDepth, noteLine);
    if (reported.count == 0) {  // too little time for a single depth
        const DeepeningResult quick = emergencySearch();
        reported.count = 1;
        reported.lines[0] = {quick.score, quick.depth, quick.line};
    }
    return reported;
}

// The score of the position after a move turned into the mover's, one ply further from a mate.
int moverScore(int scoreAfter) {
    const int score = -scoreAfter;
    if (score > MATE_THRESHOLD) return score - 1;
    if (score < -MATE_THRESHOLD) return score + 1;
    return score;
}

const ScoredLine* lineStartingWith(const PositionSearch& search, Move move) {
    for (int k = 0; k < search.count; ++k)
        if (search.lines[k].line.length > 0 && search.lines[k].line.moves[0] == move) return &search.lines[k];
    return nullptr;
}

bool isBookMove(Move move) {
    if (engineSettings.book != 1) return false;
    BookMoveShare moves[BOOK_MAX_MOVES];
    const int count = listBookMoves(engineSettings.bookFile, moves);
    char text[8];
    moveToText(text, move, *currentPosition);
    if (char* blank = std::strchr(text, ' ')) *blank = '\0';  // the blank that stands for no promotion
    for (int i = 0; i < count; ++i)
        if (std::strcmp(moves[i].text, text) == 0) return true;
    return false;
}

// ---- the game ------------------------------------------------------------------------------

// Where the game's move numbers start.
struct Numbering {
    int firstNumber = 1;
    int firstSide = WHITE;

    bool whiteMoves(int ply) const { return (ply + firstSide) % 2 == 0; }
    // "12." before White's move of ply `ply`, "12..." before Black's.
    std::string before(int ply) const {
        const int fromWhite = ply + firstSide;
        return std::to_string(firstNumber + fromWhite / 2) + (fromWhite % 2 == 0 ? "." : "...");
    }
};

struct MoveReview {
    std::string san;
    bool book = false;
    int bestScore = 0, playedScore = 0;  // from the mover's side
    int playedDepth = 0;
    ScoredLine best{};
    std::vector<std::string> bestLine{};  // the best line in SAN, numbered
    std::string bestSan{};                 // its first move
    int nag = NAG_NONE;
    int loss = 0;
};

// The best line in SAN from the current position, move numbers in front of White's moves and
// the first; it ends early at a move that is not legal (a stale table entry).
std::vector<std::string> lineInSan(const PvLine& line, const Numbering& numbering, int ply) {
    std::vector<std::string> tokens;
    int made = 0;
    for (int k = 0; k < line.length && stackRoom() > 1; ++k) {
        char san[SAN_BUFFER_SIZE];
        if (moveToSan(san, line.moves[k]) != 1) break;
        if (k == 0 || numbering.whiteMoves(ply + k)) tokens.push_back(numbering.before(ply + k));
        tokens.push_back(san);
        makeMove(line.moves[k]);
        ++made;
    }
    for (; made > 0; --made) takeBack();
    return tokens;
}

const char* judgementName(int nag) {
    switch (nag) {
        case NAG_INACCURACY: return "inaccuracy";
        case NAG_MISTAKE: return "mistake";
        case NAG_BLUNDER: return "blunder";
        default: return "";
    }
}

void printReview(const MoveReview& review, const Numbering& numbering, int ply) {
    const bool white = numbering.whiteMoves(ply);
    std::printf("%s %s ", numbering.before(ply).c_str(), review.san.c_str());
    if (review.book) {
        std::printf("book\n");
    } else {
        std::printf("%s/%d", annotatedScore(review.playedScore, white).c_str(), review.playedDepth);
        if (review.nag != NAG_NONE) {
            std::printf(" %s (best %s %s/%d)", judgementName(review.nag), review.bestSan.c_str(),
                        annotatedScore(review.bestScore, white).c_str(), review.best.depth);
        }
        std::printf("\n");
    }
    std::fflush(stdout);
}

// Reviews the move of the current position; the move is made afterwards. `here` holds the
// search of the current position when one was made, and the search of the next one when that
// was needed to score the move.
MoveReview reviewMove(Move move, const Numbering& numbering, int ply, int centiseconds,
                      std::optional<PositionSearch>& here) {
    MoveReview review;
    char san[SAN_BUFFER_SIZE];
    moveToSan(san, move);
    review.san = san;
    if (isBookMove(move)) {
        review.book = true;
        makeMove(move);
        here.reset();
        return review;
    }
    if (!here) here = searchPosition(centiseconds);
    review.best = here->lines[0];
    review.bestScore = review.best.score;
    review.bestLine = lineInSan(review.best.line, numbering, ply);
    if (review.bestLine.size() >= 2) review.bestSan = review.bestLine[1];
    const ScoredLine* own = lineStartingWith(*here, move);
    if (own != nullptr) {
        review.playedScore = own->score;
        review.playedDepth = own->depth;
    }
    const bool scored = own != nullptr;
    makeMove(move);
    here.reset();
    if (!scored) {
        here = searchPosition(centiseconds);  // kept: it is the next move's search too
        review.playedScore = moverScore(here->lines[0].score);
        review.playedDepth = here->lines[0].depth;
    }
    review.nag = judgeMove(review.bestScore, review.playedScore);
    review.loss = centipawnLoss(review.bestScore, review.playedScore);
    return review;
}

std::vector<MoveReview> reviewGame(const std::vector<Move>& moves, const Numbering& numbering, int centiseconds) {
    std::vector<MoveReview> reviews;
    std::optional<PositionSearch> here;
    for (std::size_t ply = 0; ply < moves.size(); ++ply) {
        reviews.push_back(reviewMove(moves[ply], numbering, static_cast<int>(ply), centiseconds, here));
        printReview(reviews.back(), numbering, static_cast<int>(ply));
    }
    return reviews;
}

// ---- the summary ---------------------------------------------------------------------------

struct SideTally {
    int inaccuracies = 0, mistakes = 0, blunders = 0;
    int scored = 0, loss = 0;
};

std::string counted(int count, const char* singular, const char* plural) {
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

std::string tallyText(const char* side, const SideTally& tally) {
    const int average = tally.scored == 0 ? 0 : (tally.loss + tally.scored / 2) / tally.scored;
    return std::string(side) + ": " + counted(tally.inaccuracies, "inaccuracy", "inaccuracies") + ", " +
           counted(tally.mistakes, "mistake", "mistakes") + ", " + counted(tally.blunders, "blunder", "blunders") +
           ", average centipawn loss " + std::to_string(average);
}

std::string summaryText(const std::vector<MoveReview>& reviews, const Numbering& numbering) {
    SideTally sides[2];
    for (std::size_t ply = 0; ply < reviews.size(); ++ply) {
        const MoveReview& review = reviews[ply];
        if (review.book) continue;
        SideTally& tally = sides[numbering.whiteMoves(static_cast<int>(ply)) ? 0 : 1];
        ++tally.scored;
        tally.loss += review.loss;
        if (review.nag == NAG_INACCURACY) ++tally.inaccuracies;
        if (review.nag == NAG_MISTAKE) ++tally.mistakes;
        if (review.nag == NAG_BLUNDER) ++tally.blunders;
    }
    return tallyText("White", sides[0]) + "; " + tallyText("Black", sides[1]);
}

// ---- writing the game ----------------------------------------------------------------------

// Tokens joined by blanks into lines of at most PGN_LINE_LIMIT characters where they allow it;
// the game's own text is written as it came, line ends and all.
struct PgnLines {
    std::string text{};
    std::size_t column = 0;
    bool lineMustEnd = false;  // after a ";" comment, which runs to the line end

    void add(const std::string& token) {
        const std::size_t firstLine = std::min(token.find('\n'), token.size());
        if (column > 0 && (lineMustEnd || column + 1 + firstLine > PGN_LINE_LIMIT)) {
            text += '\n';
            column = 0;
        } else if (column > 0) {
            text += ' ';
            ++column;
        }
        text += token;
        const std::size_t lastBreak = token.rfind('\n');
        column = lastBreak == std::string::npos ? column + token.size() : token.size() - lastBreak - 1;
        lineMustEnd = token.starts_with(';');
    }
};

std::string tagLine(const std::string& name, const std::string& value) {
    std::string escaped;
    for (char c : value) {
        if (c == '"' || c == '\\') escaped += '\\';
        escaped += c;
    }
    return "[" + name + " \"" + escaped + "\"]\n";
}

std::string tagSection(const PgnGame& game) {
    std::string text;
    bool annotatorWritten = false;
    for (const auto& [name, value] : game.tags) {
        const bool annotator = name == "Annotator";
        text += tagLine(name, annotator ? ANNOTATOR : value);
        annotatorWritten |= annotator;
    }
    if (!annotatorWritten) text += tagLine("Annotator", ANNOTATOR);
    return text;
}

// The NAG of "!", "?" and their pairs; 0 for anything else.
int suffixNag(const std::string& marks) {
    static constexpr const char* SUFFIXES[] = {"!", "?", "!!", "??", "!?", "?!"};
    for (int i = 0; i < 6; ++i)
        if (marks == SUFFIXES[i]) return i + 1;
    return 0;
}

// The "!" and "?" a move was written with ("Nf3!?" gives "!?").
std::string suffixMarks(const std::string& written) {
    std::string marks;
    for (char c : written)
        if (c == '!' || c == '?') marks += c;
    return marks;
}

// "{+0.35/12}"
std::string scoreComment(int score, bool whiteMoved, int depth) {
    return std::string("{") + annotatedScore(score, whiteMoved) + "/" + std::to_string(depth) + "}";
}

std::string nagText(int nag) { return std::string("$") + std::to_string(nag); }

// The game's own annotations; "!" and "?" set apart from their move become NAGs, since the
// move they followed now has the engine's marks between them. A NAG the engine gave the move
// already is not said twice.
std::string ownAnnotationText(const std::string& annotation, int engineNag) {
    std::string text = annotation;
    if (annotation[0] == '!' || annotation[0] == '?') {
        const int nag = suffixNag(annotation);
        text = nag == 0 ? "" : nagText(nag);
    }
    return engineNag != NAG_NONE && text == nagText(engineNag) ? "" : text;
}

void addOwnAnnotations(PgnLines& out, const std::vector<std::string>& annotations, int engineNag = NAG_NONE) {
    for (const std::string& annotation : annotations)
        if (const std::string text = ownAnnotationText(annotation, engineNag); !text.empty()) out.add(text);
}

// A comment of the engine's, broken into words so that it wraps with the movetext.
void addComment(PgnLines& out, const std::string& text) {
    std::vector<std::string> words = wordsOf(text.c_str());
    if (words.empty()) return;
    words.front().insert(0, "{");
    words.back() += "}";
    for (const std::string& word : words) out.add(word);
}

void addVariation(PgnLines& out, const MoveReview& review, bool whiteMoved) {
    if (review.bestLine.empty()) return;
    for (std::size_t i = 0; i < review.bestLine.size(); ++i)
        out.add(std::string(i == 0 ? "(" : "") + review.bestLine[i]);
    out.add(scoreComment(review.bestScore, whiteMoved, review.best.depth) + ")");
}

std::string annotatedGame(const PgnGame& game, const Numbering& numbering, const std::vector<MoveReview>& reviews) {
    PgnLines out;
    addOwnAnnotations(out, game.leadingAnnotations);
    for (std::size_t ply = 0; ply < reviews.size(); ++ply) {
        const MoveReview& review = reviews[ply];
        const bool white = numbering.whiteMoves(static_cast<int>(ply));
        // Black's moves are numbered too: a comment stands before every one of them.
        out.add(numbering.before(static_cast<int>(ply)));
        out.add(review.san);
        if (const int own = suffixNag(suffixMarks(game.moves[ply].san)); own != 0 && own != review.nag)
            out.add(nagText(own));
        if (review.nag != NAG_NONE) out.add(nagText(review.nag));
        if (review.book)
            out.add("{book}");
        else
            out.add(scoreComment(review.playedScore, white, review.playedDepth));
        addOwnAnnotations(out, game.moves[ply].annotations, review.nag);
        if (review.nag != NAG_NONE) addVariation(out, review, white);
    }
    addComment(out, summaryText(reviews, numbering));
    const std::string* resultTag = findTag(game, "Result");
    out.add(!game.result.empty() ? game.result : resultTag != nullptr ? *resultTag : "*");
    return tagSection(game) + "\n" + out.text + "\n\n";
}

// ---- the command ---------------------------------------------------------------------------

struct AnnotateRequest {
    std::string file;
    int number = 1;
    int centiseconds = 100;
    std::string out;
};

// Seconds with up to two decimals ("1", "0.2", "1.25"), into centiseconds above 0.
int readCentiseconds(const std::string& word, int& centiseconds) {
    const std::size_t dot = word.find('.');
    const std::string whole = word.substr(0, dot);
    const std::string fraction = dot == std::string::npos ? "" : word.substr(dot + 1);
    const auto digits = [](const std::string& text) {
        return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (whole.empty() || whole.size() > 6 || fraction.size() > 2 || !digits(whole) || !digits(fraction) ||
        (dot != std::string::npos && fraction.empty()))
        return 0;
    centiseconds = std::stoi(whole) * 100 + (fraction.empty() ? 0 : std::stoi((fraction + "0").substr(0, 2)));
    return centiseconds > 0 ? 1 : 0;
}

int readRequest(const std::string& line, AnnotateRequest& request) {
    const std::vector<std::string> words = wordsOf(textFrom(line, 9));
    if (words.empty() || words.size() > 4) {
        std::printf("Error (usage): %s\n", USAGE);
        return 0;
    }
    request.file = words[0];
    const char* end = nullptr;
    if (words.size() >= 2 &&
        (readNumber(words[1].c_str(), request.number, &end) != 1 || *end != '\0' || request.number < 1)) {
        std::printf("Error (bad game number): %s\n", words[1].c_str());
        return 0;
    }
    if (words.size() >= 3 && readCentiseconds(words[2], request.centiseconds) != 1) {
        std::printf("Error (seconds must be a number above 0, with at most two decimals): %s\n", words[2].c_str());
        return 0;
    }
    request.out = words.size() == 4 ? words[3] : annotatedFileName(request.file);
    return 1;
}

int readGame(const AnnotateRequest& request, PgnGame& game) {
    const char* file = request.file.c_str();
    std::FILE* in = std::fopen(file, "r");
    if (in == nullptr) {
        std::printf("Error (cannot read %s): %s\n", file, std::strerror(errno));
        return 0;
    }
    std::string error;
    const int read = readPgnGame(in, request.number, game, error);
    const bool failed = std::ferror(in) != 0;
    const int readErrno = errno;
    std::fclose(in);
    if (failed) {
        std::printf("Error (cannot read %s): %s\n", file, std::strerror(readErrno));
        return 0;
    }
    if (read == PGN_NO_SUCH_GAME) {
        std::printf("Error (no game %d in %s)\n", request.number, file);
        return 0;
    }
    if (read == PGN_BAD_GAME) {
        std::printf("Error (cannot read game %d of %s): %s\n", request.number, file, error.c_str());
        return 0;
    }
    return 1;
}

// Sets up the game's first position on a fresh stack; 0 after printing the error.
int setUpStart(const PgnGame& game, const AnnotateRequest& request, Numbering& numbering) {
    int firstNumber = 1;
    if (setUpPgnStart(game, request.number, request.file.c_str(), firstNumber) != 1) return 0;
    numbering.firstNumber = firstNumber;
    numbering.firstSide = currentPosition->sideToMove;
    return 1;
}

// Plays the whole game from the current position to check every move; the moves go to `moves`.
int readMoves(const PgnGame& game, const AnnotateRequest& request, const Numbering& numbering,
              std::vector<Move>& moves) {
    for (std::size_t ply = 0; ply < game.moves.size(); ++ply) {
        const PgnMove& written = game.moves[ply];
        Move move = 0;
        if (!gameHasRoom()) {
            std::printf("Error (game %d of %s is too long): more than %d plies\n", request.number,
                        request.file.c_str(), stackIndex());
            return 0;
        }
        if (readMoveText(written.san, game.lowercasePieces, move) != 1) {
            std::printf("Error (illegal move in game %d of %s): %s %s (line %d)\n", request.number,
                        request.file.c_str(), numbering.before(static_cast<int>(ply)).c_str(), written.san.c_str(),
                        written.line);
            return 0;
        }
        makeMove(move);
        moves.push_back(move);
    }
    return 1;
}

// Whether `path` can be appended to, found out without leaving a file behind.
int checkWritable(const std::string& path, std::string& error) {
    std::error_code ignored;
    const bool existed = std::filesystem::exists(path, ignored);
    std::FILE* file = std::fopen(path.c_str(), "a");
    if (file == nullptr) {
        error = std::strerror(errno);
        return 0;
    }
    std::fclose(file);
    if (!existed) std::remove(path.c_str());
    return 1;
}

// What the searches change, put back afterwards.
struct SearchSettings {
    std::int32_t moveTime, multiPv, limitStrength, stopSearch;
    std::uint32_t searchStartTime;
    TimeControl clocks;
    RootMoveChoice rootChoice;
};

SearchSettings currentSearchSettings() {
    return {engineSettings.moveTime, engineSettings.multiPv, engineSettings.limitStrength, gameState.stopSearch,
            gameState.searchStartTime, timeControl, rootMoveChoice};
}

void restoreSearchSettings(const SearchSettings& saved) {
    engineSettings.moveTime = saved.moveTime;
    engineSettings.multiPv = saved.multiPv;
    engineSettings.limitStrength = saved.limitStrength;
    gameState.stopSearch = saved.stopSearch;
    gameState.searchStartTime = saved.searchStartTime;
    timeControl = saved.clocks;
    rootMoveChoice = saved.rootChoice;
}

// The game's review, on the stack from its first position; the stack is left at the game's end.
std::string reviewedGame(const PgnGame& game, const Numbering& numbering, const std::vector<Move>& moves,
                         int centiseconds) {
    const SearchSettings saved = currentSearchSettings();
    engineSettings.multiPv = LINES;
    engineSettings.limitStrength = 0;  // a review is the engine's own judgement, whatever level it plays at
    rootMoveChoice = RootMoveChoice{};  // a choice made in the console's game is no choice here
    const std::vector<MoveReview> reviews = reviewGame(moves, numbering, centiseconds);
    restoreSearchSettings(saved);
    std::printf("annotate: %s\n", summaryText(reviews, numbering).c_str());
    return annotatedGame(game, numbering, reviews);
}

// Checks the game's position and moves and the output, then reviews the game; 0 after printing
// an error. The game is played from the stack's first record, which the caller saves.
int annotateGame(const AnnotateRequest& request, const PgnGame& game, std::string& text) {
    Numbering numbering;
    std::vector<Move> moves;
    if (setUpStart(game, request, numbering) != 1) return 0;
    const SavedGame firstPosition = saveGame();
    if (readMoves(game, request, numbering, moves) != 1) return 0;
    std::string error;
    if (checkWritable(request.out, error) != 1) {
        std::printf("Error (cannot write %s): %s\n", request.out.c_str(), error.c_str());
        return 0;
    }
    restoreGame(firstPosition);
    text = reviewedGame(game, numbering, moves, request.centiseconds);
    return 1;
}

}  // namespace

void annotateCommand(const std::string& line) {
    AnnotateRequest request;
    PgnGame game;
    if (readRequest(line, request) != 1 || readGame(request, game) != 1) return;
    const std::uint32_t start = clockMs();
    const SavedGame saved = saveGame();
    std::string text, error;
    const int reviewed = annotateGame(request, game, text);
    restoreGame(saved);
    if (reviewed != 1) return;
    if (appendToFile(request.out.c_str(), text, error) != 1) {
        std::printf("Error (cannot write %s): %s\n", request.out.c_str(), error.c_str());
        return;
    }
    std::printf("annotate: game %d of %s appended to %s in %.3f s\n", request.number, request.file.c_str(),
                request.out.c_str(), elapsedMs(start) / 1000.0);
}
