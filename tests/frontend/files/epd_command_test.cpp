// EPD lines read on their own, and the console's "epd" command run over suites in the engine.
#include "frontend/files/epd.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/frontend/support/engine_process.h"
#include "tests/frontend/support/test_files.h"
#include "tests/frontend/support/transcript.h"

namespace {

// ---- reading one line ----------------------------------------------------------------------

struct EpdCase {
    const char* text;
    const char* fen;  // null: the line is refused
    std::vector<std::string> best, avoid;
    const char* id;
};

const EpdCase EPD_CASES[] = {
    {"6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - bm Ra8#; id \"mate\";", "6k1/5ppp/8/8/8/8/5PPP/R5K1 w - -", {"Ra8#"}, {}, "mate"},
    // Quoted strings keep their blanks and semicolons; unknown opcodes are skipped.
    {"6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - c0 \"a; b\"; bm Ra8# Rb1; am Kf1 ; id \"x; y z\"; acd 12;",
     "6k1/5ppp/8/8/8/8/5PPP/R5K1 w - -", {"Ra8#", "Rb1"}, {"Kf1"}, "x; y z"},
    // Runs of blanks, no operation at all, the last one closed by the line end.
    {"  4k3/8/8/8/8/8/8/4K3   b  -  - ", "4k3/8/8/8/8/8/8/4K3 b - -", {}, {}, ""},
    {"4k3/8/8/8/8/8/8/4K3 w - - bm Kd1", "4k3/8/8/8/8/8/8/4K3 w - -", {"Kd1"}, {}, ""},
    // The halfmove count goes to the position.
    {"4k3/8/8/8/8/8/8/4K3 w - - hmvc 12; bm Kd1;", "4k3/8/8/8/8/8/8/4K3 w - - 12", {"Kd1"}, {}, ""},
    {"4k3/8/8/8/8/8/8/4K3 w -", nullptr, {}, {}, ""},
    {"", nullptr, {}, {}, ""},
    {"4k3/8/8/8/8/8/8/4K3 w - - bm Kd1; 5;", nullptr, {}, {}, ""},
    // An empty operation is no operation.
    {"4k3/8/8/8/8/8/8/4K3 w - - ; bm Kd1;", "4k3/8/8/8/8/8/8/4K3 w - -", {"Kd1"}, {}, ""},
    {"4k3/8/8/8/8/8/8/4K3 w - - id \"unclosed;", nullptr, {}, {}, ""},
    // Suites as they circulate: the Bratko-Kopec form, check signs and annotations set apart
    // from their move, tabs, CR, commas between moves.
    {"1k1r4/pp1b1R2/3q2pp/4p3/2B5/4Q3/PPP2B2/2K5 b - - ; bm Qd1 + ; id BK.01",
     "1k1r4/pp1b1R2/3q2pp/4p3/2B5/4Q3/PPP2B2/2K5 b - -", {"Qd1+"}, {}, "BK.01"},
    {"4k3/8/8/8/8/8/8/4K3 w - - bm Kd1 # !? Kf1 ;; am Ke2 ?\r", "4k3/8/8/8/8/8/8/4K3 w - -", {"Kd1#!?", "Kf1"},
     {"Ke2?"}, ""},
    {"4k3/8/8/8/8/8/8/4K3\tw\t-\t-\tbm\tKd1,Kf1, Kf2 ,\tKe2;\tid\t\"tabs\"", "4k3/8/8/8/8/8/8/4K3 w - -",
     {"Kd1", "Kf1", "Kf2", "Ke2"}, {}, "tabs"},
    {"4k3/8/8/8/8/8/8/4K3 w - - bm exd6 e.p.;", "4k3/8/8/8/8/8/8/4K3 w - -", {"exd6 e.p."}, {}, ""},
    {"4k3/8/8/8/8/8/8/4K3 w - - bm + Kd1;", "4k3/8/8/8/8/8/8/4K3 w - -", {"+", "Kd1"}, {}, ""},  // nothing to join
    // A full FEN's move counts, and the counting opcodes.
    {"4k3/8/8/8/8/8/8/4K3 w - - 3 40 bm Kd1;", "4k3/8/8/8/8/8/8/4K3 w - - 3 40", {"Kd1"}, {}, ""},
    {"4k3/8/8/8/8/8/8/4K3 w - - 3 40; bm Kd1;", "4k3/8/8/8/8/8/8/4K3 w - - 3 40", {"Kd1"}, {}, ""},
    {"4k3/8/8/8/8/8/8/4K3 w - - 3 40 hmvc 7; bm Kd1;", "4k3/8/8/8/8/8/8/4K3 w - - 7 40", {"Kd1"}, {}, ""},
    {"4k3/8/8/8/8/8/8/4K3 w - - fmvn 31; bm Kd1;", "4k3/8/8/8/8/8/8/4K3 w - - 0 31", {"Kd1"}, {}, ""},
    {"4k3/8/8/8/8/8/8/4K3 w - - 3", nullptr, {}, {}, ""},  // one count alone: which?
    {"4k3/8/8/8/8/8/8/4K3 w - - 3 bm Kd1;", nullptr, {}, {}, ""},
};

class ReadEpdLine : public testing::TestWithParam<EpdCase> {};

TEST_P(ReadEpdLine, ReadsFieldsAndOperations) {
    const EpdCase& c = GetParam();
    EpdLine line;
    std::string error;
    const int read = readEpdLine(c.text, line, error);
    if (c.fen == nullptr) {
        EXPECT_EQ(read, 0) << c.text;
        EXPECT_FALSE(error.empty());
        return;
    }
    ASSERT_EQ(read, 1) << c.text << ": " << error;
    EXPECT_EQ(line.fen, c.fen);
    EXPECT_EQ(line.bestMoves, c.best);
    EXPECT_EQ(line.avoidMoves, c.avoid);
    EXPECT_EQ(line.id, c.id);
}

INSTANTIATE_TEST_SUITE_P(Lines, ReadEpdLine, testing::ValuesIn(EPD_CASES));

// ---- the console command -------------------------------------------------------------------

std::vector<std::string> outputLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The lines of the project's suite, by number (1 for the first).
std::string suiteLines(std::initializer_list<int> numbers) {
    const std::vector<std::string> suite = outputLines(readFile(TARLOWICK_TEST_DATA "/tactics.epd"));
    std::string text;
    for (int number : numbers) text += suite.at(static_cast<std::size_t>(number - 1)) + "\n";
    return text;
}

// The mates in one of the suite are found at the first depth, whatever the machine's speed.
TEST(EpdCommand, SolvesTheSuitesMatesInOne) {
    TempDir dir;
    writeFile(dir.file("mates.epd"), suiteLines({2, 3, 9, 10, 12, 17}));
    const std::string output = consoleSession(dir, "epd mates.epd 1\nquit\n");
    expectTranscript(output,
                     "tactics.02: Nf7# score mate 1 depth 2 solved\n"
                     "tactics.03: Ra8# score mate 1 depth 2 solved\n"
                     "tactics.09: Qxf7# score mate 1 depth 2 solved\n"
                     "tactics.10: Qh4# score mate 1 depth 2 solved\n"
                     "tactics.12: Ra1# score mate 1 depth 2 solved\n"
                     "tactics.17: Qxd8# score mate 1 depth 2 solved\n"
                     "epd: solved 6 of 6 in {time} s\n" +
                         PROMPT);
}

// Lines that cannot be used are named by their number and skipped; the others still run.
TEST(EpdCommand, ReportsUnreadableLinesAndGoesOn) {
    TempDir dir;
    writeFile(dir.file("mixed.epd"),
              "6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - bm Ra8#; id \"good\";\n"
              "garbage\n"
              "\n"
              "8/8/8/8/8/8/8/8 w - - bm Ka1;\n"
              "6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - bm Qh5;\n"
              "6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - id \"unclosed;\n"
              "6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - id \"none\";\n"
              "7k/5Q2/6K1/8/8/8/8/8 b - - bm Kg8;\n"
              "6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - am Ra8#;\r\n"
              "rnb1kbnr/pppp1ppp/8/4p1q1/4P3/3P4/PPP2PPP/RNBQKBNR w KQkq - am Nf3; id \"avoid\";\n"
              "4k3/8/8/8/8/8/8/4K3 w -\n"
              "4k3/8/8/8/8/8/8/4K3 w - - bm Kd1; 5;\n");
    const std::vector<std::string> lines = outputLines(consoleSession(dir, "epd mixed.epd 1\nquit\n"));
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[0], "good: Ra8# score mate 1 depth 2 solved");
    EXPECT_EQ(lines[1], "Error (line 2 of mixed.epd): fewer than four FEN fields");
    EXPECT_EQ(lines[2], "Error (line 4 of mixed.epd): illegal position: 8/8/8/8/8/8/8/8 w - -");
    EXPECT_EQ(lines[3], "Error (line 5 of mixed.epd): no such legal move: Qh5");
    EXPECT_EQ(lines[4], "Error (line 6 of mixed.epd): a quoted string is not closed");
    EXPECT_EQ(lines[5], "Error (line 7 of mixed.epd): neither bm nor am");
    EXPECT_EQ(lines[6], "Error (line 8 of mixed.epd): no legal move in the position");
    EXPECT_EQ(lines[7], "line 9: Ra8# score mate 1 depth 2 not solved (am Ra8#)");
    EXPECT_TRUE(lines[8].starts_with("avoid: Bxg5 score ") && lines[8].ends_with(" depth 2 solved")) << lines[8];
    EXPECT_EQ(lines[9], "Error (line 11 of mixed.epd): fewer than four FEN fields");
    EXPECT_EQ(lines[10], "Error (line 12 of mixed.epd): not an opcode: 5");
    EXPECT_TRUE(transcript_detail::matches(lines[11] + "\n", "epd: solved 2 of 3, 8 lines skipped in {time} s\n"))
        << lines[11];
}

