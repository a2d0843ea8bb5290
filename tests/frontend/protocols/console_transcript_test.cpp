// Scripted console sessions piped into the engine, compared with the exact output.
#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>

#include "tests/frontend/support/engine_process.h"
#include "tests/frontend/support/live_session.h"
#include "tests/frontend/support/test_files.h"
#include "tests/frontend/support/transcript.h"

namespace {

const std::string HOUR_ALLOCATION = "#DEBUG move speed: 15  allocated time: 24000\n";

const std::string HELP =
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

// The "param" printout, with the three settings these transcripts change.
std::string paramsPrintout(const std::string& depth, const std::string& book, const std::string& moveTime) {
    return "\n[ENGINE]\n"
           "Depht:              " + depth + "\n"
           "postThinking:       1\n"
           "\n[LOG]\n"
           "logFile:            tarlowick.log\n"
           "logGame:            0\n"
           "\n[BOOK]\n"
           "bookFile:           book.bin\n"
           "book:               " + book + "\n"
           "randBook:           1\n"
           "\n[TIME]\n"
           "MaxTime:            3600 s\n"
           "moveTime:           " + moveTime + " s\n"
           "suddenDeath:        20\n"
           "moreTime:           5\n"
           "lessTime:           5\n"
           "fastGame:           5\n"
           "\n";
}
const std::string DEFAULT_PARAMS = paramsPrintout("32", "1", "3600");
// The settings of PLAIN_INI after "post" and "st 5".
const std::string PLAIN_PARAMS_POST_ST5 = paramsPrintout("2", "0", "5");

const std::string START_BOARD =
    diagram({"tcadract", "pppppppp", "        ", "        ", "        ", "        ", "PPPPPPPP", "TCADRACT"});
const std::string AFTER_E2E4 =
    diagram({"tcadract", "pppppppp", "        ", "        ", "    P   ", "        ", "PPPP PPP", "TCADRACT"});

struct ConsoleCase {
    const char* name;
    std::string commands;  // after the line that enters console mode
    std::string expected;  // after the welcome and the first prompt
    std::map<std::string, std::string> files = {{"tarlowick.ini", PLAIN_INI}};
};

const ConsoleCase CASES[] = {
    {"Help", "help\nquit\n", HELP + PROMPT},
    {"PlayingStrength", "elo 1500\nelo 100\nelo\nelo x\nelo off\nquit\n",
     "playing at Elo 1500\n" + PROMPT + "option UCI_Elo: 100 is out of its range 600..2100, set to 600\n" +
         "playing at Elo 600\n" + PROMPT + "Error (unknown command): elo\n" + PROMPT +
         "Error (usage): elo N (N from 600 to 2100), or elo off\n" + PROMPT + "playing at full strength\n" + PROMPT},
    {"ParamWithoutAConfigurationFile", "param\nquit\n", DEFAULT_PARAMS + PROMPT, {}},
    {"DepthAndMoveTime", "sd 8\nsd 40\nsd 1\nsd\nst 0\nst x\nst 5\nquit\n",
     "Depth set with value 8 PLY\n" + PROMPT + "Error: insert a number between 2 and 32 \n" + PROMPT +
         "Error: insert a number between 2 and 32 \n" + PROMPT + "Error: insert a number between 2 and 32 \n" +
         PROMPT + "Error: insert a number > 0 \n" + PROMPT + "Error: insert a number > 0 \n" + PROMPT +
         "Time control set with value 5 sec\n" + PROMPT},
    // Console mode starts in force mode: the move is made and shown, and nobody answers it.
    {"MoveBeforeNewIsNotAnswered", "e2e4\nquit\n", AFTER_E2E4 + PROMPT},
    {"IllegalMovesShowTheBoardAgain", "a1a1\ne2e5\ne7e8x\nquit\n",
     "Illegal move: a1a1\n" + START_BOARD + PROMPT + "Illegal move: e2e5\n" + START_BOARD + PROMPT +
         "Illegal move: e7e8x\n" + START_BOARD + PROMPT},
    {"UnknownCommand", "hello\nquit\n", "Error (unknown command): hello\n" + PROMPT},
    {"EngineAnswersAfterNew", "new\ne2e4\nquit\n",
     PROMPT + AFTER_E2E4 + HOUR_ALLOCATION + "move {move}\n{board}" + PROMPT},
    // Undo right after the engine's reply takes back only that reply.
    {"UndoStepsBackOnePly", "new\ne2e4\nundo\nquit\n",
     PROMPT + AFTER_E2E4 + HOUR_ALLOCATION + "move {move}\n{board}" + PROMPT + AFTER_E2E4 + PROMPT},
    {"UndoAtTheStartStaysThere", "undo\ne2e4\nquit\n", START_BOARD + PROMPT + AFTER_E2E4 + PROMPT},
    {"GoMatesAndTheGameEnds", "fen 6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1\ngo\ngo\nquit\n",
     PROMPT + HOUR_ALLOCATION + "Mate in 1 \nmove a1a8 \n1-0 {White mates}\n{board}" + PROMPT + PROMPT},
    {"BookMoveInTheConsole", "go\nquit\n", "move e2e4 from book\n{board}" + PROMPT,
     {{"tarlowick.ini", "[ENGINE]\nMaxDepth=2\nPostThinking=0\n[BOOK]\nRandBook=0\n"},
      {"book.bin", oneEntryBook("e2e4")}}},
    {"AnalyzeUntilExit", "analyze\nexit\nquit\n", "{line}\n#DEBUG exit da polling\n" + PROMPT},
    {"DebugPositionsAreLoadedSilently", "mate\nkiller\ndump\n.\nquit\n",
     PROMPT + PROMPT + PROMPT + "#DEBUG stat\n" + PROMPT},
    {"GoodCapturesHighestEntryFirst", "good\nquit\n", "\n Good moves found: 1\nIdx 0 d3c4  Val 100\n" + PROMPT},
    {"HashSelfTest", "hash\nquit\n",
     "Score returned:     0\nHash key:           -252266527\nHash depth:         1\nHash score:         0\n\n"
     "Size Hash Record:   24 byte\n\nSize Hash Table:    24576 Kbyte\nSize Hash Table:    24 Mbyte\n" +
         PROMPT},
    // The report gives the table's real size: the entries of 24 bytes that fit in the Hash key.
    {"HashSelfTestAtAnotherSize", "hash\nquit\n",
     "Score returned:     0\nHash key:           -252266527\nHash depth:         1\nHash score:         0\n\n"
     "Size Hash Record:   24 byte\n\nSize Hash Table:    49152 Kbyte\nSize Hash Table:    48 Mbyte\n" +
         PROMPT,
     {{"tarlowick.ini", "[ENGINE]\nHash=50\n"}}},
    // A refused FEN leaves the game as it was: e2e4 is still on the board.
    {"RefusedFenKeepsTheGame", "e2e4\nfen 8/8/8/8/8/8/8/8 w - - 0 1\nb\nquit\n",
     AFTER_E2E4 + PROMPT + "Error (illegal position): 8/8/8/8/8/8/8/8 w - - 0 1\n" + PROMPT + AFTER_E2E4 +
         PROMPT},
    {"PerftAndDivide", "perft 3\nfen 7k/8/8/8/8/8/8/K7 w - - 0 1\ndivide 2\nperft 0\ndivide\nquit\n",
     "perft 3: 8902 leaves in {time} s\n" + PROMPT + PROMPT +
         "{move}: 3\n{move}: 3\n{move}: 3\nmoves: 3, total: 9 in {time} s\n" + PROMPT +
         "Error: insert a depth between 1 and 20\n" + PROMPT + "Error (unknown command): divide\n" + PROMPT},
    {"EndOfInputEndsLikeQuit", "b\n", START_BOARD + PROMPT},
    // The benchmark three plies lower, as the search's signature test runs it: the same node
    // total. The game (down to its first record) and the settings are as before it, and the
    // engine still answers a move.
    {"BenchLeavesTheGameAndTheSettings",
     "post\nst 5\ne2e4\nbench 3\nbench x\nbench 21\nb\nundo\nparam\nnew\ne2e4\nquit\n",
     PROMPT + "Time control set with value 5 sec\n" + PROMPT + AFTER_E2E4 + PROMPT +
         "bench: 22 positions, each to its depth less 3\nbench: 11291046 nodes in {time} s, {line}\n" + PROMPT +
         "Error: insert a depth reduction between 0 and 20\n" + PROMPT +
         "Error: insert a depth reduction between 0 and 20\n" + PROMPT + AFTER_E2E4 + PROMPT + START_BOARD + PROMPT +
         PLAIN_PARAMS_POST_ST5 +
         PROMPT + PROMPT + AFTER_E2E4 + HOUR_ALLOCATION + "{line}\nmove {move}\n{board}" +
         PROMPT},
};

// Failures name the case instead of dumping its bytes.
void PrintTo(const ConsoleCase& c, std::ostream* out) { *out << c.name; }

class ConsoleTranscript : public testing::TestWithParam<ConsoleCase> {};

TEST_P(ConsoleTranscript, PrintsExactly) {
    const ConsoleCase& c = GetParam();
    expectSessionReplies(c.files, "console\n" + c.commands, WELCOME + PROMPT + c.expected);
}

INSTANTIATE_TEST_SUITE_P(Sessions, ConsoleTranscript, testing::ValuesIn(CASES),
                         [](const testing::TestParamInfo<ConsoleCase>& test) { return test.param.name; });

// "ini" reads the file again: a changed depth shows in "param".
TEST(ConsoleSettings, IniReloadsTheFile) {
    TempDir dir;
    writeFile(dir.file("tarlowick.ini"), "[ENGINE]\nMaxDepth=5\n");
    EngineProcess engine(dir.path);
    engine.send("console\nparam\n");
    ASSERT_TRUE(engine.waitFor("fastGame"));
    writeFile(dir.file("tarlowick.ini"), "[ENGINE]\nMaxDepth=7\n");
    engine.send("sd 3\nini\nparam\nquit\n");
    const Session session = engine.finish();
    EXPECT_NE(session.output.find("Depht:              5\n"), std::string::npos);
    EXPECT_NE(session.output.find("Depht:              7\n"), std::string::npos) << session.output;
    EXPECT_EQ(session.status, 0);
}

}  // namespace

