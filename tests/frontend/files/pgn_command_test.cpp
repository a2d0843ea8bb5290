// The console's "pgn" and "load" commands, run in the engine as a person would, and what they
// write read back by a real PGN client, pgn-extract.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "board/fen.h"
#include "board/legal_moves.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "board/position.h"
#include "tests/frontend/support/engine_process.h"
#include "tests/frontend/support/test_files.h"
#include "tests/frontend/support/transcript.h"

namespace {

constexpr const char* PGN_EXTRACT = "/usr/games/pgn-extract";

std::string lines(const std::vector<std::string>& moves) {
    std::string text;
    for (const std::string& move : moves) text += move + "\n";
    return text;
}

// The PGN text with its Date tag's value blanked, since it is today's date.
std::string withoutDate(std::string pgn) {
    for (std::size_t at = pgn.find("[Date \""); at != std::string::npos; at = pgn.find("[Date \"", at + 1)) {
        const std::size_t close = pgn.find("\"]", at);
        if (close == std::string::npos) break;
        pgn.replace(at + 7, close - at - 7, "DATE");
    }
    return pgn;
}

std::string rosterWith(const char* white, const char* black, const char* result) {
    return std::string("[Event \"?\"]\n[Site \"?\"]\n[Date \"DATE\"]\n[Round \"?\"]\n[White \"") + white +
           "\"]\n[Black \"" + black + "\"]\n[Result \"" + result + "\"]\n";
}

const std::string START_BOARD =
    diagram({"tcadract", "pppppppp", "        ", "        ", "        ", "        ", "PPPPPPPP", "TCADRACT"});
const std::string AFTER_E4_E5 =
    diagram({"tcadract", "pppp ppp", "        ", "    p   ", "    P   ", "        ", "PPPP PPP", "TCADRACT"});

// ---- pgn -----------------------------------------------------------------------------------

TEST(PgnCommand, WritesTheGameInSanWithTheRosterAndResult) {
    TempDir dir;
    const std::string output = consoleSession(
        dir, lines({"e2e4", "e7e5", "g1f3", "b8c6", "f1b5", "a7a6", "b5c6", "d7c6", "e1g1", "pgn game.pgn", "quit"}));
    EXPECT_TRUE(output.ends_with("pgn: game appended to game.pgn\n" + PROMPT)) << output;
    const std::string pgn = readFile(dir.file("game.pgn"));
    EXPECT_EQ(withoutDate(pgn), rosterWith("?", "?", "*") + "\n1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Bxc6 dxc6 5. O-O *\n\n");
    // Today's date in PGN's form.
    const std::size_t date = pgn.find("[Date \"");
    ASSERT_NE(date, std::string::npos);
    const std::string value = pgn.substr(date + 7, 10);
    EXPECT_TRUE(value.size() == 10 && value[4] == '.' && value[7] == '.') << value;
}

TEST(PgnCommand, AppendsAndEndsWithTheGameEndTest) {
    TempDir dir;
    consoleSession(dir, lines({"f2f3", "pgn games.pgn", "e7e5", "g2g4", "d8h4", "pgn games.pgn", "quit"}));
    EXPECT_EQ(withoutDate(readFile(dir.file("games.pgn"))),
              rosterWith("?", "?", "*") + "\n1. f3 *\n\n" + rosterWith("?", "?", "0-1") +
                  "\n1. f3 e5 2. g4 Qh4# {Black mates} 0-1\n\n");
}

TEST(PgnCommand, NamesTheEngineForTheSideItPlays) {
    TempDir dir;
    consoleSession(dir, "new\ne2e4\npgn game.pgn\nquit\n");
    const std::string pgn = readFile(dir.file("game.pgn"));
    EXPECT_NE(pgn.find("[White \"?\"]\n[Black \"tarlowick\"]\n"), std::string::npos) << pgn;
    EXPECT_NE(pgn.find("\n1. e4 "), std::string::npos) << pgn;
}

TEST(PgnCommand, GameFromAFenGetsSetUpAndFenTags) {
    TempDir dir;
    consoleSession(dir, lines({"fen r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 3 40", "e8c8", "e1g1", "pgn game.pgn", "quit"}));
    EXPECT_EQ(withoutDate(readFile(dir.file("game.pgn"))),
              rosterWith("?", "?", "*") +
                  "[SetUp \"1\"]\n[FEN \"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 3 1\"]\n\n1... O-O-O 2. O-O *\n\n");
}

// A debugging command loads its position into the current record: the game starts there.
TEST(PgnCommand, ADebugPositionStartsTheGameAfresh) {
    TempDir dir;
    consoleSession(dir, lines({"e2e4", "mate", "a7a8", "pgn game.pgn", "quit"}));
    EXPECT_EQ(withoutDate(readFile(dir.file("game.pgn"))),
              rosterWith("?", "?", "*") +
                  "[SetUp \"1\"]\n[FEN \"8/RP6/2k5/8/8/6P1/7P/7K w - - 1 1\"]\n\n1. Ra8 *\n\n");
}

TEST(PgnCommand, RefusesWhatItCannotWrite) {
    TempDir dir;
    const std::string output = consoleSession(dir, lines({"pgn missing/game.pgn", "pgn .", "pgn", "pgn a b", "quit"}));
    EXPECT_EQ(output, "Error (cannot write missing/game.pgn): No such file or directory\n" + PROMPT +
                          "Error (cannot write .): Is a directory\n" + PROMPT +
                          "Error (unknown command): pgn\n" + PROMPT + "Error (usage): pgn FILE\n" + PROMPT);
}

// The first token of a movetext line; a comment is one token.
std::string firstToken(const std::string& line) {
    return line.substr(0, line[0] == '{' ? line.find('}') + 1 : line.find(' '));
}

// Lines of movetext stay within 79 characters and are broken only where the next token would
// not fit, in a game long enough to need many.
TEST(PgnCommand, WrapsMovetextAt80Columns) {
    TempDir dir;
    std::string moves;
    for (int i = 0; i < 30; ++i) moves += "g1f3\ng8f6\nf3g1\nf6g8\n";
    consoleSession(dir, moves + "pgn game.pgn\nquit\n");
    std::istringstream pgn(readFile(dir.file("game.pgn")));
    std::vector<std::string> movetext;
    for (std::string line; std::getline(pgn, line);) {
        EXPECT_LE(line.size(), 79u) << line;
        if (!line.empty() && line[0] != '[') movetext.push_back(line);
    }
    ASSERT_GE(movetext.size(), 10u);
    for (std::size_t i = 0; i + 1 < movetext.size(); ++i)
        EXPECT_GT(movetext[i].size() + 1 + firstToken(movetext[i + 1]).size(), 79u) << "wrapped early: " << movetext[i];
    EXPECT_TRUE(movetext.back().ends_with("{Draw by 50 move rule} 1/2-1/2")) << movetext.back();
}

// ---- pgn-extract reads what pgn writes -----------------------------------------------------

bool havePgnExtract() { return access(PGN_EXTRACT, X_OK) == 0; }

// Runs pgn-extract on `input` in `dir` with `options`; returns its output file, with its
// diagnostics (which must be empty) in `log`.
std::string pgnExtract(const TempDir& dir, const std::string& input, const std::string& options, std::string& log) {
    const std::string command = std::string(PGN_EXTRACT) + " -s " + options + " -l" + dir.file("extract.log") +
                                " -o" + dir.file("extract.out") + " " + dir.file(input) + " 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    log = readFile(dir.file("extract.log"));
    return readFile(dir.file("extract.out"));
}

// The games of pgn-extract's bare output (no tags, numbers, comments or results), one move list each.
std::vector<std::vector<std::string>> gamesOf(const std::string& text) {
    std::vector<std::vector<std::string>> games;
    std::istringstream in(text);
    bool gap = true;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string word;
        bool any = false;
        while (words >> word) {
            if (gap) games.emplace_back();
            gap = false;
            any = true;
            for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            games.back().push_back(word);
        }
        if (!any) gap = true;
    }
    return games;
}