// The game, the position and the settings are as before the command.
TEST(EpdCommand, LeavesTheGameAndSettingsAlone) {
    TempDir dir;
    writeFile(dir.file("one.epd"), suiteLines({4}));
    const std::string output =
        consoleSession(dir, "e2e4\ne7e5\nst 7\nsd 5\nepd one.epd 1\nb\nparam\npgn after.pgn\nquit\n");
    const std::string afterE5 =
        diagram({"tcadract", "pppp ppp", "        ", "    p   ", "    P   ", "        ", "PPPP PPP", "TCADRACT"});
    const std::size_t total = output.find("epd: solved 1 of 1 in ");
    ASSERT_NE(total, std::string::npos) << output;
    EXPECT_EQ(output.substr(output.find('\n', total) + 1, PROMPT.size() + afterE5.size()), PROMPT + afterE5);
    EXPECT_NE(output.find("Depht:              5\n"), std::string::npos) << output;
    EXPECT_NE(output.find("postThinking:       0\n"), std::string::npos) << output;
    EXPECT_NE(output.find("moveTime:           7 s\n"), std::string::npos) << output;
    EXPECT_NE(readFile(dir.file("after.pgn")).find("\n\n1. e4 e5 *\n\n"), std::string::npos);
}

TEST(EpdCommand, RefusesBadArguments) {
    TempDir dir;
    writeFile(dir.file("one.epd"), suiteLines({3}));
    const std::string output =
        consoleSession(dir, "epd one.epd 0\nepd one.epd x\nepd one.epd -2\nepd one.epd\nepd one.epd 1 2\n"
                            "epd missing.epd 1\nepd . 1\nquit\n");
    EXPECT_EQ(output, "Error (seconds must be a whole number above 0): 0\n" + PROMPT +
                          "Error (seconds must be a whole number above 0): x\n" + PROMPT +
                          "Error (seconds must be a whole number above 0): -2\n" + PROMPT +
                          "Error (usage): epd FILE SECONDS\n" + PROMPT + "Error (usage): epd FILE SECONDS\n" + PROMPT +
                          "Error (cannot read missing.epd): No such file or directory\n" + PROMPT +
                          "Error (cannot read .): Is a directory\n" + PROMPT);
}

