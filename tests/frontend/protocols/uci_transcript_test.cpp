// UCI sessions through the built engine. Sessions piped in whole have exact replies: a search
// that finds more input waiting reads it, and "quit" or the end of input stops it at once, so
// its answer comes without "info" lines (a forced move where the move must be exact). Sessions
// that wait for the engine, as a front end does, check the search's reports and answers.
#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "board/position.h"
#include "movegen/movegen.h"
#include "search/driver.h"
#include "tests/frontend/support/engine_process.h"
#include "tests/frontend/support/live_session.h"
#include "tests/frontend/support/test_files.h"
#include "tests/frontend/support/transcript.h"

namespace {

// No book; the depth is left at 32, so only the go's own limits end a search.
constexpr const char* UCI_INI = "[BOOK]\nBook=0\n";

// The answer to "uci" for settings with these values.
std::string handshake(bool book, const char* bookFile, bool bookRandom, bool gameLog, const char* logFile,
                      int hash = 24) {
    auto check = [](bool on) { return std::string(on ? "true" : "false"); };
    return "id name tarlowick 0.06\nid author the tarlowick developers\n"
           "option name Hash type spin default " + std::to_string(hash) + " min 1 max 1024\n"
           "option name Ponder type check default false\n"
           "option name OwnBook type check default " + check(book) + "\n"
           "option name BookFile type string default " + bookFile + "\n"
           "option name BookRandom type check default " + check(bookRandom) + "\n"
           "option name GameLog type check default " + check(gameLog) + "\n"
           "option name LogFile type string default " + logFile + "\n"
           "option name MultiPV type spin default 1 min 1 max 256\n"
           "option name Clear Hash type button\n"
           "option name Move Overhead type spin default 1000 min 0 max 10000\n"
           "option name Threads type spin default 1 min 1 max 1\n"
           "option name UCI_Chess960 type check default false\n"
           "option name MaxDepth type spin default 32 min 2 max 32\n"
           "option name MaxTime type spin default 360000 min -2147483648 max 2147483647\n"
           "option name SuddenDeath type spin default 20 min 20 max 40\n"
           "option name MoreTime type spin default 5 min 5 max 15\n"
           "option name LessTime type spin default 5 min 5 max 15\n"
           "option name FastGame type spin default 5 min 5 max 15\n"
           "option name UCI_LimitStrength type check default false\n"
           "option name UCI_Elo type spin default 2100 min 600 max 2100\nuciok\n";
}

const std::string HANDSHAKE = handshake(false, "book.bin", true, false, "tarlowick.log");
// The book on, its first move chosen.
const std::string BOOK_HANDSHAKE = handshake(true, "book.bin", false, false, "tarlowick.log");
constexpr const char* BOOK_INI = "[BOOK]\nRandBook=0\n";

// Black to move has one legal move, h8h7, whatever the search sees.
constexpr const char* ONE_REPLY = "R6k/8/5K2/8/8/8/8/8 b - - 0 1";
// White promotes on c8: to a queen or rook it mates, to a knight it leaves black one move, a8b8.
constexpr const char* PROMOTION = "k7/2P5/1K6/8/8/8/8/8 w - - 0 1";
// White mates in three, starting c5b6.
constexpr const char* MATE_IN_THREE = "k7/8/8/2K5/8/8/8/1R6 w - - 0 1";

struct TranscriptCase {
    const char* name;
    std::string input;
    std::string expected;  // after the banner
    std::map<std::string, std::string> files = {{"tarlowick.ini", UCI_INI}};
};

const TranscriptCase CASES[] = {
    {"Handshake", "uci\nisready\nquit\n", HANDSHAKE + "readyok\n"},
    {"OptionsShowTheSettingsLoaded", "uci\nquit\n", handshake(true, "openings.bin", false, false, "game.log", 3),
     {{"tarlowick.ini",
       "[ENGINE]\nHash=3\n[LOG]\nLogFile=game.log\n[BOOK]\nBook=1\nBookFile=openings.bin\nRandBook=0\n"}}},
    // A Hash key out of range gives the default, as the other keys do.
    {"HashKeyOutOfRangeGivesTheDefault", "uci\nquit\n", handshake(false, "book.bin", true, false, "tarlowick.log"),
     {{"tarlowick.ini", "[ENGINE]\nHash=1025\n[BOOK]\nBook=0\n"}}},
    // Mode lines are matched on their first three characters; "ucinewgame" enters as well.
    {"AnyLineBeginningWithUciEntersTheMode", "\n uci\nUCI\nucinewgame\nisready\nuci\nquit\n",
     "readyok\n" + HANDSHAKE},
    {"BlanksBetweenWordsDoNotMatter",
     "uci\n  isready \t\nposition   fen\t" + std::string(ONE_REPLY) + "\ngo   depth\t3  \nquit\n",
     HANDSHAKE + "readyok\ninfo depth 1 {line}\nbestmove h8h7\n"},
    {"UnknownAndIdleCommands", "uci\nfoo bar\nstop\nponderhit\ndebug on\nregister later\nquitx\nquit\nisready\n",
     HANDSHAKE + "info string unknown command: foo bar\ninfo string unknown command: quitx\n"},
    // Each refusal leaves the position of the last good command, which has one legal reply.
    {"RefusedPositionsKeepTheLastGoodOne",
     "uci\nposition fen " + std::string(ONE_REPLY) +
         "\nposition startpos moves e2e4 e7e4\nposition fen 8/8/8/8/8/8/8/8 w - - 0 1\nposition startpos junk\n"
         "position fen\nposition\ngo depth 3\nquit\n",
     HANDSHAKE +
         "info string illegal move: e7e4\ninfo string illegal position: 8/8/8/8/8/8/8/8 w - - 0 1\n"
         "info string position needs startpos or fen: startpos junk\n"
         "info string position needs startpos or fen: fen\ninfo string unknown command: position\n"
         "info depth 1 {line}\nbestmove h8h7\n"},
    // Castling as the king's move: the rooks must have moved too, or the rook moves after fail.
    // Promotion letters are lower case; an upper-case one is refused.
    {"CoordinateMoveText",
     "uci\nposition fen r3k3/8/8/8/8/8/8/4K2R w Kq - 0 1 moves e1g1 e8c8 f1f7 d8d1\nisready\n"
     "position fen " + std::string(PROMOTION) + " moves c7c8n\ngo depth 2\n"
     "position fen " + std::string(PROMOTION) + " moves c7c8q\ngo depth 2\n"
     "position fen " + std::string(PROMOTION) + " moves c7c8Q\ngo\nquit\n",
     HANDSHAKE + "readyok\ninfo depth 1 {line}\nbestmove a8b8\nbestmove 0000\ninfo string illegal move: c7c8Q\nbestmove 0000\n"},
    // Mated and stalemated: no move, also after "go infinite" has been stopped.
    {"NoLegalMove",
     "uci\nposition fen R5k1/5ppp/8/8/8/8/8/6K1 b - - 0 1\ngo depth 3\ngo infinite\nstop\n"
     "position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1\ngo wtime 1000 btime 1000\nquit\n",
     HANDSHAKE + "bestmove 0000\nbestmove 0000\nbestmove 0000\n"},
    // The search reads "isready" and answers it before its own answer.
    {"IsreadyWhileSearching", "uci\ngo infinite\nisready\nstop\nisready\nquit\n",
     HANDSHAKE + "readyok\ninfo depth 1 {line}\nbestmove {move}\nreadyok\n"},
    // "quit" stops the search, which answers; the lines after it are never read.
    {"QuitWhileSearching", "uci\ngo infinite\nquit\nisready\n", HANDSHAKE + "info depth 1 {line}\nbestmove {move}\n"},
    // Commands sent during a search run after its answer, in order.
    {"LinesDuringASearchRunAfterIt",
     "uci\ngo infinite\nposition fen " + std::string(ONE_REPLY) + "\nisready\nstop\ngo depth 4\nquit\n",
     HANDSHAKE + "readyok\ninfo depth 1 {line}\nbestmove {move}\ninfo depth 1 {line}\nbestmove h8h7\n"},
    {"EndOfInputStopsTheSearchAndEnds", "uci\ngo infinite\n", HANDSHAKE + "info depth 1 {line}\nbestmove {move}\n"},
    {"LastLineWithoutLineEndIsNotActedOn", "uci\nisready", HANDSHAKE},
    {"GoWithAnUnreadableNumber", "uci\nposition fen " + std::string(ONE_REPLY) + "\ngo depth x movetime 10\nquit\n",
     HANDSHAKE + "info string go: no number after depth\ninfo depth 1 {line}\nbestmove h8h7\n"},
    {"BookMoveAnsweredAtOnce",
     "uci\nposition startpos\ngo wtime 1000 btime 1000\ngo infinite\nstop\nposition startpos moves e2e4\ngo\n"
     "quit\n",
     BOOK_HANDSHAKE + "info string book move e2e4\nbestmove e2e4\ninfo depth 1 {line}\nbestmove {move}\ninfo depth 1 {line}\nbestmove {move}\n",
     {{"tarlowick.ini", BOOK_INI}, {"book.bin", oneEntryBook("e2e4")}}},
    {"RefusedBookMoveFallsBackToTheSearch", "uci\nposition startpos\ngo\nquit\n",
     BOOK_HANDSHAKE + "info string book move e2e5 refused by the position\ninfo depth 1 {line}\nbestmove {move}\n",
     {{"tarlowick.ini", BOOK_INI}, {"book.bin", oneEntryBook("e2e5")}}},
    {"OptionsTurnTheBookOnAndOff",
     "uci\nsetoption name OwnBook value true\nsetoption name BookRandom value false\nposition startpos\ngo\n"
     "setoption name ownbook value FALSE\ngo\nsetoption name OwnBook value true\n"
     "setoption name BookFile value missing.bin\ngo\nsetoption name BookFile value book.bin\ngo\nquit\n",
     HANDSHAKE + "info string book move e2e4\nbestmove e2e4\ninfo depth 1 {line}\nbestmove {move}\ninfo depth 1 {line}\nbestmove {move}\n"
                 "info string book move e2e4\nbestmove e2e4\n",
     {{"tarlowick.ini", UCI_INI}, {"book.bin", oneEntryBook("e2e4")}}},
    {"RefusedOptions",
     "uci\nsetoption name OwnBook value maybe\nsetoption name Threads value 4\nsetoption OwnBook\n"
     "setoption name BookFile value " + std::string(100, 'b') + "\nsetoption name OwnBook\n"
     "setoption name Hash value 0\nsetoption name Hash value 1025\nsetoption name Hash value 64MB\n"
     "setoption name Ponder value yes\nquit\n",
     HANDSHAKE + "info string option OwnBook cannot take the value maybe\n"
                 "info string option Threads: 4 is out of its range 1..1, set to 1\n"
                 "info string setoption needs a name: OwnBook\ninfo string option BookFile cannot take the value " +
         std::string(100, 'b') + "\ninfo string option OwnBook cannot take the value \n"
                                 "info string option Hash cannot take the value 0\n"
                                 "info string option Hash cannot take the value 1025\n"
                                 "info string option Hash cannot take the value 64MB\n"
                                 "info string option Ponder cannot take the value yes\n"},
    // The level clamps its Elo into range; a word is refused.
    {"PlayingStrengthOptions",
     "uci\nsetoption name UCI_LimitStrength value true\nsetoption name UCI_Elo value 100\n"
     "setoption name UCI_Elo value 99999\nsetoption name UCI_Elo value 1500\nsetoption name UCI_Elo value strong\n"
     "setoption name UCI_LimitStrength value maybe\nquit\n",
     HANDSHAKE + "info string option UCI_Elo: 100 is out of its range 600..2100, set to 600\n"
                 "info string option UCI_Elo: 99999 is out of its range 600..2100, set to 2100\n"
                 "info string option UCI_Elo cannot take the value strong\n"
                 "info string option UCI_LimitStrength cannot take the value maybe\n"},
};

void PrintTo(const TranscriptCase& c, std::ostream* out) { *out << c.name; }

class UciTranscript : public testing::TestWithParam<TranscriptCase> {};

TEST_P(UciTranscript, RepliesExactly) {
    const TranscriptCase& c = GetParam();
    expectSessionReplies(c.files, c.input, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Sessions, UciTranscript, testing::ValuesIn(CASES),
                         [](const testing::TestParamInfo<TranscriptCase>& test) { return test.param.name; });

// The game log records the game as the other loops do: a new game, the opponent's moves, the
// engine's moves (the book's among them). A position that does not continue the game (a
// take-back, another game) starts over unlogged; an answer to "go infinite" is no move.
TEST(UciGameLog, RecordsTheGame) {
    TempDir dir;
    writeFile(dir.file("tarlowick.ini"), "[LOG]\nLogGame=1\nLogFile=game.log\n[BOOK]\nRandBook=0\n");
    writeFile(dir.file("book.bin"), oneEntryBook("e2e4"));
    const Session session = runSession(
        dir, "uci\nucinewgame\nucinewgame\nposition startpos\ngo\nposition startpos moves e2e4 e7e5\ngo\n"
             "position startpos moves d2d4\ngo infinite\nstop\nposition fen " + std::string(ONE_REPLY) +
                 "\ngo depth 2\nucinewgame\nquit\n");
    expectTranscript(session.output, BANNER + handshake(true, "book.bin", false, true, "game.log") +
                                         "info string book move e2e4\nbestmove e2e4\ninfo depth 1 {line}\nbestmove {move}\n"
                                         "info depth 1 {line}\nbestmove {move}\ninfo depth 1 {line}\nbestmove h8h7\n");
    expectTranscript(readFile(dir.file("game.log")),
                     "\n ************* New Game ************* \nOpponent Name: \nmove e2e4\nusermove e7e5\n"
                     "info depth 1 {line}\nmove {move}\ninfo depth 1 {line}\ninfo depth 1 {line}\nmove h8h7\n"
                     "\n ************* New Game ************* \nOpponent Name: \n");
}

TEST(UciGameLog, OptionsOpenAndCloseIt) {
    TempDir dir;
    writeFile(dir.file("tarlowick.ini"), UCI_INI);
    const std::string unwritable = dir.file("no-such-folder/x.log");
    const Session session =
        runSession(dir, "uci\nsetoption name LogFile value my.log\nsetoption name GameLog value true\n"
                        "ucinewgame\nposition fen " + std::string(ONE_REPLY) + "\ngo\n"
                        "setoption name GameLog value false\nposition startpos moves e2e4\n"
                        "setoption name GameLog value true\nsetoption name LogFile value " + unwritable +
                        "\nposition startpos moves e2e4 e7e5\nquit\n");
    expectTranscript(session.output, BANNER + HANDSHAKE + "info depth 1 {line}\nbestmove h8h7\n"
                                         "info string cannot open the game log " + unwritable + "\n");
    expectTranscript(readFile(dir.file("my.log")),
                     "\n ************* New Game ************* \nOpponent Name: \ninfo depth 1 {line}\nmove h8h7\n");
}

// One "info" line: the fields in the order the engine writes them.
struct Info {
    int depth = 0;
    int multiPv = 0;  // 0: no multipv field
    std::string scoreKind;  // "cp" or "mate"
    int score = 0;
    std::string bound;  // "", "lowerbound" or "upperbound"
    long long time = -1, nodes = -1, nps = -1;
    std::vector<std::string> pv;
};

bool readInfo(const std::string& line, Info& info) {
    std::istringstream words(line);
    std::string word;
    if (!(words >> word) || word != "info" || !(words >> word) || word != "depth" || !(words >> info.depth)) return false;
    if (!(words >> word)) return false;
    if (word == "multipv" && (!(words >> info.multiPv) || !(words >> word))) return false;
    if (word != "score" || !(words >> info.scoreKind >> info.score)) return false;
    if (info.scoreKind != "cp" && info.scoreKind != "mate") return false;
    if (!(words >> word)) return false;
    if (word == "lowerbound" || word == "upperbound") {
        info.bound = word;
        if (!(words >> word)) return false;
    }
    if (word != "time" || !(words >> info.time)) return false;
    if (!(words >> word) || word != "nodes" || !(words >> info.nodes)) return false;
    if (!(words >> word) || word != "nps" || !(words >> info.nps)) return false;
    if (!(words >> word) || word != "pv") return false;
    while (words >> word) info.pv.push_back(word);
    return !info.pv.empty();
}

// The replies to one "go": its info lines, the move after "bestmove" and the one after "ponder".
struct SearchReply {
    std::vector<Info> infos;
    std::string best, ponder;
    std::vector<std::string> other;  // any other line
};

// "bestmove X" or "bestmove X ponder Y"; anything else leaves the reply's fields showing it.
void readBestMove(const std::string& line, SearchReply& reply) {
    std::istringstream words(line.substr(9));
    std::string word;
    words >> reply.best;
    if (words >> word) reply.ponder = word == "ponder" && (words >> reply.ponder) ? reply.ponder : "?" + word;
    if (words >> word) reply.ponder += " ?" + word;
}

// A UCI session that waits for each answer, as a front end does.
class UciSession : public LiveSession {
public:
    explicit UciSession(const std::string& ini) : LiveSession(ini) {
        send("uci\n");
        EXPECT_TRUE(waitFor("uciok\n"));
        searchFrom_ = output().size();
    }

    // Sends `lines` ending in a go and reads the replies up to its bestmove.
    SearchReply search(const std::string& lines) {
        send(lines);
        return answer();
    }

    // Reads the replies up to the next bestmove.
    SearchReply answer() {
        SearchReply reply;
        if (!waitFor("bestmove ") || !waitFor("\n")) {
            ADD_FAILURE() << "no bestmove:\n" << output();
            return reply;
        }
        const std::size_t end = output().size() - pending().size();
        std::istringstream text(output().substr(searchFrom_, end - searchFrom_));
        searchFrom_ = end;
        for (std::string line; std::getline(text, line);) {
            Info info;
            if (readInfo(line, info))
                reply.infos.push_back(info);
            else if (line.starts_with("bestmove "))
                readBestMove(line, reply);
            else
                reply.other.push_back(line);
        }
        return reply;
    }

    void skipTo() { searchFrom_ = output().size() - pending().size(); }

private:
    std::size_t searchFrom_ = 0;
};

// Every report of a finished iteration, depth by depth, and an answer that is the last line's
// first move and legal in `fen` after `moves`.
void expectSoundSearch(const SearchReply& reply, const std::string& fen, const std::vector<std::string>& moves,
                       int lastDepth) {
    EXPECT_TRUE(reply.other.empty()) << reply.other.front();
    ASSERT_FALSE(reply.infos.empty());
    setUp(fen, moves);
    int depth = 1;
    long long nodes = 0;
    for (const Info& info : reply.infos) {
        SCOPED_TRACE("info depth " + std::to_string(info.depth));
        EXPECT_TRUE(info.depth == depth || info.depth == depth + 1);  // a failed window repeats one
        depth = info.depth;
        EXPECT_GE(info.nodes, nodes);  // counted from the go on
        nodes = info.nodes;
        EXPECT_GE(info.time, 0);
        EXPECT_TRUE(playable(info.pv)) << info.pv.front();
    }
    EXPECT_EQ(reply.infos.front().depth, 2);
    if (lastDepth > 0) {
        EXPECT_EQ(depth, lastDepth);
    }
    EXPECT_EQ(reply.infos.back().bound, "");
    const std::vector<std::string>& pv = reply.infos.back().pv;
    EXPECT_EQ(reply.best, pv.front());
    EXPECT_TRUE(playable({reply.best})) << reply.best;
    // The reply the engine expects is the second move of its line, whenever the line has one.
    EXPECT_EQ(reply.ponder, pv.size() >= 2 ? pv[1] : "");
}

TEST(UciSearch, GoDepthReportsEveryIteration) {
    UciSession session(UCI_INI);
    const SearchReply reply = session.search("position startpos moves e2e4 e7e5 g1f3\ngo depth 5\n");
    expectSoundSearch(reply, "startpos", {"e2e4", "e7e5", "g1f3"}, 5);
    EXPECT_EQ(reply.infos.back().scoreKind, "cp");
    const Session end = session.finish();
    EXPECT_TRUE(end.exited);
    EXPECT_EQ(end.status, 0);
}

// Mates in moves, positive when the engine mates, negative when it is mated.
TEST(UciSearch, MateScoresInMoves) {
    UciSession session(UCI_INI);
    SearchReply reply = session.search("position fen " + std::string(MATE_IN_THREE) + "\ngo depth 8\n");
    expectSoundSearch(reply, MATE_IN_THREE, {}, 0);
    EXPECT_EQ(reply.infos.back().scoreKind, "mate");
    EXPECT_EQ(reply.infos.back().score, 3);
    EXPECT_EQ(reply.best, "c5b6");
    reply = session.search("position fen " + std::string(MATE_IN_THREE) + " moves c5b6\ngo depth 8\n");
    expectSoundSearch(reply, MATE_IN_THREE, {"c5b6"}, 0);
    EXPECT_EQ(reply.infos.back().scoreKind, "mate");
    EXPECT_EQ(reply.infos.back().score, -2);
}

// Without the time limit, depth 32 from here would take far longer than the session may.
TEST(UciSearch, MoveTimeEndsTheSearch) {
    UciSession session(UCI_INI);
    const SearchReply reply = session.search("position startpos\ngo movetime 300\n");
    expectSoundSearch(reply, "startpos", {}, 0);
}

TEST(UciSearch, ClockEndsTheSearch) {
    UciSession session(UCI_INI);
    const SearchReply reply =
        session.search("position startpos moves d2d4\ngo wtime 9000 btime 8000 winc 100 binc 100 movestogo 20\n");
    expectSoundSearch(reply, "startpos", {"d2d4"}, 0);
}

// "go infinite" answers only after "stop", and answers "isready" while it thinks.
TEST(UciSearch, InfiniteUntilStop) {
    UciSession session(UCI_INI);
    session.send("position startpos moves e2e4\ngo infinite\n");
    ASSERT_TRUE(session.waitFor("info depth 5 "));
    session.send("isready\n");
    ASSERT_TRUE(session.waitFor("readyok\n"));
    EXPECT_EQ(session.lastReply().find("bestmove"), std::string::npos) << session.lastReply();
    SearchReply reply = session.search("stop\n");
    EXPECT_EQ(reply.other, std::vector<std::string>{"readyok"});
    reply.other.clear();
    expectSoundSearch(reply, "startpos", {"e2e4"}, 0);
    session.send("isready\n");
    EXPECT_TRUE(session.waitFor("readyok\n"));
}

// A search that ends by itself (here at MaxDepth) still waits for "stop".
TEST(UciSearch, InfiniteWaitsForStopAfterTheLastDepth) {
    UciSession session("[ENGINE]\nMaxDepth=3\n[BOOK]\nBook=0\n");
    session.send("position startpos\ngo infinite\n");
    ASSERT_TRUE(session.waitFor("info depth 3 "));
    EXPECT_FALSE(session.waitFor("bestmove", std::chrono::milliseconds(300)));
    session.send("isready\n");
    ASSERT_TRUE(session.waitFor("readyok\n"));
    session.send("stop\n");
    ASSERT_TRUE(session.waitFor("bestmove "));
}

// Stopped before its first iteration is done, the search still answers a legal move, after one
// line with a score (a front end's last info line is its score).
TEST(UciSearch, StopBeforeTheFirstIteration) {
    UciSession session(UCI_INI);
    const SearchReply reply = session.search("position startpos moves g1f3 d7d5\ngo infinite\nstop\n");
    ASSERT_EQ(reply.infos.size(), 1u);
    EXPECT_EQ(reply.infos[0].depth, 1);
    EXPECT_EQ(reply.infos[0].scoreKind, "cp");
    EXPECT_EQ(reply.infos[0].pv.front(), reply.best);
    setUp("startpos", {"g1f3", "d7d5"});
    EXPECT_TRUE(playable({reply.best})) << reply.best;
}

// The engine plays both sides, as a front end sends the game, until one side is mated.
TEST(UciSearch, AGameToMate) {
    constexpr const char* QUEEN_AGAINST_KING = "8/8/8/3k4/8/8/8/Q3K3 w - - 0 1";
    UciSession session("[LOG]\nLogGame=1\nLogFile=game.log\n[BOOK]\nBook=0\n");
    session.send("ucinewgame\nisready\n");
    ASSERT_TRUE(session.waitFor("readyok\n"));
    session.skipTo();
    std::vector<std::string> moves;
    std::string played;
    for (int ply = 0; ply < 150; ++ply) {
        const SearchReply reply = session.search("position fen " + std::string(QUEEN_AGAINST_KING) +
                                                 (moves.empty() ? "" : " moves" + played) + "\ngo depth 7\n");
        if (reply.best == "0000") break;
        expectSoundSearch(reply, QUEEN_AGAINST_KING, moves, 0);  // a mate ends the deepening early
        if (testing::Test::HasFailure()) return;
        moves.push_back(reply.best);
        played += " " + reply.best;
    }
    setUp(QUEEN_AGAINST_KING, moves);
    EXPECT_EQ(currentPosition->sideToMove, 1u);
    EXPECT_FALSE(hasLegalMove());
    EXPECT_NE(ownKingAttackers(), 0u) << "not mate";
    const Session end = session.finish();
    EXPECT_EQ(end.status, 0);
    std::string logged = "\n ************* New Game ************* \nOpponent Name: \n";
    for (const std::string& move : moves) logged += "move " + move + "\n";
    std::string log = readFile(session.dir().file("game.log"));
    std::string moveLines;  // the log also holds the info lines
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);)
        if (!line.starts_with("info ")) moveLines += line + "\n";
    EXPECT_EQ(moveLines, logged);
}

}  // namespace

