// The console's "annotate": the judging of a move from two scores, how scores are written, and
// whole games reviewed by the engine and read back by a real PGN client, pgn-extract.
#include "frontend/files/annotate.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "search/alphabeta.h"
#include "tests/frontend/support/test_files.h"
#include "tests/frontend/support/transcript.h"

namespace {

// ---- judging a move ------------------------------------------------------------------------

constexpr int mateIn(int moves) { return MATE_SCORE - (2 * moves - 1); }  // the mover mates
constexpr int matedIn(int moves) { return -(MATE_SCORE - 2 * moves); }   // the mover is mated

struct JudgeCase {
    const char* name;
    int best, played, nag;
};

const JudgeCase JUDGE_CASES[] = {
    {"SameScore", 35, 35, NAG_NONE},
    {"PlayedAboveBest", 10, 60, NAG_NONE},
    // Near equality the thresholds are about 55, 110 and 170 centipawns.
    {"SmallSlip", 20, -20, NAG_NONE},
    {"Inaccuracy", 30, -40, NAG_INACCURACY},
    {"Mistake", 50, -80, NAG_MISTAKE},
    {"Blunder", 20, -200, NAG_BLUNDER},
    {"HangingQueen", 0, -900, NAG_BLUNDER},
    // A won game stays won: the same centipawns cost few winning chances.
    {"WonGameStaysWon", 900, 700, NAG_NONE},
    {"LostGameStaysLost", -700, -900, NAG_NONE},
    {"WinThrownAway", 400, -100, NAG_BLUNDER},
    // Mates: given away, let in, slower, quicker to lose, or the same.
    {"MateGivenAway", mateIn(3), 500, NAG_BLUNDER},
    {"MateTurnedAround", mateIn(2), matedIn(4), NAG_BLUNDER},
    {"MateLetIn", -300, matedIn(5), NAG_BLUNDER},
    {"SlowerMate", mateIn(2), mateIn(5), NAG_INACCURACY},
    {"SameMate", mateIn(4), mateIn(4), NAG_NONE},
    {"QuickerLoss", matedIn(6), matedIn(2), NAG_INACCURACY},
    {"SlowerLoss", matedIn(2), matedIn(6), NAG_NONE},
    {"LostAnywayButSaved", matedIn(3), -400, NAG_NONE},
    {"MateFoundThatTheBestMissed", 200, mateIn(3), NAG_NONE},
};

class JudgeMove : public testing::TestWithParam<JudgeCase> {};

TEST_P(JudgeMove, MarksByWinningChancesAndMates) {
    const JudgeCase& c = GetParam();
    EXPECT_EQ(judgeMove(c.best, c.played), c.nag) << c.best << " " << c.played;
}

INSTANTIATE_TEST_SUITE_P(Scores, JudgeMove, testing::ValuesIn(JUDGE_CASES),
                         [](const auto& param) { return std::string(param.param.name); });

// The loss that makes the average: held to a thousand centipawns, a mate counting as that.
TEST(CentipawnLoss, IsHeldToAThousand) {
    EXPECT_EQ(centipawnLoss(40, -10), 50);
    EXPECT_EQ(centipawnLoss(-10, 40), 0);
    EXPECT_EQ(centipawnLoss(2500, 1500), 0);
    EXPECT_EQ(centipawnLoss(mateIn(2), 0), 1000);
    EXPECT_EQ(centipawnLoss(300, matedIn(1)), 1300);
    EXPECT_EQ(winningChances(0), 0);
    EXPECT_EQ(winningChances(5000), winningChances(1000));
    EXPECT_EQ(winningChances(-300), -winningChances(300));
}

// ---- writing scores and names --------------------------------------------------------------

struct ScoreCase {
    int score;
    bool whiteMoved;
    const char* text;
};

const ScoreCase SCORE_CASES[] = {
    {35, true, "+0.35"},      {35, false, "-0.35"},      {-120, true, "-1.20"},    {0, false, "0.00"},
    {-5, false, "+0.05"},     {1234, true, "+12.34"},    {mateIn(1), true, "#1"},  {mateIn(3), false, "-#3"},
    {matedIn(2), true, "-#2"}, {matedIn(1), false, "#1"},
};

class AnnotatedScore : public testing::TestWithParam<ScoreCase> {};

TEST_P(AnnotatedScore, IsWrittenFromWhitesSide) {
    const ScoreCase& c = GetParam();
    EXPECT_EQ(annotatedScore(c.score, c.whiteMoved), c.text);
}

INSTANTIATE_TEST_SUITE_P(Scores, AnnotatedScore, testing::ValuesIn(SCORE_CASES));

TEST(AnnotatedFileName, GoesBeforeTheExtension) {
    EXPECT_EQ(annotatedFileName("games.pgn"), "games-annotated.pgn");
    EXPECT_EQ(annotatedFileName("dir.v2/games.old.pgn"), "dir.v2/games.old-annotated.pgn");
    EXPECT_EQ(annotatedFileName("dir.v2/games"), "dir.v2/games-annotated");
    EXPECT_EQ(annotatedFileName("dir/.pgn"), "dir/.pgn-annotated");
}

// ---- the command in the engine -------------------------------------------------------------

constexpr const char* PGN_EXTRACT = "/usr/games/pgn-extract";
// Searches are cut by time, not depth, as when a person runs the command.
constexpr const char* TIMED_INI = "[ENGINE]\nMaxDepth=32\nPostThinking=0\n[BOOK]\nBook=0\n";

bool havePgnExtract() { return access(PGN_EXTRACT, X_OK) == 0; }

// The project's games, copied so that the default output lands in the scratch folder.
void copyGames(const TempDir& dir) {
    writeFile(dir.file("games.pgn"), readFile(TARLOWICK_TEST_DATA "/annotate/games.pgn"));
}

// The moves of every game in `file` as pgn-extract reads them, in coordinates, one game a
// line; `log` gets its diagnostics, which must be empty.
std::string movesByPgnExtract(const TempDir& dir, const std::string& file, std::string& log) {
    const std::string command = std::string(PGN_EXTRACT) + " -s -Wuci --notags -l" + dir.file("extract.log") +
                                " -o" + dir.file("extract.out") + " " + dir.file(file) + " 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    log = readFile(dir.file("extract.log"));
    std::string moves;
    std::istringstream in(readFile(dir.file("extract.out")));
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) moves += line + "\n";
    return moves;
}

