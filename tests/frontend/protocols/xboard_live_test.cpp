// Protocol sessions that wait for the engine, as xboard does: analysis that follows the front
// end, moving on demand, commands that arrive while the engine thinks, and pondering.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tests/frontend/support/live_session.h"
#include "tests/frontend/support/transcript.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* NO_BOOK_INI = "[ENGINE]\nPostThinking=1\n[BOOK]\nBook=0\n";
constexpr const char* ITALIAN = "r1bqkbnr/pppp1ppp/2n5/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R b KQkq - 3 3";
// Mate in one for white: a1a8.
constexpr const char* BACK_RANK = "6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1";

// The move of the first "move X" line in `text`, or "".
std::string engineMoveIn(const std::string& text) {
    const std::size_t at = text.find("move ");
    if (at == std::string::npos) return "";
    const std::size_t end = text.find_first_of(" \n", at + 5);
    return text.substr(at + 5, end - at - 5);
}

// A protocol session, past the handshake.
class XboardSession : public LiveSession {
public:
    explicit XboardSession(const std::string& ini = NO_BOOK_INI, const std::map<std::string, std::string>& more = {})
        : LiveSession(withIni(ini, more)) {
        send("xboard\nprotover 2\n");
        EXPECT_TRUE(waitFor("done=1\n"));
    }

    // Sends "ping N" and waits for its pong; what came before it is then lastReply().
    bool sync(int n) {
        send("ping " + std::to_string(n) + "\n");
        return waitFor("pong " + std::to_string(n) + "\n");
    }

    // Waits for a thinking line of `depth` or deeper; returns the text up to it.
    bool waitForDepth(int depth, std::chrono::milliseconds limit = 30s) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        std::string seen;
        while (std::chrono::steady_clock::now() < deadline) {
            if (!waitFor("\n", left(deadline))) return false;
            seen += lastReply();
            ThinkingLine line;
            if (readThinkingLine(lastReply(), line) && line.depth >= depth) {
                since_ = seen;
                return true;
            }
        }
        return false;
    }

    // Waits for the engine's next "move" line and returns its move, or "" when none comes in
    // time. The text up to it is then since().
    std::string waitForMove(std::chrono::milliseconds limit = 30s) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        std::string seen;
        while (std::chrono::steady_clock::now() < deadline) {
            if (!waitFor("\n", left(deadline))) return "";
            seen += lastReply();
            if (lastReply().starts_with("move ")) {
                since_ = seen;
                return engineMoveIn(lastReply());
            }
        }
        return "";
    }

    // The text the last waitForDepth or waitForMove went through.
    const std::string& since() const { return since_; }

private:
    static std::chrono::milliseconds left(std::chrono::steady_clock::time_point deadline) {
        const auto rest = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        return std::max(rest, std::chrono::milliseconds(1));
    }
    static std::map<std::string, std::string> withIni(const std::string& ini, std::map<std::string, std::string> files) {
        files["tarlowick.ini"] = ini;
        return files;
    }
    std::string since_;
};

// Every thinking line of `text` starts with a move that is legal in `fen` after `moves`.
void expectLinesLegalIn(const std::string& text, const std::string& fen, const std::vector<std::string>& moves) {
    setUp(fen, moves);
    for (const ThinkingLine& line : thinkingLines(text))
        EXPECT_TRUE(playable({line.pv.front()})) << "depth " << line.depth << " starts with " << line.pv.front();
}

TEST(XboardAnalysis, DeepensWithoutInputUntilExitStopsIt) {
    XboardSession session;
    session.send("post\nanalyze\n");
    ASSERT_TRUE(session.waitForDepth(7)) << session.output();
    expectLinesLegalIn(session.since(), "startpos", {});

    session.send("exit\n");
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_TRUE(session.waitFor("#DEBUG exit da polling\n", 2s));
    EXPECT_LT(std::chrono::steady_clock::now() - sent, 500ms);
    // No thinking line after the exit: only the pong.
    ASSERT_TRUE(session.sync(1));
    EXPECT_EQ(session.lastReply(), "pong 1\n");
    EXPECT_TRUE(thinkingLines(session.collect(300ms)).empty());
}