namespace {

using namespace std::chrono_literals;

// "go ponder" searches and does not answer; "ponderhit" makes it the search of the go's clock,
// counted from the hit.
TEST(UciPonder, HitTurnsItIntoTheTimedSearch) {
    UciSession session(UCI_INI);
    session.send("setoption name Ponder value true\nposition startpos moves e2e4 e7e5\n"
                 "go ponder wtime 3000 btime 3000\n");
    ASSERT_TRUE(session.waitFor("info depth 6 "));
    EXPECT_EQ(session.collect(500ms).find("bestmove"), std::string::npos);
    session.send("ponderhit\n");
    const auto hit = std::chrono::steady_clock::now();
    const SearchReply reply = session.answer();
    // 3 s less the reserve of 1 s over 25 moves: 80 ms.
    EXPECT_LT(std::chrono::steady_clock::now() - hit, 400ms);
    setUp("startpos", {"e2e4", "e7e5"});
    EXPECT_TRUE(playable({reply.best})) << reply.best;
    if (!reply.ponder.empty()) {
        EXPECT_TRUE(playable({reply.best, reply.ponder})) << reply.ponder;
    }
}

TEST(UciPonder, StopAnswersAtOnce) {
    UciSession session(UCI_INI);
    session.send("position startpos moves d2d4\ngo ponder wtime 60000 btime 60000\n");
    ASSERT_TRUE(session.waitFor("info depth 5 "));
    session.send("isready\n");
    ASSERT_TRUE(session.waitFor("readyok\n", 500ms));
    ASSERT_TRUE(session.waitFor("info depth 6 "));  // still pondering
    session.send("stop\n");
    const auto sent = std::chrono::steady_clock::now();
    const SearchReply reply = session.answer();
    EXPECT_LT(std::chrono::steady_clock::now() - sent, 300ms);
    setUp("startpos", {"d2d4"});
    EXPECT_TRUE(playable({reply.best})) << reply.best;
}

// A ponder search that has ended by itself (at MaxDepth) waits: a hit then answers at once.
TEST(UciPonder, AFinishedPonderSearchAnswersOnTheHit) {
    UciSession session("[ENGINE]\nMaxDepth=4\n[BOOK]\nBook=0\n");
    session.send("position startpos\ngo ponder wtime 60000 btime 60000\n");
    ASSERT_TRUE(session.waitFor("info depth 4 "));
    EXPECT_EQ(session.collect(300ms).find("bestmove"), std::string::npos);
    session.send("ponderhit\n");
    const auto sent = std::chrono::steady_clock::now();
    const SearchReply reply = session.answer();
    EXPECT_LT(std::chrono::steady_clock::now() - sent, 200ms);
    EXPECT_FALSE(reply.best.empty());
    EXPECT_FALSE(reply.ponder.empty());  // the line of depth 4 has a second move
}

}  // namespace