// Annotates game `number` of the project's games, each position `seconds`; returns the
// console's output.
std::string annotate(const TempDir& dir, int number, const char* seconds, const char* ini = TIMED_INI) {
    copyGames(dir);
    return consoleSession(dir, "annotate games.pgn " + std::to_string(number) + " " + seconds + "\nquit\n", ini);
}

// The annotated game's movetext on one line.
std::string movetextOf(const std::string& pgn) {
    std::string text;
    std::istringstream in(pgn);
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '[') text += (text.empty() ? "" : " ") + line;
    return text;
}

// White hangs the queen and Black does not take it: both moves are blunders, and Black's
// variation is the capture.
TEST(AnnotateCommand, MarksAHangingQueenWithItsRefutation) {
    TempDir dir;
    const std::string output = annotate(dir, 1, "0.2");
    EXPECT_NE(output.find("\n2. Qg4 "), std::string::npos) << output;
    EXPECT_NE(output.find(" blunder (best "), std::string::npos) << output;
    EXPECT_NE(output.find("2... a6 "), std::string::npos) << output;
    EXPECT_NE(output.find("annotate: game 1 of games.pgn appended to games-annotated.pgn in "), std::string::npos);
    const std::string pgn = readFile(dir.file("games-annotated.pgn"));
    EXPECT_NE(pgn.find("[White \"Careless\"]\n[Black \"Blind\"]\n[Result \"*\"]\n[Annotator \"tarlowick 0.06\"]\n\n"),
              std::string::npos)
        << pgn;
    const std::string movetext = movetextOf(pgn);
    EXPECT_NE(movetext.find("2. Qg4 $4 {"), std::string::npos) << movetext;
    EXPECT_NE(movetext.find("2... a6 $4 {"), std::string::npos) << movetext;
    EXPECT_NE(movetext.find("(2... Bxg4 "), std::string::npos) << movetext;
    EXPECT_NE(movetext.find("{White: 0 inaccuracies, 0 mistakes, 1 blunder, average centipawn loss "),
              std::string::npos)
        << movetext;
    EXPECT_TRUE(movetext.ends_with(" *")) << movetext;
}

// A review is the engine's own judgement at full strength, whatever level it plays at; the level
// stays on afterwards.
TEST(AnnotateCommand, ReviewsAtFullStrengthWhateverTheLevel) {
    TempDir dir;
    copyGames(dir);
    const std::string output = consoleSession(dir, "annotate games.pgn 1 0.2\noptions\nquit\n",
                                              "[ENGINE]\nMaxDepth=32\nPostThinking=0\nLimitStrength=1\nElo=600\n"
                                              "[BOOK]\nBook=0\n");
    const std::string movetext = movetextOf(readFile(dir.file("games-annotated.pgn")));
    EXPECT_NE(movetext.find("(2... Bxg4 "), std::string::npos) << movetext;
    EXPECT_EQ(movetext.find("/1}"), std::string::npos) << movetext;  // the weakest level searches one ply
    EXPECT_NE(output.find("UCI_LimitStrength true"), std::string::npos) << output;
}