// The SAN moves of our own PGN text, game by game: tags, numbers, comments and results dropped.
std::vector<std::vector<std::string>> sanMovesOf(const std::string& pgn) {
    std::vector<std::vector<std::string>> games;
    std::istringstream in(pgn);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("[Event ")) games.emplace_back();
        if (line.empty() || line[0] == '[') continue;
        std::istringstream words(line);
        bool comment = false;
        for (std::string word; words >> word;) {
            if (word[0] == '{') comment = true;
            const bool skip = comment || std::isdigit(static_cast<unsigned char>(word[0])) || word == "*";
            if (word.back() == '}') comment = false;
            if (!skip || word.starts_with("0-0")) {
                for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                games.back().push_back(word);
            }
        }
    }
    return games;
}

bool isSpecial(Move move) {
    const std::uint32_t kind = moveKind(move);
    return kind == CASTLE_SHORT || kind == CASTLE_LONG || kind == PROMOTION || kind == PROMOTION_CAPTURE ||
           kind == EN_PASSANT;
}

// A random legal game from `fen`, as coordinate moves, played in this process's own board.
// Castling, promotions and en passant are taken half the time they are there, so that every
// kind turns up.
std::vector<std::string> randomGame(const char* fen, int plies, std::mt19937& random, std::vector<Move>& made) {
    setStartPosition();
    EXPECT_EQ(readFen(fen), 1) << fen;
    std::vector<std::string> moves;
    for (int ply = 0; ply < plies; ++ply) {
        MoveList legal;
        listLegalMoves(legal);
        if (legal.count == 0) break;
        Move move = legal.moves[std::uniform_int_distribution<int>(0, legal.count - 1)(random)];
        for (int i = 0; i < legal.count; ++i)
            if (isSpecial(legal.moves[i]) && random() % 2 == 0) move = legal.moves[i];
        char text[8];
        moveToText(text, move, *currentPosition);
        if (text[4] == ' ') text[4] = '\0';
        moves.push_back(text);
        made.push_back(move);
        makeMove(move);
    }
    return moves;
}