// ---- several lines and chosen root moves ----------------------------------------------------

// The info lines of each depth, in order.
std::map<int, std::vector<Info>> infosByDepth(const SearchReply& reply) {
    std::map<int, std::vector<Info>> depths;
    for (const Info& info : reply.infos) depths[info.depth].push_back(info);
    return depths;
}

// Each depth's `lines` lines, numbered 1.., best first, with distinct legal first moves, and
// the answer line 1 of the last depth.
void expectLines(const SearchReply& reply, const std::string& fen, const std::vector<std::string>& moves, int lines,
                 int lastDepth) {
    const auto depths = infosByDepth(reply);
    ASSERT_FALSE(depths.empty());
    EXPECT_EQ(depths.rbegin()->first, lastDepth);
    setUp(fen, moves);
    for (const auto& [depth, infos] : depths) {
        SCOPED_TRACE("depth " + std::to_string(depth));
        ASSERT_EQ(static_cast<int>(infos.size()), lines);
        std::set<std::string> firsts;
        for (int k = 0; k < lines; ++k) {
            EXPECT_EQ(infos[k].multiPv, k + 1);
            EXPECT_EQ(infos[k].bound, "");
            if (k > 0 && infos[k - 1].scoreKind == "cp" && infos[k].scoreKind == "cp") {
                EXPECT_GE(infos[k - 1].score, infos[k].score);
            }
            EXPECT_TRUE(playable(infos[k].pv)) << infos[k].pv.front();
            firsts.insert(infos[k].pv.front());
        }
        EXPECT_EQ(static_cast<int>(firsts.size()), lines);
    }
    EXPECT_EQ(reply.best, depths.rbegin()->second.front().pv.front());
    EXPECT_TRUE(reply.other.empty()) << reply.other.front();
}