// A main line played by masters: every move scored, none a blunder, and pgn-extract reads the
// same moves from the annotated game as from the original.
TEST(AnnotateCommand, LeavesAQuietGameUnmarkedAndReadable) {
    TempDir dir;
    const std::string output = annotate(dir, 2, "0.1");
    EXPECT_EQ(output.find("blunder ("), std::string::npos) << output;
    const std::string pgn = readFile(dir.file("games-annotated.pgn"));
    EXPECT_EQ(pgn.find("$4"), std::string::npos) << pgn;
    EXPECT_NE(movetextOf(pgn).find("8... O-O {"), std::string::npos) << pgn;
    if (!havePgnExtract()) GTEST_SKIP() << "pgn-extract is not installed";
    writeFile(dir.file("quiet.pgn"), "1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 4. Ba4 Nf6 5. O-O Be7 6. Re1 b5 7. Bb3 d6 "
                                     "8. c3 O-O *\n");
    std::string log;
    EXPECT_EQ(movesByPgnExtract(dir, "games-annotated.pgn", log), movesByPgnExtract(dir, "quiet.pgn", log));
    EXPECT_EQ(log, "");
}

// A game from a FEN with Black to move: its tags kept, its move numbers as they were.
TEST(AnnotateCommand, StartsFromTheGamesPosition) {
    TempDir dir;
    const std::string output = annotate(dir, 3, "0.1");
    EXPECT_TRUE(output.starts_with("23... Kf6 ")) << output;
    const std::string pgn = readFile(dir.file("games-annotated.pgn"));
    EXPECT_NE(pgn.find("[SetUp \"1\"]\n[FEN \"8/5pk1/6p1/8/8/6P1/3r1PK1/4R3 b - - 0 23\"]\n"), std::string::npos);
    const std::string movetext = movetextOf(pgn);
    EXPECT_TRUE(movetext.starts_with("23... Kf6 {")) << movetext;
    EXPECT_NE(movetext.find("} 24. Re3 {"), std::string::npos) << movetext;
    EXPECT_NE(movetext.find("} 24... Kf5 {"), std::string::npos) << movetext;
    EXPECT_NE(movetext.find("} 25. Kf3 {"), std::string::npos) << movetext;
    if (!havePgnExtract()) GTEST_SKIP() << "pgn-extract is not installed";
    std::string log;
    EXPECT_EQ(movesByPgnExtract(dir, "games-annotated.pgn", log), "g7f6 e1e3 f6f5 g2f3 *\n");
    EXPECT_EQ(log, "");
}

// Mates are written as #N from White's side: letting one in is a blunder.
TEST(AnnotateCommand, WritesMatesFromWhitesSide) {
    TempDir dir;
    annotate(dir, 4, "0.1");
    const std::string movetext = movetextOf(readFile(dir.file("games-annotated.pgn")));
    EXPECT_NE(movetext.find("2. g4 $4 {-#1/"), std::string::npos) << movetext;
    EXPECT_NE(movetext.find("2... Qh4# {-#1/"), std::string::npos) << movetext;
    EXPECT_TRUE(movetext.ends_with(" 0-1")) << movetext;
}

// The game's own comments, NAGs and variations come back as written, in their places.
TEST(AnnotateCommand, KeepsTheGamesOwnCommentsAndVariations) {
    TempDir dir;
    writeFile(dir.file("own.pgn"), readFile(TARLOWICK_TEST_DATA "/dialects/annotated.pgn"));
    const std::string output = consoleSession(dir, "annotate own.pgn 1 0.05 out.pgn\nquit\n", TIMED_INI);
    const std::string pgn = readFile(dir.file("out.pgn"));
    ASSERT_FALSE(pgn.empty()) << output;
    const std::string movetext = movetextOf(pgn);
    // Each move's own text follows the engine's comment, whatever the engine marks.
    const char* const kept[] = {
        "{The Two Knights, with the main line and the side lines kept apart.} 1. e4 ",
        "3... Nf6 ",
        "} $5 (3... Bc5 4. c3 (4. b4 {the Evans} Bxb4 5. c3) 4... Nf6)",
        "4... d5 ",
        "} $1",
        "5... Na5 ",
        "} {the knight goes to the rim}",
        "7... bxc6 ",
        "} (7... Nxc6 $6)",
        "8... h6 ",
        "} {Black has play for the pawn}",
        "10... Bd6 ",
        "} (10... Qd4 11. f4 (11. Ng4 Bxg4 12. Bxg4 Nxg4 13. Qxg4 1-0) 11... Bc5)",
        "11. d4 ",
        "} $14",
        "{White: ",
    };
    std::size_t at = 0;
    for (const char* text : kept) {
        const std::size_t found = movetext.find(text, at);
        EXPECT_NE(found, std::string::npos) << text << "\n" << movetext;
        if (found != std::string::npos) at = found;
    }
    EXPECT_TRUE(movetext.ends_with(" 1-0")) << movetext;
    if (!havePgnExtract()) GTEST_SKIP() << "pgn-extract is not installed";
    std::string log;
    const std::string annotated = movesByPgnExtract(dir, "out.pgn", log);
    EXPECT_EQ(log, "");
    const std::string original = movesByPgnExtract(dir, "own.pgn", log);
    EXPECT_EQ(annotated, original.substr(0, original.find('\n') + 1));
}