// Random legal games typed into the console (from the start and from FEN positions rich in
// castling, promotions and en passant), each written with pgn: pgn-extract reads every game
// without a diagnostic, its long-algebraic export is the moves typed, and its SAN is ours.
TEST(PgnExtract, ReadsEveryRandomGameAsItWasPlayed) {
    if (!havePgnExtract()) GTEST_SKIP() << "pgn-extract is not installed";
    const char* starts[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "r3k2r/8/8/8/3Pp3/8/8/R3K2R b KQkq d3 0 1",
    };
    std::mt19937 random(2016);
    std::vector<std::vector<std::string>> games;
    std::vector<Move> made;
    std::string commands;
    for (int round = 0; round < 4; ++round) {
        for (const char* start : starts) {
            games.push_back(randomGame(start, 160, random, made));
            commands += (round == 0 && start == starts[0] ? std::string("new\nforce\n") : "fen " + std::string(start) + "\n");
            commands += lines(games.back()) + "pgn games.pgn\n";
        }
    }
    int castles = 0, promotions = 0, enPassants = 0;
    for (Move move : made) {
        castles += moveKind(move) == CASTLE_SHORT || moveKind(move) == CASTLE_LONG;
        promotions += moveKind(move) == PROMOTION || moveKind(move) == PROMOTION_CAPTURE;
        enPassants += moveKind(move) == EN_PASSANT;
    }
    EXPECT_GT(castles, 0);
    EXPECT_GT(promotions, 0);
    EXPECT_GT(enPassants, 0);

    TempDir dir;
    consoleSession(dir, commands + "quit\n");
    const std::string pgn = readFile(dir.file("games.pgn"));
    std::string log;
    const std::string uci =
        pgnExtract(dir, "games.pgn", "-Wuci --notags --nocomments --nomovenumbers --noresults -w1000", log);
    EXPECT_EQ(log, "");
    EXPECT_EQ(gamesOf(uci), games);
    const std::string san =
        pgnExtract(dir, "games.pgn", "-Wsan --notags --nocomments --nomovenumbers --noresults -w1000", log);
    EXPECT_EQ(log, "");
    EXPECT_EQ(gamesOf(san), sanMovesOf(pgn));
}