// The analysis follows every position the front end sets up, and the board stays where the
// moves left it when the analysis ends. A line the engine wrote before it read the command may
// still arrive after it; the ping after each command marks where the new position's lines begin.
TEST(XboardAnalysis, FollowsMovesUndoNewAndSetboard) {
    XboardSession session;
    int pings = 0;
    // Sends `command`, then a ping, and returns the analysis that follows the pong to `depth`.
    auto analysisAfter = [&](const std::string& command, const std::string& reply = "") {
        session.send(command + "\nping " + std::to_string(++pings) + "\n");
        EXPECT_TRUE(session.waitFor("pong " + std::to_string(pings) + "\n"));
        EXPECT_NE(session.lastReply().find(reply), std::string::npos) << session.lastReply();
        EXPECT_TRUE(session.waitForDepth(5));
        return session.since();
    };
    session.send("post\nanalyze\n");
    ASSERT_TRUE(session.waitForDepth(5));

    expectLinesLegalIn(analysisAfter("usermove e2e4"), "startpos", {"e2e4"});
    expectLinesLegalIn(analysisAfter("usermove e2e5", "Illegal move: e2e5\n"), "startpos", {"e2e4"});  // not black's
    expectLinesLegalIn(analysisAfter("usermove e7e5"), "startpos", {"e2e4", "e7e5"});
    expectLinesLegalIn(analysisAfter("undo"), "startpos", {"e2e4"});
    expectLinesLegalIn(analysisAfter(std::string("setboard ") + ITALIAN), ITALIAN, {});
    expectLinesLegalIn(analysisAfter("setboard nonsense", "tellusererror Illegal position\n"), "startpos", {});

    // A new game is analysed too; the engine plays no side in it.
    expectLinesLegalIn(analysisAfter("usermove d2d4\nnew"), "startpos", {});
    const std::string afterG1f3 = analysisAfter("usermove g1f3");
    expectLinesLegalIn(afterG1f3, "startpos", {"g1f3"});
    EXPECT_EQ(afterG1f3.find("move "), std::string::npos);

    // After exit the board is the one the moves left: "go" plays black's reply to g1f3.
    session.send("exit\n");
    ASSERT_TRUE(session.waitFor("#DEBUG exit da polling\n"));
    session.send("sd 3\ngo\n");
    const std::string reply = session.waitForMove();
    setUp("startpos", {"g1f3"});
    EXPECT_TRUE(playable({reply})) << reply;
}

// "." is answered with the protocol's status line, ping at once, and both leave the analysis
// running; a command the analysis does not know is answered as ever and the analysis goes on.
TEST(XboardAnalysis, StatusPingAndOtherCommandsKeepItRunning) {
    XboardSession session;
    session.send("post\nanalyze\n");
    ASSERT_TRUE(session.waitForDepth(4));
    session.send(".\n");
    ASSERT_TRUE(session.waitFor("stat01: "));
    ASSERT_TRUE(session.waitFor("\n"));
    int time = -1, depth = -1, left = -1, total = -1;
    long long nodes = -1;
    ASSERT_EQ(std::sscanf(session.lastReply().c_str(), "%d %lld %d %d %d", &time, &nodes, &depth, &left, &total), 5)
        << session.lastReply();
    EXPECT_GE(time, 0);
    EXPECT_GT(nodes, 0);
    EXPECT_GE(depth, 4);
    EXPECT_EQ(total, 20);  // legal moves in the start position
    EXPECT_LE(left, total);

    session.send("ping 5\n");
    ASSERT_TRUE(session.waitFor("pong 5\n", 500ms));
    ASSERT_TRUE(session.waitForDepth(depth + 1));

    session.send("computer\n");
    ASSERT_TRUE(session.waitFor("Error (unknown command): computer\n"));
    ASSERT_TRUE(session.waitForDepth(5));
    session.send("quit\n");
    const auto sent = std::chrono::steady_clock::now();
    const Session end = session.finish();
    EXPECT_LT(std::chrono::steady_clock::now() - sent, 2s);
    EXPECT_TRUE(end.exited);
    EXPECT_EQ(end.status, 0);
}

