#include "frontend/console/console.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "board/castling.h"
#include "board/fen.h"
#include "board/movetext.h"
#include "board/position.h"
#include "board/san.h"
#include "book/book.h"
#include "frontend/console/bench_command.h"
#include "frontend/files/annotate.h"
#include "frontend/files/epd.h"
#include "frontend/files/pgn_game.h"
#include "frontend/files/pgn_reader.h"
#include "frontend/files/pgn_writer.h"
#include "frontend/input/command_table.h"
#include "frontend/input/line_input.h"
#include "frontend/session/engine_turn.h"
#include "frontend/session/game_end.h"
#include "frontend/session/root_choice.h"
#include "frontend/session/saved_game.h"
#include "frontend/session/variant.h"
#include "frontend/settings/settings_loader.h"
#include "frontend/settings/settings_table.h"
#include "movegen/perft.h"
#include "search/quiescence.h"
#include "search/root_moves.h"
#include "search/strength.h"
#include "search/search_hooks.h"
#include "search/thinking.h"
#include "search/transposition.h"
#include "state/clock.h"
#include "state/game_state.h"
#include "state/settings.h"

namespace {

constexpr int MIN_DEPTH = 2;
constexpr int MAX_DEPTH = 32;
// Deeper counts take hours from ordinary positions; the limit also keeps perft inside the
// records the search's reserve leaves above any game.
constexpr int MAX_PERFT_DEPTH = 20;

// The fixed test positions of the debugging commands (trailing blanks are part of three).
constexpr const char* MATE_FEN = "8/RP6/2k5/8/8/6P1/7P/7K w - - 1 62";
constexpr const char* SEE_FEN = "1k1r3r/p1p3pp/B2b1p2/B2R4/4p2P/P3P3/1PP3P1/6K1 b - - 0 23";
constexpr const char* KILLER_FEN = "r3qrk1/pp2ppbp/6p1/1Np5/P7/2PP3P/1P2QPP1/R2R2K1 w - - 0 1";
constexpr const char* DUMP_FEN = "8/3r2p1/pp1Bp1p1/1kP5/1n2K3/6R1/1P3P2/8 w - - 0 1 ";
constexpr const char* GOOD_FEN = "r1bqkb1r/ppp2ppp/2n1pn2/8/2pP4/3BPN2/PP3PPP/RNBQK2R w KQkq - 0 6 ";
constexpr const char* HASH_FEN = "r1b3kr/pppp1p1p/5n1B/3PR3/4n3/2P2N2/P4PPP/R5K1 w - - 0 1 ";

constexpr const char* HELP_TEXT =
    "\nWindboard commands:\n"
    "new       - new game\n"
    "undo      - undo last move\n"
    "quit      - exit from tarlowick\n"
    "go        - set the engine to play the color that is on move\n"
    "force     - Set the engine to play neither color (force mode). Stop clocks.\n"
    "sd [ply]  - set depht\n"
    "st [sec]  - set time controls\n"
    "\n"
    "tarlowick commands:\n"
    "b         - show chessboard\n"
    "test      - start Perft test\n"
    "param     - show current config params\n"
    "book      - show moves from the opening book\n"
    "ini       - reload ini config file\n"
    "* insert moves with coordinate algebraic notation; e.g.: e2e4\n"
    "fen FEN   - new game from the position FEN\n"
    "perft n   - count the positions n plies deep, with the time taken\n"
    "divide n  - perft n below each legal move, then the total\n"
    "pgn f     - append the game to the PGN file f\n"
    "load f n  - load game n (1 when left out) of the PGN file f\n"
    "epd f s   - search each position of the EPD file f for s seconds\n"
    "bench [n] - search the benchmark positions (n plies less): nodes, time, nodes per second\n"
    "options   - list every setting with its value\n"
    "option n=v - set the setting n to v (option n for a button)\n"
    "exclude m - leave the move m out of the searches of this position (exclude all: every move)\n"
    "include m - search the move m again (include all: every move)\n"
    "annotate f [n] [s] [o] - review game n of f, s seconds a position, into o (f-annotated)\n"
    "chess960 [n] - new Chess960 game from start position n (0..959, 518 the standard array; random without n);\n"
    "             castling is typed O-O, O-O-O or as the king taking its rook (e1h1)\n"
    "elo n     - play at the strength of Elo n (elo off: full strength)\n";

void announceBookMove(const char* moveText) {
    std::printf("move %s from book\n", moveText);
    std::fflush(stdout);
}

void showBoard() { printBoard(); }

constexpr TurnStyle CONSOLE_TURN{announceBookMove, showBoard, nullptr};  // reads no input while thinking

void turn() { engineTurn(CONSOLE_TURN); }

// The debugging positions go into the current record: the game below it stays on the stack.
void loadTestPosition(const char* fen) { readFen(fen); }

// The rows' actions, in table order.

void help(const std::string&) { std::fputs(HELP_TEXT, stdout); }

void newGame(const std::string&) {
    gameState.engineSide = BLACK;
    gameState.gameOver = 0;
    setStartPosition();
    playStandardChess();
    allowAllRootMoves();
}

void postOn(const std::string&) { engineSettings.postThinking = 1; }
void postOff(const std::string&) { engineSettings.postThinking = 0; }

void matePosition(const std::string&) {
    loadTestPosition(MATE_FEN);
    engineSettings.postThinking = 1;
}

void exchangePosition(const std::string&) {
    loadTestPosition(SEE_FEN);
    engineSettings.postThinking = 1;
    exchangeSelfTest();
}

void killerPosition(const std::string&) {
    loadTestPosition(KILLER_FEN);
    engineSettings.postThinking = 1;
}

void dumpPosition(const std::string&) {
    loadTestPosition(DUMP_FEN);
    engineSettings.postThinking = 1;
}

void goodCaptures(const std::string&) {
    loadTestPosition(GOOD_FEN);
    ScoredMoveList list;
    list.count = 0;
    collectGoodCaptures(list);
    std::printf("\n Good moves found: %i\n", list.count);
    char text[8];
    for (int i = list.count - 1; i >= 0; --i) {
        moveToText(text, list.entries[i].move, *currentPosition);
        std::printf("Idx %i %s Val %i\n", i, text, list.entries[i].score);
    }
}

void undoPly(const std::string&) {
    takeBackPlies(1);
    allowAllRootMoves();
    printBoard();
}

void playSideToMove(const std::string&) { gameState.engineSide = static_cast<std::uint8_t>(currentPosition->sideToMove); }
void forceMode(const std::string&) { gameState.engineSide = SIDE_NONE; }

void setDepth(const std::string& line) {
    int depth = 0;
    if (readNumber(textFrom(line, 2), depth) == 0 || depth < MIN_DEPTH || depth > MAX_DEPTH) {
        std::printf("Error: insert a number between 2 and %d \n", MAX_DEPTH);
        return;
    }
    engineSettings.maxDepth = depth;
    std::printf("Depth set with value %d PLY\n", depth);
}

void setMoveTime(const std::string& line) {
    int seconds = 0;
    if (readNumber(textFrom(line, 2), seconds) == 0 || seconds < 1) {
        std::printf("Error: insert a number > 0 \n");
        return;
    }
    // Held at the largest centisecond count rather than wrapped.
    engineSettings.moveTime = seconds > INT32_MAX / 100 ? INT32_MAX : seconds * 100;
    std::printf("Time control set with value %d sec\n", seconds);
}

void status(const std::string&) { std::printf("#DEBUG stat\n"); }

void analyzeMode(const std::string&) {
    gameState.stopSearch = 0;
    gameState.engineSide = SIDE_NONE;
    engineSettings.postThinking = 1;
    gameState.searchStartTime = clockMs();
    analyze(engineSettings.maxDepth);
}

void exitMode(const std::string&) {
    gameState.engineSide = SIDE_NONE;
    gameState.stopSearch = 1;
}

void quit(const std::string&) {}
void board(const std::string&) { printBoard(); }
void settings(const std::string&) { printSettings(); }
void bookMoves(const std::string&) { showBookMoves(engineSettings.bookFile); }
void perftSuite(const std::string&) { runTestSuite(); }
void reloadSettings(const std::string&) { loadSettings(CONFIG_FILE_NAME); }

void hashSelfTest(const std::string&) {
    loadTestPosition(HASH_FEN);
    clearHash();
    storeHash(2, 0, HASH_EXACT, 0x05010204);
    storeHash(1, 0, HASH_EXACT, 0x05010204);  // replaces the first store in the same slot
    HashEntry entry{};
    const int answer = probeHash(entry, 1, -1000, 1000);
    if (answer == HASH_MISS) {
        std::printf("Hash key not found!\n");
    } else {
        std::printf("Score returned:     %i\n", answer);
        std::printf("Hash key:           %i\n", static_cast<int>(static_cast<std::uint32_t>(entry.key)));
        std::printf("Hash depth:         %i\n", entry.depth);
        std::printf("Hash score:         %i\n\n", entry.score);
        std::printf("Size Hash Record:   %i byte\n\n", static_cast<int>(sizeof(HashEntry)));
        std::printf("Size Hash Table:    %i Kbyte\n", static_cast<int>(hashTableBytes() / 1024));
        std::printf("Size Hash Table:    %i Mbyte\n", static_cast<int>(hashTableBytes() / (1024 * 1024)));
    }
    clearHash();
}

void userMove(const std::string& line) {
    acceptUserMove(line.c_str(), 0);
    allowAllRootMoves();
    printBoard();
}

// A new game from a FEN position; a refused FEN leaves the game as it was.
void fenGame(const std::string& line) {
    Position* const gameTop = currentPosition;
    const Position firstRecord = positionStack[0];
    currentPosition = positionStack;
    if (readGameFen(textFrom(line, 4), CastlingText::KING_TAKES_ROOK) == 1) {
        gameState.gameOver = 0;
        return;
    }
    positionStack[0] = firstRecord;
    currentPosition = gameTop;
    std::printf("Error (illegal position): %s\n", textFrom(line, 4));
}

int readPerftDepth(const std::string& line, std::size_t start, int& depth) {
    if (readNumber(textFrom(line, start), depth) == 1 && depth >= 1 && depth <= MAX_PERFT_DEPTH) return 1;
    std::printf("Error: insert a depth between 1 and %d\n", MAX_PERFT_DEPTH);
    return 0;
}

double secondsSince(std::uint32_t start) { return elapsedMs(start) / 1000.0; }

void perftCount(const std::string& line) {
    int depth = 0;
    if (readPerftDepth(line, 5, depth) == 0) return;
    const std::uint32_t start = clockMs();
    const std::uint64_t leaves = perft(depth);
    std::printf("perft %d: %llu leaves in %.3f s\n", depth, static_cast<unsigned long long>(leaves),
                secondsSince(start));
}

void perftDivision(const std::string& line) {
    int depth = 0;
    if (readPerftDepth(line, 6, depth) == 0) return;
    static PerftDivision division;  // large: kept off the stack
    const std::uint32_t start = clockMs();
    perftDivide(depth, division);
    std::uint64_t total = 0;
    char text[8];
    for (int i = 0; i < division.count; ++i) {
        moveToText(text, division.moves[i], *currentPosition);
        if (text[4] == ' ') text[4] = '\0';
        std::printf("%s: %llu\n", text, static_cast<unsigned long long>(division.leaves[i]));
        total += division.leaves[i];
    }
    std::printf("moves: %d, total: %llu in %.3f s\n", division.count, static_cast<unsigned long long>(total),
                secondsSince(start));
}

std::vector<std::string> wordsFrom(const char* text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

// A whole word that is a number of at least 1.
int readPositiveNumber(const std::string& word, int& value) {
    const char* end = nullptr;
    return readNumber(word.c_str(), value, &end) == 1 && *end == '\0' && value >= 1 ? 1 : 0;
}

void saveGameAsPgn(const std::string& line) {
    const std::vector<std::string> words = wordsFrom(textFrom(line, 4));
    if (words.size() != 1) {
        std::printf("Error (usage): pgn FILE\n");
        return;
    }
    const char* engine = "tarlowick";
    const std::uint8_t side = gameState.engineSide;
    const PgnPlayers players{side == WHITE ? engine : "?", side == BLACK ? engine : "?"};
    std::string error;
    if (appendToFile(words[0].c_str(), gameAsPgn(players, todayForPgn()), error) == 1)
        std::printf("pgn: game appended to %s\n", words[0].c_str());
    else
        std::printf("Error (cannot write %s): %s\n", words[0].c_str(), error.c_str());
}

// "12. Nf3" or "12... Nf6" for ply `ply` of a game whose first move is `firstNumber`, `firstSide` to move.
std::string numberedMove(const PgnMove& move, int ply, int firstNumber, int firstSide) {
    const int fromWhite = ply + firstSide;
    return std::to_string(firstNumber + fromWhite / 2) + (fromWhite % 2 == 0 ? ". " : "... ") + move.san;
}

// Plays a game read from a file onto a fresh stack; false, with the error line printed, when
// a position or move of it cannot be played.
bool playPgnGame(const PgnGame& game, int number, const char* file) {
    int firstNumber = 1;
    if (setUpPgnStart(game, number, file, firstNumber) != 1) return false;
    const int firstSide = static_cast<int>(currentPosition->sideToMove);
    for (std::size_t ply = 0; ply < game.moves.size(); ++ply) {
        const PgnMove& move = game.moves[ply];
        if (!gameHasRoom()) {
            std::printf("Error (game %d of %s is too long): more than %d plies\n", number, file, stackIndex());
            return false;
        }
        if (playPgnMove(game, move) != 1) {
            std::printf("Error (illegal move in game %d of %s): %s (line %d)\n", number, file,
                        numberedMove(move, static_cast<int>(ply), firstNumber, firstSide).c_str(), move.line);
            return false;
        }
    }
    return true;
}

void loadPgnGame(const std::string& line) {
    const std::vector<std::string> words = wordsFrom(textFrom(line, 5));
    if (words.empty() || words.size() > 2) {
        std::printf("Error (usage): load FILE [N]\n");
        return;
    }
    const char* file = words[0].c_str();
    int number = 1;
    if (words.size() == 2 && readPositiveNumber(words[1], number) == 0) {
        std::printf("Error (bad game number): %s\n", words[1].c_str());
        return;
    }
    std::FILE* in = std::fopen(file, "r");
    if (in == nullptr) {
        std::printf("Error (cannot read %s): %s\n", file, std::strerror(errno));
        return;
    }
    PgnGame game;
    std::string error;
    const int read = readPgnGame(in, number, game, error);
    const bool failed = std::ferror(in) != 0;
    const int readErrno = errno;
    std::fclose(in);
    if (failed) {
        std::printf("Error (cannot read %s): %s\n", file, std::strerror(readErrno));
        return;
    }
    if (read == PGN_NO_SUCH_GAME) {
        std::printf("Error (no game %d in %s)\n", number, file);
        return;
    }
    if (read == PGN_BAD_GAME) {
        std::printf("Error (cannot read game %d of %s): %s\n", number, file, error.c_str());
        return;
    }
    const SavedGame saved = saveGame();
    if (!playPgnGame(game, number, file)) {
        restoreGame(saved);
        return;
    }
    // As a loaded game in a GUI: nobody is on move until "go".
    gameState.engineSide = SIDE_NONE;
    gameState.gameOver = std::strcmp(gameOutcome().result, "*") != 0 ? 1 : 0;
    std::printf("load: game %d of %s, %zu plies\n", number, file, game.moves.size());
    printBoard();
}

void runEpdFile(const std::string& line) {
    const std::vector<std::string> words = wordsFrom(textFrom(line, 4));
    if (words.size() != 2) {
        std::printf("Error (usage): epd FILE SECONDS\n");
        return;
    }
    int seconds = 0;
    if (readPositiveNumber(words[1], seconds) == 0) {
        std::printf("Error (seconds must be a whole number above 0): %s\n", words[1].c_str());
        return;
    }
    std::FILE* in = std::fopen(words[0].c_str(), "r");
    if (in == nullptr) {
        std::printf("Error (cannot read %s): %s\n", words[0].c_str(), std::strerror(errno));
        return;
    }
    // A directory opens but cannot be read.
    if (const int first = std::getc(in); first != EOF) {
        std::ungetc(first, in);
    } else if (std::ferror(in) != 0) {
        std::printf("Error (cannot read %s): %s\n", words[0].c_str(), std::strerror(errno));
        std::fclose(in);
        return;
    }
    runEpdSuite(in, words[0].c_str(), seconds);
    std::fclose(in);
}

void unknownCommand(const std::string& line) { std::printf("Error (unknown command): %s\n", line.c_str()); }

// "chess960 N": a new Chess960 game from start position N (0..959; a random one without N), the
// engine playing black as after "new". Castling is typed and shown as the king taking its rook.
void chess960Game(const std::string& line) {
    int number = 0;
    if (line.size() > 8) {
        const char* end = nullptr;
        if (readNumber(textFrom(line, 8), number, &end) == 0 || *end != '\0' || number < 0 || number > 959) {
            std::printf("Error: insert a start position between 0 and 959\n");
            return;
        }
    } else {
        number = static_cast<int>(std::random_device{}() % 960);
    }
    setChess960StartPosition(number);
    playChess960(CastlingText::KING_TAKES_ROOK);
    gameState.engineSide = BLACK;
    gameState.gameOver = 0;
    allowAllRootMoves();
    char fen[FEN_TEXT_SIZE];
    writeFen(fen, *currentPosition);
    std::printf("Chess960 position %d: %s\n", number, fen);
    printBoard();
}

void printNote(const std::string& text) { std::printf("%s\n", text.c_str()); }

// "NAME  VALUE  (type and range, INI key)" for every setting.
void listOptions(const std::string&) {
    static constexpr const char* TYPE_NAMES[] = {"check", "spin", "string", "button", "combo"};
    for (const Setting& setting : settingsTable()) {
        std::string about = TYPE_NAMES[static_cast<int>(setting.type)];
        if (setting.type == SettingType::SPIN)
            about += " " + std::to_string(setting.min) + ".." + std::to_string(setting.max);
        if (setting.section != nullptr) about += std::string(", [") + setting.section + "] " + setting.key;
        std::printf("%-14s %-16s (%s)\n", setting.name, settingValueText(setting).c_str(), about.c_str());
    }
}

// "option NAME=VALUE", or "option NAME" for a button.
void setOption(const std::string& line) {
    const auto [name, value] = splitNamedValue(textFrom(line, 7));
    const Setting* setting = findSetting(name);
    if (setting == nullptr) {
        std::printf("Error (no option %s)\n", name.c_str());
        return;
    }
    if (!setSetting(*setting, value, printNote)) {
        std::printf("Error (option %s cannot take the value %s)\n", setting->name, value.c_str());
        return;
    }
    if (setting->type == SettingType::BUTTON)
        std::printf("%s done\n", setting->name);
    else
        std::printf("%s set to %s\n", setting->name, settingValueText(*setting).c_str());
}

void excludeMove(const std::string& line) {
    if (!excludeFromText(textFrom(line, 8))) std::printf("Error (not a legal move): %s\n", textFrom(line, 8));
}

void includeMove(const std::string& line) {
    if (!includeFromText(textFrom(line, 8))) std::printf("Error (not a legal move): %s\n", textFrom(line, 8));
}

// "elo N" turns the level on at N (clamped like UCI_Elo); "elo off" turns it off.
void setPlayingStrength(const std::string& line) {
    const std::string value = textFrom(line, 4);
    const Setting* limit = findSetting("UCI_LimitStrength");
    if (value == "off") {
        setSetting(*limit, "false", printNote);
        std::printf("playing at full strength\n");
        return;
    }
    if (!setSetting(*findSetting("UCI_Elo"), value, printNote)) {
        std::printf("Error (usage): elo N (N from %d to %d), or elo off\n", LEVEL_MIN_ELO, LEVEL_TOP_ELO);
        return;
    }
    setSetting(*limit, "true", printNote);
    std::printf("playing at Elo %d\n", engineSettings.elo);
}

// Tested in order, the first match winning. The commands after the move row start with no move
// text and no earlier word, so they take nothing from the rows above them.
constexpr CommandRow CONSOLE_COMMANDS[] = {
    {"help", Match::WHOLE, help, Then::READ},
    {"new", Match::WHOLE, newGame, Then::READ},
    {"post", Match::WHOLE, postOn, Then::READ},
    {"mate", Match::WHOLE, matePosition, Then::READ},
    {"see", Match::WHOLE, exchangePosition, Then::READ},
    {"killer", Match::WHOLE, killerPosition, Then::READ},
    {"dump", Match::WHOLE, dumpPosition, Then::READ},
    {"good", Match::WHOLE, goodCaptures, Then::READ},
    {"nopost", Match::WHOLE, postOff, Then::READ},
    {"undo", Match::WHOLE, undoPly, Then::READ},
    {"go", Match::WHOLE, playSideToMove, Then::TURN},
    {"force", Match::WHOLE, forceMode, Then::READ},
    {"sd", Match::PREFIX, setDepth, Then::READ},
    {"st", Match::PREFIX, setMoveTime, Then::READ},
    {".", Match::WHOLE, status, Then::READ},
    {"analyze", Match::WHOLE, analyzeMode, Then::READ},
    {"exit", Match::WHOLE, exitMode, Then::READ},
    {"quit", Match::WHOLE, quit, Then::STOP},
    {"b", Match::WHOLE, board, Then::READ},
    {"param", Match::WHOLE, settings, Then::READ},
    {"book", Match::WHOLE, bookMoves, Then::READ},
    {"test", Match::WHOLE, perftSuite, Then::READ},
    {"ini", Match::WHOLE, reloadSettings, Then::READ},
    {"hash", Match::WHOLE, hashSelfTest, Then::READ},
    {"", Match::MOVE, userMove, Then::TURN},
    {"fen ", Match::PREFIX, fenGame, Then::READ},
    {"perft ", Match::PREFIX, perftCount, Then::READ},
    {"divide ", Match::PREFIX, perftDivision, Then::READ},
    {"pgn ", Match::PREFIX, saveGameAsPgn, Then::READ},
    {"load ", Match::PREFIX, loadPgnGame, Then::READ},
    {"epd ", Match::PREFIX, runEpdFile, Then::READ},
    {"bench", Match::PREFIX, benchCommand, Then::READ},
    {"chess960", Match::WHOLE, chess960Game, Then::READ},
    {"chess960 ", Match::PREFIX, chess960Game, Then::READ},
    {"O-O", Match::PREFIX, userMove, Then::TURN},
    {"0-0", Match::PREFIX, userMove, Then::TURN},
    {"options", Match::WHOLE, listOptions, Then::READ},
    {"option ", Match::PREFIX, setOption, Then::READ},
    {"exclude ", Match::PREFIX, excludeMove, Then::READ},
    {"include ", Match::PREFIX, includeMove, Then::READ},
    {"annotate ", Match::PREFIX, annotateCommand, Then::READ},
    {"elo ", Match::PREFIX, setPlayingStrength, Then::READ},
    {"", Match::ANY, unknownCommand, Then::TURN},
};

}  // namespace

void printSettings() {
    const EngineSettings& s = engineSettings;
    std::printf("\n[ENGINE]\n");
    std::printf("Depht:              %i\n", s.maxDepth);
    std::printf("postThinking:       %i\n", s.postThinking);
    std::printf("\n[LOG]\n");
    std::printf("logFile:            %s\n", s.logFile);
    std::printf("logGame:            %i\n", s.logGame);
    std::printf("\n[BOOK]\n");
    std::printf("bookFile:           %s\n", s.bookFile);
    std::printf("book:               %i\n", s.book);
    std::printf("randBook:           %i\n", s.randBook);
    std::printf("\n[TIME]\n");
    std::printf("MaxTime:            %i s\n", s.maxTime / 100);
    std::printf("moveTime:           %i s\n", s.moveTime / 100);
    std::printf("suddenDeath:        %i\n", s.suddenDeath);
    std::printf("moreTime:           %i\n", s.moreTime);
    std::printf("lessTime:           %i\n", s.lessTime);
    std::printf("fastGame:           %i\n", s.fastGame);
    std::printf("\n");
}

void consoleLoop() {
    analysisInput = readInputLine;  // "analyze" reads a line between its iterations
    gameState.engineSide = SIDE_NONE;
    gameState.gameOver = 0;
    std::printf("\nWelcome in tarlowick (x86)\n");
    std::printf("type \"help\" to show commands list\n");
    runCommandLoop(CONSOLE_COMMANDS, turn, "\ntarlowick> ");
}