// The engine playing itself through the console: pgn-extract's export is the moves it announced.
TEST(PgnExtract, ReadsAGameTheEnginePlayedItself) {
    if (!havePgnExtract()) GTEST_SKIP() << "pgn-extract is not installed";
    TempDir dir;
    std::string commands;
    for (int i = 0; i < 80; ++i) commands += "go\n";
    const std::string output = consoleSession(dir, commands + "pgn game.pgn\nquit\n");
    std::vector<std::string> announced;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with("move ")) continue;
        std::string move = line.substr(5, 5);
        while (!move.empty() && move.back() == ' ') move.pop_back();
        announced.push_back(move);
    }
    ASSERT_GT(announced.size(), 20u);
    std::string log;
    const std::string uci =
        pgnExtract(dir, "game.pgn", "-Wuci --notags --nocomments --nomovenumbers --noresults -w1000", log);
    EXPECT_EQ(log, "");
    EXPECT_EQ(gamesOf(uci), std::vector<std::vector<std::string>>{announced});
}

// ---- load ----------------------------------------------------------------------------------

// A game with what PGN lets a game carry, as pgn-extract formats it, loads to its last position.
TEST(LoadCommand, ReadsAGameThatPgnExtractWrote) {
    if (!havePgnExtract()) GTEST_SKIP() << "pgn-extract is not installed";
    TempDir dir;
    writeFile(dir.file("annotated.pgn"),
              "[Event \"Annotated\"]\n[Site \"?\"]\n[Date \"2024.01.01\"]\n[Round \"1\"]\n[White \"A\"]\n"
              "[Black \"B\"]\n[Result \"1-0\"]\n\n"
              "1. e4 {the king's pawn} e5 2. Nf3 $1 Nc6 (2... d6 3. d4 {Philidor} (3. Bc4 Be7) exd4) "
              "3. Bb5 $14 a6 4. Ba4 Nf6 5. O-O Be7 1-0\n");
    std::string log;
    const std::string formatted = pgnExtract(dir, "annotated.pgn", "", log);
    EXPECT_EQ(log, "");
    ASSERT_NE(formatted.find("the king's pawn"), std::string::npos) << formatted;
    ASSERT_NE(formatted.find("$1"), std::string::npos) << formatted;
    ASSERT_NE(formatted.find("(2... d6"), std::string::npos) << formatted;
    writeFile(dir.file("formatted.pgn"), formatted);

    // After "new" the engine plays black; after the load nobody is on move, so a move typed for
    // white gets no answer.
    const std::string output = consoleSession(dir, "new\nload formatted.pgn\npgn back.pgn\nd2d3\nquit\n");
    const std::string board =
        diagram({"t adr  t", " pppappp", "p c  c  ", "    p   ", "A   P   ", "     C  ", "PPPP PPP", "TCAD TR "});
    expectTranscript(output, PROMPT + "load: game 1 of formatted.pgn, 10 plies\n" + board + PROMPT +
                                 "pgn: game appended to back.pgn\n" + PROMPT + "{board}" + PROMPT);
    EXPECT_EQ(withoutDate(readFile(dir.file("back.pgn"))),
              rosterWith("?", "?", "*") + "\n1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O Be7 *\n\n");
}