// The whole suite at a second a position, with thinking output on: one result line per
// position and the total, nothing else. How many are solved is a figure, not a test.
TEST(EpdCommand, RunsTheWholeSuite) {
    TempDir dir;
    const std::string output = consoleSession(dir, "epd " TARLOWICK_TEST_DATA "/tactics.epd 1\nquit\n",
                                              "[ENGINE]\nPostThinking=1\n[BOOK]\nBook=0\n");
    const std::vector<std::string> lines = outputLines(output);
    ASSERT_EQ(lines.size(), 23u) << output;
    for (int i = 0; i < 20; ++i) {
        const std::string id = std::string("tactics.") + (i < 9 ? "0" : "") + std::to_string(i + 1) + ": ";
        EXPECT_TRUE(lines[static_cast<std::size_t>(i)].starts_with(id)) << lines[static_cast<std::size_t>(i)];
        EXPECT_TRUE(lines[static_cast<std::size_t>(i)].find(" solved") != std::string::npos)
            << lines[static_cast<std::size_t>(i)];
    }
    EXPECT_TRUE(lines[20].starts_with("epd: solved ") && lines[20].find(" of 20 in ") != std::string::npos)
        << lines[20];
}

// ---- the corpus of suites as they circulate ---------------------------------------------------

// A corpus file copied into `dir`, so that error lines name it as a person would type it.
void copyDialect(const TempDir& dir, const char* name) {
    writeFile(dir.file(name), readFile(std::string(TARLOWICK_TEST_DATA "/dialects/") + name));
}

