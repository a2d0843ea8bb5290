// Scripted protocol sessions piped into the engine, compared with the exact replies.
#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <ostream>
#include <string>

#include "tests/frontend/support/engine_process.h"
#include "tests/frontend/support/test_files.h"
#include "tests/frontend/support/transcript.h"

namespace {

// A shallow search keeps sessions fast; thinking lines are off so that replies are exact; no book.

// The specified feature line first, then one option per setting (at the values PLAIN_INI gives),
// then the features the options need.
const std::string FEATURES =
    "feature ping=1 setboard=1 debug=1 playother=1 analyze=1 colors=0 usermove=1 memory=0 time=1 "
    "myname=\"tarlowick 0.06\" name=1 done=1\n"
    "feature option=\"Hash -spin 24 1 1024\"\n"
    "feature option=\"OwnBook -check 0\"\n"
    "feature option=\"BookFile -string book.bin\"\n"
    "feature option=\"BookRandom -check 1\"\n"
    "feature option=\"GameLog -check 0\"\n"
    "feature option=\"LogFile -string tarlowick.log\"\n"
    "feature option=\"MultiPV -spin 1 1 256\"\n"
    "feature option=\"Clear Hash -button\"\n"
    "feature option=\"Move Overhead -spin 1000 0 10000\"\n"
    "feature option=\"MaxDepth -spin 2 2 32\"\n"
    "feature option=\"MaxTime -spin 360000 -2147483648 2147483647\"\n"
    "feature option=\"PostThinking -check 0\"\n"
    "feature option=\"SuddenDeath -spin 20 20 40\"\n"
    "feature option=\"MoreTime -spin 5 5 15\"\n"
    "feature option=\"LessTime -spin 5 5 15\"\n"
    "feature option=\"FastGame -spin 5 5 15\"\n"
    "feature option=\"UCI_LimitStrength -check 0\"\n"
    "feature option=\"UCI_Elo -spin 2100 600 2100\"\n"
    "feature exclude=1 memory=1 variants=\"normal,fischerandom\"\n";
const std::string DEPTH_ERROR =
    "Error (depth out of bound): Insert depth between 2 and 32\n"
    "tellusererror Error (depth out of bound): Insert depth between 2 and 32\n";
const std::string MOVETIME_ERROR =
    "Error (movetime out of bound): Insert movetime > 0 \n"
    "tellusererror Error (movetime out of bound): Insert movetime > 0 \n";
// The allocation of a search without time commands: an hour against an opponent's clock of 0.
const std::string HOUR_ALLOCATION = "#DEBUG move speed: 15  allocated time: 24000\n";
// Mate in one for white: a1a8.
const std::string BACK_RANK = "6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1";

struct TranscriptCase {
    const char* name;
    std::string input;
    std::string expected;  // after the banner
    std::map<std::string, std::string> files = {{"tarlowick.ini", PLAIN_INI}};
};

// The features again after "memory 3": the option shows the table's new size.
std::string featuresWithHash(const std::string& megabytes) {
    std::string features = FEATURES;
    const std::string from = "Hash -spin 24 ";
    features.replace(features.find(from), from.size(), "Hash -spin " + megabytes + " ");
    return features;
}

const TranscriptCase CASES[] = {
    {"OptionsMemoryAndRootMoves",
     "xboard\noption MultiPV=0\noption Nope=1\noption OwnBook=2\noption Clear Hash\noption Threads=2\n"
     "memory 3\nmemory x\nexclude e2e5\ninclude z\nexclude all\ninclude e2e4\nprotover 2\nquit\n",
     "#DEBUG option MultiPV: 0 is out of its range 1..256, set to 1\nError (unknown option): option Nope=1\n"
     "Error (bad option value): option OwnBook=2\nError (unknown option): option Threads=2\n"
     "Error (unreadable number): memory x\nError (not a legal move): exclude e2e5\n"
     "Error (not a legal move): include z\n" + featuresWithHash("3")},
    // The level clamps its Elo into range; a word is refused.
    {"PlayingStrengthOptions",
     "xboard\noption UCI_LimitStrength=1\noption UCI_Elo=100\noption UCI_Elo=2201\noption UCI_Elo=1500\n"
     "option UCI_Elo=x\noption UCI_LimitStrength=2\nquit\n",
     "#DEBUG option UCI_Elo: 100 is out of its range 600..2100, set to 600\n"
     "#DEBUG option UCI_Elo: 2201 is out of its range 600..2100, set to 2100\n"
     "Error (bad option value): option UCI_Elo=x\nError (bad option value): option UCI_LimitStrength=2\n"},
    {"FeatureLinePingAndUnknownCommands",
     "xboard\nprotover 2\naccepted usermove\nping 7\nping\nprotover 3\ncomputer\nquit\n",
     FEATURES + "Error (unknown command): accepted usermove\npong 7\npong\nError (unknown command): protover 3\n"
                "Error (unknown command): computer\n"},
    {"DepthAndMoveTime", "xboard\nsd 1\nsd 33\nsd 9999\nsd 12\nst 0\nst -5\nst 10\nquit\n",
     DEPTH_ERROR + DEPTH_ERROR + "#DEBUG depth:12\n" + MOVETIME_ERROR + MOVETIME_ERROR + "#DEBUG movetime:10\n"},
    {"MissingOrUnreadableNumbers",
     "xboard\nsd\nsd x\nsd 99999999999\nst\nstop\ntime\ntime abc\notim\notim -\nlevel\nlevel 40 5\nlevel 40 0: 0\n"
     "quit\n",
     "Error (unreadable number): sd\nError (unreadable number): sd x\nError (unreadable number): sd 99999999999\n"
     "Error (unreadable number): st\nError (unreadable number): stop\nError (unreadable number): time\n"
     "Error (unreadable number): time abc\nError (unreadable number): otim\nError (unreadable number): otim -\n"
     "Error (unreadable number): level\nError (unreadable number): level 40 5\n"
     "Error (unreadable number): level 40 0: 0\n"},
    // The allocation line shows the clocks: a refused command must leave them as they were.
    {"RefusedClockCommandsChangeNothing",
     "xboard\nforce\nlevel 40 5 0\ntime\notim x\nlevel 40\nlevel 40 5\ngo\nquit\n",
     "#DEBUG force\n#DEBUG level:40 5 0\nError (unreadable number): time\nError (unreadable number): otim x\n"
     "Error (unreadable number): level 40\nError (unreadable number): level 40 5\n"
     "#DEBUG move speed: 20  allocated time: 1500\nmove {move}\n"},
    // Front ends send short games as minutes:seconds. Short clocks keep their latency reserve of
    // one second: 1900 / 25 rather than 2000 / 25, and 2900 / 30 against a larger opposing clock.
    {"LevelWithSecondsAndTheShortClockReserve",
     "xboard\nforce\nlevel 0 0:20 0\ngo\nforce\nlevel 40 0:30 0\ntime 2000\notim 3000\ngo\nquit\n",
     "#DEBUG force\n#DEBUG level:0 0:20 0\n#DEBUG move speed: 25  allocated time: 76\nmove {move}\n"
     "#DEBUG force\n#DEBUG level:40 0:30 0\n#DEBUG time:2000\n#DEBUG otim:3000\n"
     "#DEBUG move speed: 30  allocated time: 63\nmove {move}\n"},
    {"NewThenGoPlaysWhite", "xboard\nnew\ngo\nquit\n", HOUR_ALLOCATION + "move {move}\n"},
    {"NewThenUserMoveIsAnsweredAsBlack", "xboard\nnew\nusermove e2e5\nusermove e2e4\nquit\n",
     "Illegal move: e2e5\n" + HOUR_ALLOCATION + "move {move}\n"},
    {"EngineMatesAndStops", "xboard\nsetboard " + BACK_RANK + "\ngo\ngo\nping 1\nnew\ngo\nquit\n",
     HOUR_ALLOCATION + "Mate in 1 \nmove a1a8 \n1-0 {White mates}\npong 1\n" + HOUR_ALLOCATION + "move {move}\n"},
    // After the user's mate the engine is silent; undo leaves the game over until a move that
    // does not end it.
    {"UserMatesTheEngine", "xboard\nnew\nsetboard " + BACK_RANK + "\nusermove a1a8\ngo\nundo\nusermove a1b1\nquit\n",
     "1-0 {White mates}\n" + HOUR_ALLOCATION + "move {move}\n"},
    {"ForceModeOnlyRecordsMoves", "xboard\nnew\nforce\nusermove e2e4\nusermove e7e5\ngo\nquit\n",
     "#DEBUG force\n" + HOUR_ALLOCATION + "move {move}\n"},
    // The engine plays black and black is on move, yet setboard gives it no turn. A refused FEN
    // is reported and leaves the start position, which then takes e2e4.
    {"SetboardGivesNoTurnAndReportsARefusal",
     "xboard\nnew\nsetboard 4k3/8/8/8/8/8/8/4K3 b - - 0 1\nping 1\nsetboard nonsense\nforce\nusermove e2e4\nquit\n",
     "pong 1\ntellusererror Illegal position\n#DEBUG force\n"},
    // The lines waiting are taken before the analysis starts: "exit" leaves it at once, and only
    // in analysis mode has it the analysis's reply.
    {"AnalyzeUntilExit",
     "xboard\npost\nsetboard r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3\nanalyze\nexit\n"
     "exit\nping 2\nquit\n",
     "#DEBUG exit da polling\nDEBUG exit\npong 2\n"},
    {"StatusAndExit", "xboard\n.\nexit\nquit\n", "#DEBUG stat\nDEBUG exit\n"},
    {"UndoAndRemoveStopAtTheFirstRecord",
     "xboard\nforce\nundo\nremove\nusermove e2e4\nremove\nusermove e2e4\nundo\nusermove e2e4\nquit\n",
     "#DEBUG force\n"},
    // Without the take-back of two plies, the second e2e4 would be illegal.
    {"RemoveTakesBackAWholeMoveAndKeepsTheColour", "xboard\nnew\nusermove e2e4\nremove\nusermove e2e4\nquit\n",
     HOUR_ALLOCATION + "move {move}\n" + HOUR_ALLOCATION + "move {move}\n"},
    {"PlayotherAnswersTheNextMove", "xboard\nnew\nforce\nusermove e2e4\nplayother\nusermove e7e5\nquit\n",
     "#DEBUG force\n" + HOUR_ALLOCATION + "move {move}\n"},
    {"BookMove", "xboard\nnew\ngo\nquit\n", "#DEBUG: e2e4 from opening book\nmove e2e4\n",
     {{"tarlowick.ini", "[ENGINE]\nMaxDepth=2\nPostThinking=0\n[BOOK]\nRandBook=0\n"},
      {"book.bin", oneEntryBook("e2e4")}}},
    {"RefusedBookMoveFallsBackToTheSearch", "xboard\nnew\ngo\nquit\n",
     "#DEBUG: book move e2e5 refused by the position\n" + HOUR_ALLOCATION + "move {move}\n",
     {{"tarlowick.ini", "[ENGINE]\nMaxDepth=2\nPostThinking=0\n[BOOK]\nRandBook=0\n"},
      {"book.bin", oneEntryBook("e2e5")}}},
    {"MissingBookFallsBackToTheSearch", "xboard\nnew\ngo\nquit\n", HOUR_ALLOCATION + "move {move}\n",
     {{"tarlowick.ini", "[ENGINE]\nMaxDepth=2\nPostThinking=0\n[BOOK]\nBookFile=missing.bin\n"}}},
    {"EndOfInputEndsLikeQuit", "xboard\nping 1\n", "pong 1\n"},
    // A command that never got its line end is not acted on.
    {"LastLineWithoutLineEndIsNotActedOn", "xboard\nping 1\nping 2", "pong 1\n"},
    // Read whole, the line is one unknown command; cut at 255 characters, its tail would be a ping.
    {"OverLongLineIsOneUnknownCommand", "xboard\n" + std::string(300, 'x') + "ping 5\nping 6\nquit\n",
     "Error (unknown command): " + std::string(300, 'x') + "ping 5\npong 6\n"},
    {"ModeLinesAreMatchedOnTheirFirstCharacters", "\n xboard\nxbo\nXboard\nxboard2\nping 3\nquit\n", "pong 3\n"},
    {"QuitBeforeAnyMode", "quitx\nxboard\nping 1\n", ""},
};

// Failures name the case instead of dumping its bytes.
void PrintTo(const TranscriptCase& c, std::ostream* out) { *out << c.name; }

class XboardTranscript : public testing::TestWithParam<TranscriptCase> {};

TEST_P(XboardTranscript, RepliesExactly) {
    const TranscriptCase& c = GetParam();
    expectSessionReplies(c.files, c.input, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Sessions, XboardTranscript, testing::ValuesIn(CASES),
                         [](const testing::TestParamInfo<TranscriptCase>& test) { return test.param.name; });

// The name starts the game's record; the user's moves, the engine's book moves and the result
// follow. Thinking lines are off, so the log holds nothing else.
TEST(XboardGameLog, RecordsTheGame) {
    TempDir dir;
    writeFile(dir.file("tarlowick.ini"),
              "[ENGINE]\nMaxDepth=2\nPostThinking=0\n[LOG]\nLogGame=1\nLogFile=game.log\n[BOOK]\nRandBook=0\n");
    writeFile(dir.file("book.bin"), oneEntryBook("e2e4"));
    const Session session =
        runSession(dir, "xboard\nnew\nname fairymax 5.0\ngo\nforce\nsetboard " + BACK_RANK + "\nusermove a1a8\nquit\n");
    EXPECT_EQ(session.output, std::string(BANNER) +
                                  "#DEBUG name: fairymax 5.0\n#DEBUG: e2e4 from opening book\nmove e2e4\n"
                                  "#DEBUG force\n1-0 {White mates}\n");
    EXPECT_EQ(readFile(dir.file("game.log")),
              "\n ************* New Game ************* \nOpponent Name: fairymax 5.0\nmove e2e4\nusermove a1a8\n"
              "1-0 {White mates}\n");
}

// Front ends interrupt engines with SIGINT; in protocol mode that must not end the engine.
TEST(XboardSignals, SurvivesSigint) {
    TempDir dir;
    writeFile(dir.file("tarlowick.ini"), PLAIN_INI);
    EngineProcess engine(dir.path);
    engine.send("xboard\nprotover 2\n");
    ASSERT_TRUE(engine.waitFor("done=1\n"));
    engine.signal(SIGINT);
    engine.send("new\nusermove e2e4\n");
    ASSERT_TRUE(engine.waitFor("move "));
    engine.signal(SIGINT);
    engine.send("ping 9\nquit\n");
    const Session session = engine.finish();
    EXPECT_NE(session.output.find("pong 9\n"), std::string::npos) << session.output;
    EXPECT_TRUE(session.exited);
    EXPECT_EQ(session.status, 0);
}

// Output stays buffered until the first line has been read, so a front end reading the pipe
// gets the banner together with the replies to its first command.
TEST(XboardStartUp, BannerLeavesWithTheFirstFlush) {
    TempDir dir;
    writeFile(dir.file("tarlowick.ini"), PLAIN_INI);
    EngineProcess engine(dir.path);
    EXPECT_FALSE(engine.waitFor("tarlowick", std::chrono::milliseconds(300)));
    engine.send("xboard\n");
    EXPECT_TRUE(engine.waitFor(BANNER));
    engine.send("quit\n");
    EXPECT_EQ(engine.finish().output, BANNER);
}

}  // namespace