const char* const HAND_MADE =
    "% an escape line, skipped\n"
    "[Event \"first\"]\n"
    "[Result \"*\"]\n"
    "\n"
    "1. d4 ; a rest-of-line comment with { and ( in it\n"
    "1... d5 2. c4 {a comment ( with ) brackets} 2... e6 (2... c6 3. Nf3 (3. Nc3 Nf6 (3... e5)) 3... Nf6) *\n"
    "\n"
    "[Event \"second\"]\n"
    "[SetUp \"1\"]\n"
    "[FEN \"4k3/P7/8/8/8/8/8/4K2R b K - 0 30\"]\n"
    "\n"
    "30... Kd7 31.a8=Q! Kc7?? 32. O-O $18 1-0\n"
    "%another escape line\n"
    "[Event \"third\"]\n"
    "\n"
    "1. e4 e5 2. Ke3 1/2-1/2\n";

TEST(LoadCommand, ReadsHandMadeGamesByNumber) {
    TempDir dir;
    writeFile(dir.file("games.pgn"), HAND_MADE);
    const std::string output = consoleSession(dir, "load games.pgn 2\npgn back.pgn\nload games.pgn\nquit\n");
    const std::string second =
        diagram({"D       ", "  r     ", "        ", "        ", "        ", "        ", "        ", "     TR "});
    const std::string first =
        diagram({"tcadract", "ppp  ppp", "    p   ", "   p    ", "  PP    ", "        ", "PP  PPPP", "TCADRACT"});
    EXPECT_EQ(output, "load: game 2 of games.pgn, 4 plies\n" + second + PROMPT + "pgn: game appended to back.pgn\n" +
                          PROMPT + "load: game 1 of games.pgn, 4 plies\n" + first + PROMPT);
    EXPECT_EQ(withoutDate(readFile(dir.file("back.pgn"))),
              rosterWith("?", "?", "*") +
                  "[SetUp \"1\"]\n[FEN \"4k3/P7/8/8/8/8/8/4K2R b K - 0 1\"]\n\n1... Kd7 2. a8=Q Kc7 3. O-O *\n\n");
}

// Every refusal names what it could not read and leaves the game (1. e4 e5) as it was.
TEST(LoadCommand, RefusalsLeaveTheGameAsItWas) {
    TempDir dir;
    writeFile(dir.file("games.pgn"), HAND_MADE);
    writeFile(dir.file("broken.pgn"),
              "[Event \"unclosed comment\"]\n\n1. e4 {never closed\n\n"
              "[Event \"never\"]\n\n1. d4 *\n");
    writeFile(dir.file("variation.pgn"), "1. e4 (1. d4 d5 e5 *\n");
    writeFile(dir.file("badfen.pgn"), "[SetUp \"1\"]\n[FEN \"8/8/8/8/8/8/8/8 w - - 0 1\"]\n\n*\n");
    writeFile(dir.file("stray.pgn"), "1. e4 e5 ) 2. Nf3 *\n");
    writeFile(dir.file("empty.pgn"), "");
    const std::string output = consoleSession(dir, lines({"e2e4", "e7e5", "load missing.pgn", "load .",
                                                          "load games.pgn 4", "load games.pgn 0", "load games.pgn x",
                                                          "load games.pgn 1 2", "load games.pgn 3", "load broken.pgn",
                                                          "load variation.pgn", "load badfen.pgn", "load stray.pgn",
                                                          "load empty.pgn", "b", "pgn after.pgn", "quit"}));
    const std::string expected =
        "Error (cannot read missing.pgn): No such file or directory\n" + PROMPT +
        "Error (cannot read .): Is a directory\n" + PROMPT + "Error (no game 4 in games.pgn)\n" + PROMPT +
        "Error (bad game number): 0\n" + PROMPT + "Error (bad game number): x\n" + PROMPT +
        "Error (usage): load FILE [N]\n" + PROMPT +
        "Error (illegal move in game 3 of games.pgn): 2. Ke3 (line 16)\n" + PROMPT +
        "Error (cannot read game 1 of broken.pgn): line 3: a comment { is not closed\n" + PROMPT +
        "Error (cannot read game 1 of variation.pgn): line 1: a variation is not closed\n" + PROMPT +
        "Error (illegal position in game 1 of badfen.pgn): 8/8/8/8/8/8/8/8 w - - 0 1\n" + PROMPT +
        "Error (cannot read game 1 of stray.pgn): line 1: a ) closes no variation\n" + PROMPT +
        "Error (no game 1 in empty.pgn)\n" + PROMPT + AFTER_E4_E5 + PROMPT + "pgn: game appended to after.pgn\n" +
        PROMPT;
    EXPECT_EQ(output.substr(output.find("Error")), expected);
    EXPECT_EQ(withoutDate(readFile(dir.file("after.pgn"))), rosterWith("?", "?", "*") + "\n1. e4 e5 *\n\n");
}