// An analysis ends by itself on a mate, at the depth limit or after the time of "st"; the engine
// stays in analysis mode and takes the next position.
TEST(XboardAnalysis, EndsByItselfAndStaysInAnalysisMode) {
    XboardSession session;
    session.send(std::string("post\nsetboard ") + BACK_RANK + "\nanalyze\n");
    ASSERT_TRUE(session.waitFor(" 1. a1a8 \n"));  // the mate, cut to its one move
    EXPECT_TRUE(thinkingLines(session.collect(300ms)).empty());

    session.send("usermove a1a8\n");  // mate: nothing to analyse
    ASSERT_TRUE(session.waitFor("1-0 {White mates}\n"));
    session.send("undo\nusermove g1f1\nsd 4\n");
    ASSERT_TRUE(session.waitForDepth(4));
    expectLinesLegalIn(session.since(), BACK_RANK, {"g1f1"});
    EXPECT_TRUE(thinkingLines(session.collect(300ms)).empty());  // the depth limit

    session.send("sd 32\nst 1\n");
    ASSERT_TRUE(session.waitFor("#DEBUG movetime:1\n"));
    session.send("usermove g8f8\n");
    ASSERT_TRUE(session.waitForDepth(3));
    session.collect(1500ms);
    EXPECT_TRUE(thinkingLines(session.collect(500ms)).empty());  // one second, then no more

    // st as analysis reads it: a bad number gets the two lines, no number nothing.
    session.send("st 0\nst\nexit\n");
    ASSERT_TRUE(session.waitFor("#DEBUG exit da polling\n"));
    EXPECT_EQ(session.lastReply(),
              "Error (movetime out of bound): Insert movetime > 0 \n"
              "tellusererror Error (movetime out of bound): Insert movetime > 0 \n#DEBUG exit da polling\n");
}

// The clock of the last game move is no limit for an analysis.
TEST(XboardAnalysis, TheLastMovesAllocationDoesNotCutItShort) {
    XboardSession session("[ENGINE]\nPostThinking=0\n[BOOK]\nBook=0\n");
    session.send("new\nlevel 0 0:02 0\ntime 150\notim 150\nusermove e2e4\n");
    ASSERT_TRUE(session.waitFor("allocated time: 2\n"));
    ASSERT_NE(session.waitForMove(), "");
    session.send("force\npost\nanalyze\n");
    ASSERT_TRUE(session.waitForDepth(7));
}

TEST(XboardAnalysis, BookMovesAndHint) {
    XboardSession session("[ENGINE]\nPostThinking=1\n[BOOK]\nRandBook=0\n", {{"book.bin", oneEntryBook("e2e4")}});
    session.send("post\nanalyze\n");
    ASSERT_TRUE(session.waitForDepth(4));
    session.send("bk\n");
    ASSERT_TRUE(session.waitFor(" e2e4 100.00%\n\n"));
    session.send("hint\n");
    ASSERT_TRUE(session.waitFor("Hint: "));
    ASSERT_TRUE(session.waitFor("\n"));
    setUp("startpos", {});
    EXPECT_TRUE(playable({session.lastReply().substr(0, session.lastReply().size() - 1)})) << session.lastReply();
    session.send("usermove e2e4\nbk\n");
    ASSERT_TRUE(session.waitFor(" no book moves\n\n"));
}