// ---- settings and several lines -------------------------------------------------------------

TEST(ConsoleOptions, ListAndSetEverySetting) {
    TempDir dir;
    const std::string output = consoleSession(
        dir, "option MultiPV=3\noption threads=8\noption Nope=1\noption OwnBook=maybe\noption Clear Hash\n"
             "option BookFile=<empty>\noptions\nquit\n");
    expectTranscript(output, "MultiPV set to 3\n" + PROMPT +
                                 "option Threads: 8 is out of its range 1..1, set to 1\nThreads set to 1\n" + PROMPT +
                                 "Error (no option Nope)\n" + PROMPT +
                                 "Error (option OwnBook cannot take the value maybe)\n" + PROMPT +
                                 "Clear Hash done\n" + PROMPT + "BookFile set to \n" + PROMPT +
                                 "Hash           24               (spin 1..1024, [ENGINE] Hash)\n"
                                 "Ponder         false            (check, [ENGINE] Ponder)\n"
                                 "OwnBook        false            (check, [BOOK] Book)\n"
                                 "BookFile                        (string, [BOOK] BookFile)\n"
                                 "BookRandom     true             (check, [BOOK] RandBook)\n"
                                 "GameLog        false            (check, [LOG] LogGame)\n"
                                 "LogFile        tarlowick.log    (string, [LOG] LogFile)\n"
                                 "MultiPV        3                (spin 1..256, [ENGINE] MultiPV)\n"
                                 "Clear Hash                      (button)\n"
                                 "Move Overhead  1000             (spin 0..10000, [TIME] MoveOverhead)\n"
                                 "Threads        1                (spin 1..1, [ENGINE] Threads)\n"
                                 "UCI_Chess960   false            (check)\n"
                                 "MaxDepth       2                (spin 2..32, [ENGINE] MaxDepth)\n"
                                 "MaxTime        360000           (spin -2147483648..2147483647, [ENGINE] MaxTime)\n"
                                 "PostThinking   false            (check, [ENGINE] PostThinking)\n"
                                 "SuddenDeath    20               (spin 20..40, [TIME] SuddenDeath)\n"
                                 "MoreTime       5                (spin 5..15, [TIME] MoreTime)\n"
                                 "LessTime       5                (spin 5..15, [TIME] LessTime)\n"
                                 "FastGame       5                (spin 5..15, [TIME] FastGame)\n"
                                 "UCI_LimitStrength false            (check, [ENGINE] LimitStrength)\n"
                                 "UCI_Elo        2100             (spin 600..2100, [ENGINE] Elo)\n" +
                                 PROMPT);
}

// The stepping analysis shows every line of a depth before it reads its next input line.
TEST(ConsoleOptions, AnalysisShowsEveryLine) {
    TempDir dir;
    const std::string output = consoleSession(dir, "option MultiPV=3\nsd 4\nanalyze\n.\n.\n.\nquit\n");
    const auto depths = thinkingByDepth(output);
    EXPECT_EQ(depths.size(), 3u);  // 2, 3 and 4
    expectLinesPerDepth(depths, 3);
}

// Exclude all, then include one: the analysis looks at that move alone; a move undone and
// played again is a new position, with every move allowed.
TEST(ConsoleOptions, ExcludeAndIncludeChooseTheAnalysedMoves) {
    TempDir dir;
    const std::string output =
        consoleSession(dir, "exclude all\ninclude a2a3\nexclude e2e5\nsd 3\nanalyze\n.\n.\nquit\n");
    EXPECT_NE(output.find("Error (not a legal move): e2e5\n"), std::string::npos);
    const auto depths = thinkingByDepth(output);
    ASSERT_EQ(depths.size(), 2u);
    for (const auto& [depth, lines] : depths)
        for (const ThinkingLine& line : lines) EXPECT_EQ(line.pv.front(), "a2a3");
}