// A game longer than the stack holds for a game is refused, not half loaded.
TEST(LoadCommand, RefusesAGameLongerThanTheRecordHolds) {
    TempDir dir;
    std::string movetext;
    for (int move = 1; move <= MAX_GAME_RECORDS / 2 + 2; ++move)
        movetext += std::to_string(move) + (move % 2 ? ". Nf3 Nf6 " : ". Ng1 Ng8 ") + (move % 8 == 0 ? "\n" : "");
    writeFile(dir.file("long.pgn"), "[Event \"long\"]\n\n" + movetext + "*\n");
    const std::string output = consoleSession(dir, "load long.pgn\nb\nquit\n");
    EXPECT_EQ(output, "Error (game 1 of long.pgn is too long): more than " + std::to_string(MAX_GAME_RECORDS - 1) +
                          " plies\n" + PROMPT + START_BOARD + PROMPT);
}

// A finished game loads as finished: "go" then has nothing to play.
TEST(LoadCommand, AFinishedGameStaysFinished) {
    TempDir dir;
    writeFile(dir.file("mate.pgn"), "1. f3 e5 2. g4 Qh4# 0-1\n");
    const std::string output = consoleSession(dir, "new\nload mate.pgn\ngo\nquit\n");
    expectTranscript(output, PROMPT + "load: game 1 of mate.pgn, 4 plies\n{board}" + PROMPT + PROMPT);
}

// ---- the corpus of game files as they circulate ---------------------------------------------

struct CorpusFile {
    const char* file;
    std::vector<std::string> loads;  // what "load FILE N" says for each game N
    bool standard;                   // pgn-extract reads it as it is
};

const CorpusFile PGN_CORPUS[] = {
    // A byte order mark, CR LF, tabs in movetext.
    {"windows.pgn", {"load: game 1 of windows.pgn, 20 plies", "load: game 2 of windows.pgn, 14 plies"}, true},
    // Move numbers glued to moves, 0-0 and 0-0-0, NAGs and "!?" glued.
    {"glued.pgn",
     {"load: game 1 of glued.pgn, 33 plies", "load: game 2 of glued.pgn, 7 plies",
      "load: game 3 of glued.pgn, 35 plies"},
     true},
    // Comments, nested variations, NAGs, an escape line, blank lines inside movetext.
    {"annotated.pgn", {"load: game 1 of annotated.pgn, 21 plies", "load: game 2 of annotated.pgn, 4 plies"}, true},
    {"no-tags.pgn", {"load: game 1 of no-tags.pgn, 12 plies", "load: game 2 of no-tags.pgn, 14 plies"}, true},
    // The last game stops without its result and without a line end.
    {"truncated.pgn", {"load: game 1 of truncated.pgn, 14 plies", "load: game 2 of truncated.pgn, 14 plies"}, false},
    // Signs apart, long algebraic, coordinates, lowercase pieces; then what cannot be read.
    {"loose.pgn",
     {"load: game 1 of loose.pgn, 7 plies", "load: game 2 of loose.pgn, 14 plies",
      "load: game 3 of loose.pgn, 21 plies", "load: game 4 of loose.pgn, 16 plies",
      "Error (illegal move in game 5 of loose.pgn): 5. bxc6 (line 27)",
      "Error (illegal move in game 6 of loose.pgn): 4. Bg (line 32)"},
     false},
};