struct CorpusSuite {
    const char* file;
    const char* transcript;  // at the transcripts' depth of 2, where mates in one are found
};

const CorpusSuite EPD_CORPUS[] = {
    // A byte order mark, CR LF, tabs, runs of blanks, signs apart, no closing semicolons, ^Z.
    {"windows.epd",
     "windows.1: Nf7# score mate 1 depth 2 solved\n"
     "windows.2: Ra8# score mate 1 depth 2 solved\n"
     "windows.3: Qxf7# score mate 1 depth 2 solved\n"
     "windows.4: Qh4# score mate 1 depth 2 solved\n"
     "epd: solved 4 of 4 in {time} s\n"},
    // Six-field FENs, counting opcodes, moves in coordinates and long algebraic.
    {"six-fields.epd",
     "six.1: Nf7# score mate 1 depth 2 solved\n"
     "six.2: Ra8# score mate 1 depth 2 solved\n"
     "six.3: Ra1# score mate 1 depth 2 solved\n"
     "six.4: Qxd8# score mate 1 depth 2 solved\n"
     "six.5: c8=Q# score mate 1 depth 2 solved\n"
     "epd: solved 5 of 5 in {time} s\n"},
    // Broken lines among good ones: each named with its reason, the good ones still run.
    {"broken.epd",
     "broken.1: Nf7# score mate 1 depth 2 solved\n"
     "Error (line 2 of broken.epd): not an opcode: Nf7#\n"
     "Error (line 3 of broken.epd): no such legal move: Ra9#\n"
     "Error (line 4 of broken.epd): a quoted string is not closed\n"
     "Error (line 5 of broken.epd): not an opcode: 5\n"
     "Error (line 6 of broken.epd): neither bm nor am\n"
     "Error (line 7 of broken.epd): illegal position: 8/8/8/8/8/8/8/8 w - -\n"
     "broken.8: Ra1# score mate 1 depth 2 solved\n"
     "Error (line 9 of broken.epd): no such legal move: +\n"
     "Error (line 10 of broken.epd): fewer than four FEN fields\n"
     "broken.11: Nf7# score mate 1 depth 2 solved\n"
     "epd: solved 3 of 3, 8 lines skipped in {time} s\n"},
};

class EpdCorpus : public testing::TestWithParam<CorpusSuite> {};

TEST_P(EpdCorpus, RunsWhatCanBeReadAndNamesTheRest) {
    TempDir dir;
    copyDialect(dir, GetParam().file);
    const std::string output = consoleSession(dir, "epd " + std::string(GetParam().file) + " 1\nquit\n");
    expectTranscript(output, GetParam().transcript + PROMPT);
}

INSTANTIATE_TEST_SUITE_P(Files, EpdCorpus, testing::ValuesIn(EPD_CORPUS));

// The Bratko-Kopec suite as it is commonly passed around: all 24 positions run.
TEST(EpdCorpusBratkoKopec, RunsEveryPosition) {
    TempDir dir;
    copyDialect(dir, "bratko-kopec.epd");
    const std::vector<std::string> lines = outputLines(consoleSession(dir, "epd bratko-kopec.epd 1\nquit\n"));
    ASSERT_EQ(lines.size(), 27u);
    for (int i = 0; i < 24; ++i) {
        const std::string& line = lines[static_cast<std::size_t>(i)];
        const std::string id = std::string("BK.") + (i < 9 ? "0" : "") + std::to_string(i + 1) + ": ";
        EXPECT_TRUE(line.starts_with(id) && line.find(" depth 2 ") != std::string::npos) << line;
    }
    EXPECT_TRUE(lines[24].starts_with("epd: solved ") && lines[24].find(" of 24 in ") != std::string::npos)
        << lines[24];
}

}  // namespace