// The book's moves are marked as such and not scored.
TEST(AnnotateCommand, MarksBookMoves) {
    TempDir dir;
    copyGames(dir);
    writeFile(dir.file("book.bin"), oneEntryBook("e2e4"));
    const std::string output =
        consoleSession(dir, "annotate games.pgn 2 0.05\nquit\n", "[ENGINE]\nMaxDepth=32\nPostThinking=0\n");
    EXPECT_TRUE(output.starts_with("1. e4 book\n1... e5 ")) << output;
    EXPECT_NE(movetextOf(readFile(dir.file("games-annotated.pgn"))).find("1. e4 {book} 1... e5 {"),
              std::string::npos);
}

// Every game goes after what the file held; the console's game is as it was.
TEST(AnnotateCommand, AppendsAndLeavesTheConsolesGameAlone) {
    TempDir dir;
    copyGames(dir);
    writeFile(dir.file("out.pgn"), "[Event \"earlier\"]\n\n1. d4 *\n\n");
    const std::string output = consoleSession(
        dir, "e2e4\ne7e5\nannotate games.pgn 4 0.05 out.pgn\nannotate games.pgn 3 0.05 out.pgn\npgn after.pgn\nquit\n");
    const std::string pgn = readFile(dir.file("out.pgn"));
    EXPECT_TRUE(pgn.starts_with("[Event \"earlier\"]\n\n1. d4 *\n\n[Event \"Fool's mate\"]\n")) << pgn;
    EXPECT_NE(pgn.find("\n\n[Event \"From a position\"]\n"), std::string::npos) << pgn;
    EXPECT_NE(readFile(dir.file("after.pgn")).find("\n\n1. e4 e5 *\n\n"), std::string::npos) << output;
}

// Bad input is named with the file, the game and the move, and nothing is written.
TEST(AnnotateCommand, RefusesBadInputAndWritesNothing) {
    TempDir dir;
    copyGames(dir);
    const std::string output = consoleSession(dir,
                                              "annotate missing.pgn\n"
                                              "annotate games.pgn 9\n"
                                              "annotate games.pgn 5 0.05\n"
                                              "annotate games.pgn 1 0.05 nowhere/out.pgn\n"
                                              "annotate games.pgn 1 0.05 .\n"
                                              "annotate games.pgn 0\n"
                                              "annotate games.pgn 1 0\n"
                                              "annotate games.pgn 1 0.001\n"
                                              "annotate games.pgn 1 x\n"
                                              "annotate games.pgn 1 1 out.pgn extra\n"
                                              "quit\n");
    EXPECT_EQ(output,
              "Error (cannot read missing.pgn): No such file or directory\n" + PROMPT +
                  "Error (no game 9 in games.pgn)\n" + PROMPT +
                  "Error (illegal move in game 5 of games.pgn): 3. Ke3 (line 53)\n" + PROMPT +
                  "Error (cannot write nowhere/out.pgn): No such file or directory\n" + PROMPT +
                  "Error (cannot write .): Is a directory\n" + PROMPT + "Error (bad game number): 0\n" + PROMPT +
                  "Error (seconds must be a number above 0, with at most two decimals): 0\n" + PROMPT +
                  "Error (seconds must be a number above 0, with at most two decimals): 0.001\n" + PROMPT +
                  "Error (seconds must be a number above 0, with at most two decimals): x\n" + PROMPT +
                  "Error (usage): annotate FILE [N] [SECONDS] [OUT]\n" + PROMPT);
    EXPECT_FALSE(std::filesystem::exists(dir.file("games-annotated.pgn")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing-annotated.pgn")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.pgn")));
}

}  // namespace