// The lines of a console session that report a load.
std::vector<std::string> loadReports(const std::string& output) {
    std::vector<std::string> reports;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with(PROMPT.substr(1))) line.erase(0, PROMPT.size() - 1);
        if (line.starts_with("load:") || line.starts_with("Error")) reports.push_back(line);
    }
    return reports;
}

class PgnCorpus : public testing::TestWithParam<CorpusFile> {};

// Every game loads as far as it can be read, and one past the last is no game. Each game read
// is written back with pgn; for the files pgn-extract reads, its moves are pgn-extract's.
TEST_P(PgnCorpus, LoadsEveryGameItCanRead) {
    const CorpusFile& corpus = GetParam();
    TempDir dir;
    writeFile(dir.file(corpus.file), readFile(std::string(TARLOWICK_TEST_DATA "/dialects/") + corpus.file));
    std::string commands;
    for (std::size_t game = 1; game <= corpus.loads.size() + 1; ++game)
        commands += "load " + std::string(corpus.file) + " " + std::to_string(game) + "\npgn back.pgn\n";
    const std::string output = consoleSession(dir, commands + "quit\n");
    std::vector<std::string> expected = corpus.loads;
    expected.push_back("Error (no game " + std::to_string(corpus.loads.size() + 1) + " in " + corpus.file + ")");
    EXPECT_EQ(loadReports(output), expected);

    if (!corpus.standard || !havePgnExtract()) return;
    std::string log;
    const std::string san =
        pgnExtract(dir, corpus.file, "-Wsan -N -V --notags --nocomments --nomovenumbers --noresults -w1000", log);
    EXPECT_EQ(log, "");
    std::vector<std::vector<std::string>> loaded = sanMovesOf(readFile(dir.file("back.pgn")));
    loaded.pop_back();  // the game written after the last load, which found no game
    EXPECT_EQ(loaded, gamesOf(san));
}

INSTANTIATE_TEST_SUITE_P(Files, PgnCorpus, testing::ValuesIn(PGN_CORPUS));

// The files in other notations load the moves their standard twins name.
TEST(PgnCorpusNotations, LoadTheSameMovesAsSan) {
    TempDir dir;
    writeFile(dir.file("loose.pgn"), readFile(TARLOWICK_TEST_DATA "/dialects/loose.pgn"));
    consoleSession(dir, "load loose.pgn 2\npgn back.pgn\nload loose.pgn 3\npgn back.pgn\n"
                        "load loose.pgn 4\npgn back.pgn\nquit\n");
    const std::vector<std::vector<std::string>> loaded = sanMovesOf(readFile(dir.file("back.pgn")));
    const std::vector<std::vector<std::string>> expected = sanMovesOf(
        "[Event \"\"]\n1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Bxc6 dxc6 5. O-O Bd6 6. d4 exd4 7. Qxd4 f6 *\n"
        "[Event \"\"]\n1. e4 c5 2. Nf3 d6 3. Bb5+ Bd7 4. Bxd7+ Qxd7 5. O-O Nc6 6. c3 Nf6 7. d4 Nxe4 8. d5 Ne5 "
        "9. Nxe5 dxe5 10. Re1 Nd6 11. Rxe5 *\n"
        "[Event \"\"]\n1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Bxc6 dxc6 5. O-O Bd6 6. d4 exd4 7. Qxd4 f6 8. Re1 Ne7 *\n");
    EXPECT_EQ(loaded, expected);
}

}  // namespace