TEST(UciMultiPv, ThreeLinesPerDepthAndNothingAfterBestmove) {
    UciSession session(UCI_INI);
    const SearchReply reply = session.search("setoption name MultiPV value 3\nposition startpos moves e2e4\ngo depth 5\n");
    expectLines(reply, "startpos", {"e2e4"}, 3, 5);
    session.send("isready\n");
    ASSERT_TRUE(session.waitFor("readyok\n"));
    EXPECT_EQ(session.lastReply(), "readyok\n") << "a line came after bestmove";
}

// Fewer legal moves than lines: each move once, at full depth.
TEST(UciMultiPv, FewerLegalMovesThanLines) {
    UciSession session(UCI_INI);
    const std::string fen = "4k3/8/8/8/8/8/3q4/4K2R w K - 0 1";  // Kxd2 and Kf1 only
    const SearchReply reply = session.search("setoption name MultiPV value 5\nposition fen " + fen + "\ngo depth 6\n");
    expectLines(reply, fen, {}, 2, 6);
    EXPECT_EQ(reply.best, "e1d2");
}

TEST(UciSearchMoves, OnlyTheChosenMovesAloneAndWithLines) {
    UciSession session(UCI_INI);
    const std::set<std::string> chosen = {"a2a3", "h2h3"};
    const SearchReply alone = session.search("position startpos\ngo depth 5 searchmoves a2a3 h2h3\n");
    EXPECT_TRUE(chosen.count(alone.best)) << alone.best;
    for (const Info& info : alone.infos) EXPECT_TRUE(chosen.count(info.pv.front())) << info.pv.front();
    EXPECT_EQ(alone.infos.back().depth, 5);

    const SearchReply lines =
        session.search("setoption name MultiPV value 3\nposition startpos\ngo searchmoves a2a3 h2h3 depth 4\n");
    expectLines(lines, "startpos", {}, 2, 4);
    for (const Info& info : lines.infos) EXPECT_TRUE(chosen.count(info.pv.front())) << info.pv.front();

    // The choice holds for one go only; a move that is not legal is reported and left out.
    const SearchReply next = session.search("setoption name MultiPV value 1\ngo depth 3 searchmoves e2e5 g1f3\n");
    EXPECT_EQ(next.other, std::vector<std::string>{"info string searchmoves: no legal move e2e5"});
    EXPECT_EQ(next.best, "g1f3");
    const SearchReply free = session.search("go depth 3\n");
    EXPECT_NE(free.infos.back().pv.front(), "");
}

// A nearly empty clock still gets one scored line before the move.
TEST(UciSearch, AlmostNoTimeStillSendsAScoredLine) {
    UciSession session(UCI_INI);
    const SearchReply reply = session.search("position startpos\ngo wtime 100 btime 100\n");
    ASSERT_FALSE(reply.infos.empty());
    EXPECT_EQ(reply.infos.back().pv.front(), reply.best);
    setUp("startpos", {});
    EXPECT_TRUE(playable({reply.best}));
}
