// Hostile input and long runs through the built engine: nothing may crash it, hang it, corrupt
// its state or make it play an illegal move.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "board/attacks.h"
#include "board/fen.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "movegen/movegen.h"
#include "tests/frontend/support/engine_process.h"
#include "tests/frontend/support/test_files.h"
#include "tests/frontend/support/transcript.h"

namespace {

const std::string MILLION(1000000, 'a');

struct HostileCase {
    const char* name;
    std::string input;
    std::string expected;  // after the banner
};

const HostileCase HOSTILE[] = {
    // A NUL byte ends what the command reads; a line of NUL is an unknown command.
    {"NulBytes", std::string("xboard\nping\0 1\nping 2\0\n\0\nquit\n", 26),
     "pong\npong 2\nError (unknown command): \n"},
    {"NulBytesBeforeAModeWord", std::string("\0xboard\nxbo\0ard\nquit\n", 21), ""},
    {"BinaryGarbage", "xboard\n\xff\xfe\x01garbage\n\x1b[2J\n\t\n \nquit\n",
     "Error (unknown command): \xff\xfe\x01garbage\nError (unknown command): \x1b[2J\nError (unknown command): \t\n"
     "Error (unknown command):  \n"},
    {"MillionCharacterLines", "xboard\n" + MILLION + "\nping 3\nusermove e2e4" + MILLION + "\nping 4\nquit\n",
     "Error (unknown command): " + MILLION + "\npong 3\nIllegal move: e2e4" + MILLION + "\npong 4\n"},
    {"NumbersFarOutOfRange",
     "xboard\nsd -1\nsd 2147483648\nsd -2147483649\nst 0\nst 99999999999\nst -99999999999\ntime 4294967296\n"
     "otim -4294967296\nlevel 40 99999999999 0\nlevel 99999999999 5 0\nping 1\nquit\n",
     "Error (depth out of bound): Insert depth between 2 and 32\n"
     "tellusererror Error (depth out of bound): Insert depth between 2 and 32\n"
     "Error (unreadable number): sd 2147483648\nError (unreadable number): sd -2147483649\n"
     "Error (movetime out of bound): Insert movetime > 0 \n"
     "tellusererror Error (movetime out of bound): Insert movetime > 0 \n"
     "Error (unreadable number): st 99999999999\nError (unreadable number): st -99999999999\n"
     "Error (unreadable number): time 4294967296\nError (unreadable number): otim -4294967296\n"
     "Error (unreadable number): level 40 99999999999 0\nError (unreadable number): level 99999999999 5 0\n"
     "pong 1\n"},
    // Clocks that are legal numbers but absurd still leave the engine a legal move to play.
    {"AbsurdClocksStillGiveALegalMove", "xboard\nnew\nforce\ntime -500\notim 2147483647\ngo\nquit\n",
     "#DEBUG force\n#DEBUG time:-500\n#DEBUG otim:2147483647\n{line}\nmove {move}\n"},
    {"BrokenFenFields",
     "xboard\nsetboard 4k3/8/8/8/8/8/8/4K3 x - - 0 1\nsetboard 4k3/8/8/8/8/8/8/9 w - - 0 1\n"
     "setboard 4k3/8/8/8/8/8/8/4K3 w KX - 0 1\nsetboard 4k3/8/8/8/8/8/8/4K3 w - e4 0 1\n"
     "setboard 4k3/8/8/8/8/8/8/4K3 w - - 999 1\nsetboard 4k3/8/8/8/8/8/8/4K3 w - - 0 banana\n"
     "setboard 8/8/8/8/8/8/8/8 w - - 0 1\nsetboard\nping 1\nquit\n",
     "tellusererror Illegal position\ntellusererror Illegal position\ntellusererror Illegal position\n"
     "tellusererror Illegal position\ntellusererror Illegal position\ntellusererror Illegal position\n"
     "tellusererror Illegal position\npong 1\n"},
    // After a refused position the engine plays on the start position it was left with.
    {"GoAfterARefusedSetboard", "xboard\nnew\nforce\nsetboard 4k3/8/8/8/8/8/8/4K3 w - - 101 1\ngo\nquit\n",
     "#DEBUG force\ntellusererror Illegal position\n#DEBUG move speed: 15  allocated time: 24000\nmove {move}\n"},
    {"MovesOffTheBoard",
     "xboard\nusermove a0a1\nusermove h9h8\nusermove i2i4\nusermove e2e4Q\nusermove e2\nusermove\nping 1\nquit\n",
     "Illegal move: a0a1\nIllegal move: h9h8\nIllegal move: i2i4\nIllegal move: e2e4Q\nIllegal move: e2\n"
     "Illegal move: \npong 1\n"},
    // Commands arriving in the middle of a game: undo and remove past the first record, a new
    // position, a new game; each leaves a state the next move is checked against.
    {"CommandsInTheMiddleOfAGame",
     "xboard\nnew\nforce\nusermove e2e4\nusermove e7e5\nundo\nundo\nundo\nremove\nusermove e7e5\nusermove e2e4\n"
     "setboard 4k3/8/8/8/8/8/4P3/4K3 w - - 0 1\nusermove e7e5\nusermove e2e4\nnew\nusermove e2e5\nquit\n",
     "#DEBUG force\nIllegal move: e7e5\nIllegal move: e7e5\nIllegal move: e2e5\n"},
    // Input that stops in the middle of a line: the unfinished command is not acted on.
    {"InputEndingInTheMiddleOfALine", "xboard\nnew\nusermove e2e4", ""},
    {"ConsoleGarbage", "cons\n\xff\x01\nsd\nst\nsd 99999999999\nquit\n",
     "\nWelcome in tarlowick (x86)\ntype \"help\" to show commands list\n\ntarlowick> Error (unknown command): \xff\x01\n"
     "\ntarlowick> Error: insert a number between 2 and 32 \n\ntarlowick> Error: insert a number > 0 \n"
     "\ntarlowick> Error: insert a number between 2 and 32 \n\ntarlowick> "},
};

class HostileInput : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileInput, IsAnsweredAndSurvived) {
    const HostileCase& c = GetParam();
    TempDir dir;
    writeFile(dir.file("tarlowick.ini"), PLAIN_INI);
    const Session session = runSession(dir, c.input);
    EXPECT_TRUE(session.exited);
    EXPECT_EQ(session.status, 0);
    if (c.expected.size() > 100000) {
        EXPECT_EQ(session.output, BANNER + c.expected);  // no placeholders; compared without the matcher
    } else {
        expectTranscript(session.output, BANNER + c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Inputs, HostileInput, testing::ValuesIn(HOSTILE),
                         [](const testing::TestParamInfo<HostileCase>& param) { return std::string(param.param.name); });

// A game far past 600 plies: random legal moves that never capture, check or repeat a
// placement, and push a pawn whenever the fifty-move count grows long, played into the engine in force
// mode; then the engine moves from the final position.
std::vector<std::string> longQuietGame(int plies) {
    std::mt19937 random(600);
    setStartPosition();
    std::vector<std::string> game;
    while (static_cast<int>(game.size()) < plies) {
        Move moves[MAX_MOVES];
        int count = 0;
        generateAllMoves(moves, count);
        std::vector<Move> pawnMoves, others;
        for (int i = 0; i < count; ++i) {
            if (moveKind(moves[i]) & 8) continue;  // no captures: keep the pieces on the board
            if (moveKind(moves[i]) == PROMOTION) continue;
            makeMove(moves[i]);
            const bool legal = opponentKingAttackers() == 0;
            // No checks either, so that the game stays calm and never runs into forced captures.
            const bool fresh = currentPosition->repetition == 0 && ownKingAttackers() == 0;
            Move replies[MAX_MOVES];
            int replyCount = 0;
            generateAllMoves(replies, replyCount);
            takeBack();
            if (!legal || !fresh || replyCount == 0) continue;
            (moveKind(moves[i]) == PAWN_PUSH ? pawnMoves : others).push_back(moves[i]);
        }
        const bool needPawn = currentPosition->rule50 > 80 || others.empty();
        const std::vector<Move>& pool = needPawn && !pawnMoves.empty() ? pawnMoves : others;
        if (pool.empty()) break;
        const Move move = pool[random() % pool.size()];
        char text[6];
        moveToText(text, move, *currentPosition);
        if (text[4] == ' ') text[4] = '\0';
        game.emplace_back(text);
        makeMove(move);
    }
    return game;
}

TEST(LongRuns, AGameOfMoreThan600Plies) {
    const std::vector<std::string> game = longQuietGame(700);
    ASSERT_GE(game.size(), 650u) << "the generator ran out of quiet moves";
    std::string input = "xboard\nnew\nforce\n";
    for (const std::string& move : game) input += "usermove " + move + "\n";
    input += "sd 3\ngo\nping 1\nquit\n";
    TempDir dir;
    writeFile(dir.file("tarlowick.ini"), PLAIN_INI);
    const Session session = runSession(dir, input);
    EXPECT_TRUE(session.exited);
    EXPECT_EQ(session.output.find("Illegal move"), std::string::npos) << session.output.substr(0, 2000);
    // The engine's reply must be legal in the final position.
    const std::size_t at = session.output.rfind("\nmove ");
    ASSERT_NE(at, std::string::npos) << session.output.substr(session.output.size() - 500);
    const std::string reply = session.output.substr(at + 6, 5);
    ASSERT_TRUE(longQuietGame(static_cast<int>(game.size())).size() == game.size());
    EXPECT_EQ(parseMove(reply.c_str()), 1) << reply;
    EXPECT_NE(session.output.find("pong 1"), std::string::npos);
}

// Open descriptors and resident memory of a running engine, from /proc.
int descriptorsOf(pid_t pid) {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd"))
        ++count;
    return count;
}

long residentKilobytes(pid_t pid) {
    const std::string status = readFile("/proc/" + std::to_string(pid) + "/status");
    const std::size_t at = status.find("VmRSS:");
    return at == std::string::npos ? -1 : std::stol(status.substr(at + 6));
}

// A thousand games in one process, each ending in a result, with the game log and a book on:
// the open files and the memory stay as they were after the first hundred.
TEST(LongRuns, AThousandGamesInOneProcess) {
    TempDir dir;
    writeFile(dir.file("tarlowick.ini"),
              "[ENGINE]\nMaxDepth=2\nPostThinking=1\n[LOG]\nLogGame=1\nLogFile=games.log\n[BOOK]\nBook=1\n"
              "BookFile=book.bin\nRandBook=1\n");
    writeFile(dir.file("book.bin"), oneEntryBook("e2e4"));
    EngineProcess engine(dir.path);
    engine.send("xboard\n");
    // The engine takes white's move from the book, then white mates in force mode and the result
    // line ends the game.
    const std::string game =
        "new\nname sparring partner\ngo\nforce\nusermove f7f6\nusermove d2d4\nusermove g7g5\nusermove d1h5\n";
    int descriptorsAfter100 = 0;
    [[maybe_unused]] long memoryAfter100 = 0;
    for (int played = 1; played <= 1000; ++played) {
        engine.send(game + "ping " + std::to_string(played) + "\n");
        if (played % 100 == 0) {
            ASSERT_TRUE(engine.waitFor("pong " + std::to_string(played) + "\n")) << "game " << played;
            const pid_t pid = engine.pid();
            if (played == 100) {
                descriptorsAfter100 = descriptorsOf(pid);
                memoryAfter100 = residentKilobytes(pid);
            } else {
                EXPECT_EQ(descriptorsOf(pid), descriptorsAfter100) << "after game " << played;
#ifndef __SANITIZE_ADDRESS__
                // Under AddressSanitizer the allocator's quarantine and shadow pages grow the
                // resident set without a leak; there its leak check fails the exit status instead.
                EXPECT_LE(residentKilobytes(pid), memoryAfter100 + 512) << "after game " << played;
#endif
            }
            engine.output.clear();
        }
    }
    const Session session = engine.finish();
    EXPECT_TRUE(session.exited);
    EXPECT_EQ(session.status, 0);
    const std::string log = readFile(dir.file("games.log"));
    std::size_t results = 0;
    for (std::size_t at = log.find("1-0 {White mates}"); at != std::string::npos; at = log.find("1-0 {White mates}", at + 1))
        ++results;
    EXPECT_EQ(results, 1000u);
}

}  // namespace