// "?" plays the move of the last iteration that ran to the end, at once.
// MultiPV from the option xboard sends: three lines per depth, best first.
TEST(XboardAnalysis, MultiPvShowsThreeLinesPerDepth) {
    XboardSession session;
    session.send("option MultiPV=3\npost\nsetboard " + std::string(ITALIAN) + "\nanalyze\n");
    ASSERT_TRUE(session.waitForDepth(6));
    auto depths = thinkingByDepth(session.since());
    depths.erase(depths.rbegin()->first);  // the deepest may still be on its way
    expectLinesPerDepth(depths, 3);
    expectLinesLegalIn(session.since(), ITALIAN, {});
    session.send("exit\n");
    ASSERT_TRUE(session.waitFor("#DEBUG exit da polling\n"));
}

// exclude and include during an analysis: it starts again on the new set, and a new position
// allows every move again.
TEST(XboardAnalysis, ExcludeAndIncludeRestartTheAnalysis) {
    XboardSession session;
    int pings = 0;
    auto linesAfter = [&](const std::string& command) {
        session.send(command + "\nping " + std::to_string(++pings) + "\n");
        EXPECT_TRUE(session.waitFor("pong " + std::to_string(pings) + "\n"));
        EXPECT_TRUE(session.waitForDepth(5));
        return thinkingLines(session.since());
    };
    session.send("post\nanalyze\n");
    ASSERT_TRUE(session.waitForDepth(5));
    const std::string best = thinkingLines(session.since()).back().pv.front();

    for (const ThinkingLine& line : linesAfter("exclude " + best)) EXPECT_NE(line.pv.front(), best);
    for (const ThinkingLine& line : linesAfter("exclude all\ninclude h2h3")) EXPECT_EQ(line.pv.front(), "h2h3");
    bool other = false;
    for (const ThinkingLine& line : linesAfter("include all")) other |= line.pv.front() != "h2h3";
    EXPECT_TRUE(other) << "include all gives every move back";
    // A new position: every move allowed again, so black's moves are analysed.
    session.send("exclude all\ninclude a2a3\n");
    const std::vector<ThinkingLine> black = linesAfter("usermove e2e4");
    EXPECT_FALSE(black.empty());
    expectLinesLegalIn(session.since(), "startpos", {"e2e4"});
    session.send("exit\n");
    ASSERT_TRUE(session.waitFor("#DEBUG exit da polling\n"));
}

TEST(XboardMoveNow, PlaysTheBestMoveSoFar) {
    XboardSession session;
    session.send("post\nst 60\nnew\ngo\n");
    ASSERT_TRUE(session.waitForDepth(6));
    session.send("?\n");
    const auto sent = std::chrono::steady_clock::now();
    const std::string played = session.waitForMove(2s);
    ASSERT_NE(played, "");
    EXPECT_LT(std::chrono::steady_clock::now() - sent, 500ms);
    // The last thinking line before the move is the last finished iteration.
    const std::vector<ThinkingLine> lines = thinkingLines(session.output());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(played, lines.back().pv.front());
    ASSERT_TRUE(session.sync(1));
}

// Polling input during a search changes nothing it finds: the same search under the console,
// which reads no input while it thinks, gives the same thinking lines, time aside.
TEST(XboardMoveNow, PollingLeavesTheSearchUnchanged) {
    constexpr const char* INI = "[ENGINE]\nMaxDepth=7\nPostThinking=1\n[BOOK]\nBook=0\n";
    XboardSession xboard(INI);
    xboard.send(std::string("setboard ") + ITALIAN + "\ngo\n");
    const std::string polledMove = xboard.waitForMove();
    LiveSession console{std::string(INI)};
    console.send(std::string("console\nfen ") + ITALIAN + "\ngo\n");
    ASSERT_TRUE(console.waitFor("\nmove "));
    ASSERT_TRUE(console.waitFor("\n"));
    const std::string quietMove = engineMoveIn("move " + console.lastReply());

    const std::vector<ThinkingLine> polled = thinkingLines(xboard.output()), quiet = thinkingLines(console.output());
    ASSERT_EQ(polled.size(), quiet.size());
    for (std::size_t i = 0; i < polled.size(); ++i) {
        EXPECT_EQ(polled[i].depth, quiet[i].depth);
        EXPECT_EQ(polled[i].score, quiet[i].score);
        EXPECT_EQ(polled[i].nodes, quiet[i].nodes);
        EXPECT_EQ(polled[i].pv, quiet[i].pv);
    }
    EXPECT_EQ(polledMove, quietMove);
}

// Commands that take the engine out of the game stop its search without a move; the board is
// the one before it, so the front end's and the engine's stay the same. Every other command is
// answered once the move is made.
TEST(XboardWhileThinking, CommandsThatLeaveTheGameStopTheSearchWithoutAMove) {
    struct Case {
        const char* command;
        const char* reply;       // what the command itself prints
        const char* nextMove;    // a move the side to move then has (the engine's side: no move was made)
    } cases[] = {
        {"force", "#DEBUG force\n", "usermove e7e5"},
        {"exit", "DEBUG exit\n", "usermove e7e5"},
        {"result 1-0 {White resigns}", "Error (unknown command): result 1-0 {White resigns}\n", ""},
        {"undo", "", "usermove d2d4"},
        {"setboard 4k3/8/8/8/8/8/8/4K2R w K - 0 1", "", "usermove e1g1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        XboardSession session;
        session.send("st 60\nnew\nusermove e2e4\n");
        ASSERT_TRUE(session.waitForDepth(5));
        session.send(std::string(c.command) + "\n");
        ASSERT_TRUE(session.sync(1));
        EXPECT_EQ(session.lastReply().find("move "), std::string::npos) << session.lastReply();
        EXPECT_NE(session.lastReply().find(c.reply), std::string::npos) << session.lastReply();
        if (c.nextMove[0] != '\0') {
            session.send(std::string("force\n") + c.nextMove + "\n");
            ASSERT_TRUE(session.sync(2));
            EXPECT_EQ(session.lastReply().find("Illegal"), std::string::npos) << session.lastReply();
        } else {
            // The game is over: no search starts again.
            EXPECT_TRUE(thinkingLines(session.collect(300ms)).empty());
        }
    }
}

TEST(XboardWhileThinking, NewAndQuitLeaveTheGameAtOnce) {
    {
        XboardSession session;
        session.send("st 60\nnew\nusermove e2e4\n");
        ASSERT_TRUE(session.waitForDepth(5));
        session.send("new\nsd 3\nusermove d2d4\n");  // the new game's first move, answered as black
        const std::string reply = session.waitForMove();
        setUp("startpos", {"d2d4"});
        EXPECT_TRUE(playable({reply})) << reply;
    }
    XboardSession session;
    session.send("st 60\nnew\nusermove e2e4\n");
    ASSERT_TRUE(session.waitForDepth(5));
    session.send("quit\n");
    const auto sent = std::chrono::steady_clock::now();
    const Session end = session.finish();
    EXPECT_LT(std::chrono::steady_clock::now() - sent, 2s);
    EXPECT_EQ(end.output.find("\nmove "), std::string::npos);
    EXPECT_EQ(end.status, 0);
}

// A ping sent while the engine thinks is answered after its move, as the protocol asks.
TEST(XboardWhileThinking, OtherCommandsWaitForTheMove) {
    XboardSession session("[ENGINE]\nPostThinking=1\n[BOOK]\nBook=0\n");
    session.send("st 1\nnew\nusermove e2e4\n");
    ASSERT_TRUE(session.waitForDepth(3));
    session.send("ping 4\nnopost\n");
    ASSERT_TRUE(session.waitFor("pong 4\n"));
    EXPECT_NE(session.lastReply().find("\nmove "), std::string::npos) << session.lastReply();
}

// Lines that had already arrived when the search began were sent by a script, not by a front
// end that saw the engine thinking: they wait for the move.
TEST(XboardWhileThinking, LinesSentBeforeTheSearchWaitForTheMove) {
    constexpr const char* INI = "[ENGINE]\nMaxDepth=3\nPostThinking=0\n[BOOK]\nBook=0\n";
    expectSessionReplies({{"tarlowick.ini", INI}}, "xboard\nnew\ngo\nforce\nping 1\nquit\n",
                         "#DEBUG move speed: 15  allocated time: 24000\nmove {move}\n#DEBUG force\npong 1\n");
}

// "?" with nothing to hurry changes nothing and gets no reply; hard and easy get none either.
TEST(XboardMoveNow, IsIgnoredWhenTheEngineIsNotThinking) {
    expectSessionReplies({{"tarlowick.ini", NO_BOOK_INI}}, "xboard\n?\nhard\neasy\n?\nping 1\nquit\n", "pong 1\n");
}

// "level" with a fractional increment keeps it to the centisecond, as the allocation shows.
TEST(XboardLevel, FractionalIncrement) {
    struct Case {
        const char* level;
        const char* echo;
        const char* allocation;
    } cases[] = {
        // 30000 cs, speed 20: 1500, plus the increment of 125 cs.
        {"level 40 5 1.25", "#DEBUG level:40 5 1.25", "#DEBUG move speed: 20  allocated time: 1625"},
        // A short clock: 6000 less the reserve, speed 25: 236, plus 50.
        {"level 0 1 0.5", "#DEBUG level:0 1 0.5", "#DEBUG move speed: 25  allocated time: 286"},
        // Digits past the hundredths are dropped: 0.125 is 12 cs.
        {"level 0 5 0.125", "#DEBUG level:0 5 0.125", "#DEBUG move speed: 20  allocated time: 1512"},
        {"level 0 5 2", "#DEBUG level:0 5 2", "#DEBUG move speed: 20  allocated time: 1700"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        expectSessionReplies({{"tarlowick.ini", "[ENGINE]\nMaxDepth=2\nPostThinking=0\n[BOOK]\nBook=0\n"}},
                             std::string("xboard\nforce\n") + c.level + "\ngo\n",
                             std::string("#DEBUG force\n") + c.echo + "\n" + c.allocation + "\nmove {move}\n");
    }
    expectSessionReplies({{"tarlowick.ini", NO_BOOK_INI}}, "xboard\nlevel 0 5 0.\nlevel 0 5 .5\nlevel 0 5 -1.5\nquit\n",
                         "Error (unreadable number): level 0 5 0.\nError (unreadable number): level 0 5 .5\n"
                         "Error (unreadable number): level 0 5 -1.5\n");
}

// Processor time the engine uses from now on, measured until it reaches `enough` seconds or
// `limit` has passed. A busy machine only slows the count: idle stays near zero.
double cpuUsedWithin(pid_t pid, double enough, std::chrono::milliseconds limit) {
    const double start = cpuSeconds(pid);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline && cpuSeconds(pid) - start < enough)
        std::this_thread::sleep_for(50ms);
    return cpuSeconds(pid) - start;
}

// With "hard" the engine thinks on the opponent's time; with "easy" it sits idle.
TEST(XboardPondering, HardThinksAfterTheMoveAndEasyDoesNot) {
    for (const bool hard : {true, false}) {
        SCOPED_TRACE(hard ? "hard" : "easy");
        XboardSession session("[ENGINE]\nPostThinking=0\n[BOOK]\nBook=0\n");
        session.send(std::string(hard ? "hard" : "easy") + "\nnew\nlevel 0 1 0\nusermove e2e4\n");
        ASSERT_NE(session.waitForMove(), "");
        std::this_thread::sleep_for(100ms);
        if (hard)
            EXPECT_GE(cpuUsedWithin(session.pid(), 0.5, 10s), 0.5);
        else
            EXPECT_LT(cpuUsedWithin(session.pid(), 0.5, 1s), 0.05);
        EXPECT_EQ(session.collect(0ms).find("move "), std::string::npos);  // never a move while pondering
        ASSERT_TRUE(session.sync(1));
    }
}

// A ponder session: the engine's first move as black, and the reply it ponders on.
struct PonderStart {
    std::string played;    // the engine's answer to e2e4
    std::string expected;  // the move named by "Hint:"
};

PonderStart startPondering(XboardSession& session) {
    session.send("hard\npost\nnew\nlevel 0 1 0\ntime 6000\notim 6000\nusermove e2e4\n");
    PonderStart start;
    start.played = session.waitForMove();
    EXPECT_TRUE(session.waitFor("Hint: "));
    EXPECT_TRUE(session.waitFor("\n"));
    start.expected = session.lastReply();
    start.expected.pop_back();
    return start;
}

// The expected reply arrives: the running search becomes the engine's own, timed from the move.
TEST(XboardPondering, HitPlaysWithinTheAllocationFromTheMovesArrival) {
    XboardSession session;
    const PonderStart start = startPondering(session);
    ASSERT_TRUE(session.waitForDepth(6));
    EXPECT_EQ(session.since().find("move "), std::string::npos);
    session.send("time 5900\notim 5800\nusermove " + start.expected + "\n");
    const auto sent = std::chrono::steady_clock::now();
    ASSERT_TRUE(session.waitFor("#DEBUG move speed: "));
    ASSERT_TRUE(session.waitFor("\n"));
    int allocated = 0;
    ASSERT_EQ(std::sscanf(session.lastReply().c_str(), "%*d  allocated time: %d", &allocated), 1);
    const std::string reply = session.waitForMove();
    const auto took = std::chrono::steady_clock::now() - sent;
    EXPECT_LT(took, std::chrono::milliseconds(allocated * 10 + 300));
    setUp("startpos", {"e2e4", start.played, start.expected});
    EXPECT_TRUE(playable({reply})) << reply;
}

// Any other move stops the pondering; the engine searches the real position.
TEST(XboardPondering, MissSearchesTheRealPosition) {
    XboardSession session;
    const PonderStart start = startPondering(session);
    ASSERT_TRUE(session.waitForDepth(5));
    setUp("startpos", {"e2e4", start.played});
    std::string other;
    for (const char* candidate : {"a2a3", "h2h3", "a2a4"})
        if (start.expected != candidate && playable({candidate})) other = candidate;
    session.send("time 5900\notim 5800\nusermove " + other + "\n");
    ASSERT_TRUE(session.waitFor("#DEBUG move speed: "));
    const std::string reply = session.waitForMove();
    setUp("startpos", {"e2e4", start.played, other});
    EXPECT_TRUE(playable({reply})) << reply;
}

// A ping is answered at once and the pondering goes on; "easy" ends it.
TEST(XboardPondering, PingIsAnsweredAndPonderingGoesOn) {
    XboardSession session;
    startPondering(session);
    ASSERT_TRUE(session.waitForDepth(4));
    session.send("ping 7\n");
    ASSERT_TRUE(session.waitFor("pong 7\n", 500ms));
    ASSERT_TRUE(session.waitForDepth(6));
    session.send("easy\n");
    session.collect(200ms);
    EXPECT_LT(cpuUsedWithin(session.pid(), 0.5, 500ms), 0.05);
}

// Without a move it expects (a book move has no line) the engine does not ponder.
TEST(XboardPondering, NoExpectedReplyNoPondering) {
    XboardSession session("[ENGINE]\nPostThinking=1\n[BOOK]\nRandBook=0\n", {{"book.bin", oneEntryBook("e2e4")}});
    session.send("hard\nnew\ngo\n");
    ASSERT_TRUE(session.waitFor("move e2e4\n"));
    std::this_thread::sleep_for(100ms);
    EXPECT_LT(cpuUsedWithin(session.pid(), 0.5, 500ms), 0.05);
    EXPECT_EQ(session.collect(0ms).find("Hint"), std::string::npos);
}

}  // namespace
