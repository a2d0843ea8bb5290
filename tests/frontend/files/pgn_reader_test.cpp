#include "frontend/files/pgn_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct ReadResult {
    int status;
    PgnGame game;
    std::string error;
};

ReadResult readGame(const std::string& text, int number) {
    std::FILE* file = std::tmpfile();
    EXPECT_NE(file, nullptr);
    std::fputs(text.c_str(), file);
    std::rewind(file);
    ReadResult result{};
    result.status = readPgnGame(file, number, result.game, result.error);
    std::fclose(file);
    return result;
}

std::vector<std::string> sans(const PgnGame& game) {
    std::vector<std::string> moves;
    for (const PgnMove& move : game.moves) moves.push_back(move.san);
    return moves;
}

TEST(PgnReader, ReadsTagsMovesAndResult) {
    const ReadResult r = readGame(
        "[Event \"A \\\"quoted\\\" \\\\ name\"]\n[White \"x\"]\n\n1. e4 e5 2.Nf3 Nc6 3...a6 1/2-1/2\n", 1);
    ASSERT_EQ(r.status, PGN_GAME_READ);
    ASSERT_EQ(r.game.tags.size(), 2u);
    EXPECT_EQ(r.game.tags[0].first, "Event");
    EXPECT_EQ(r.game.tags[0].second, "A \"quoted\" \\ name");
    EXPECT_EQ(*findTag(r.game, "White"), "x");
    EXPECT_EQ(findTag(r.game, "FEN"), nullptr);
    EXPECT_EQ(sans(r.game), (std::vector<std::string>{"e4", "e5", "Nf3", "Nc6", "a6"}));
    EXPECT_EQ(r.game.result, "1/2-1/2");
    EXPECT_EQ(r.game.moves[2].line, 4);
}

// Comments, NAGs, annotations, variations at any depth, escape lines and "e.p." marks are not moves.
TEST(PgnReader, SkipsWhatIsNotTheMainLine) {
    const ReadResult r = readGame(
        "%escape [Event \"not a tag\"]\n"
        "1. e4 $1 {a {comment} e5 ! 2. d4 ?! ; to the end ( of the line\n"
        "(2. Nf3 (2. Bc4 {x} (2. f4)) Nc6) 2... exd4 3. c4 dxc3 e.p. *\n",
        1);
    ASSERT_EQ(r.status, PGN_GAME_READ) << r.error;
    EXPECT_EQ(sans(r.game), (std::vector<std::string>{"e4", "e5", "d4", "exd4", "c4", "dxc3"}));
    EXPECT_EQ(r.game.result, "*");
    EXPECT_TRUE(r.game.tags.empty());
}

// Games end with their result, or at the next tag section when they have none; game N is
// the N-th of them whatever faults the earlier ones have.
TEST(PgnReader, TellsGamesApart) {
    const std::string text =
        "[Event \"1\"]\n\n1. e4 1-0\n\n"
        "[Event \"2\"]\n\n1. d4 d5 ) 2. c4\n\n"  // no result, and a stray ")"
        "[Event \"3\"]\n[Round \"3\"]\n\n1. c4 0-1\n"
        "1. f4 *\n";  // a game of movetext alone
    EXPECT_EQ(sans(readGame(text, 1).game), std::vector<std::string>{"e4"});
    const ReadResult second = readGame(text, 2);
    EXPECT_EQ(second.status, PGN_BAD_GAME);
    EXPECT_EQ(second.error, "line 7: a ) closes no variation");
    const ReadResult third = readGame(text, 3);
    ASSERT_EQ(third.status, PGN_GAME_READ);
    EXPECT_EQ(*findTag(third.game, "Round"), "3");
    EXPECT_EQ(sans(third.game), std::vector<std::string>{"c4"});
    EXPECT_EQ(sans(readGame(text, 4).game), std::vector<std::string>{"f4"});
    EXPECT_EQ(readGame(text, 5).status, PGN_NO_SUCH_GAME);
    EXPECT_EQ(readGame(text, 0).status, PGN_NO_SUCH_GAME);
    // A comment after the last game is no game of its own.
    EXPECT_EQ(readGame("1. e4 *\n{the end}\n; really\n", 2).status, PGN_NO_SUCH_GAME);
}

struct FaultCase {
    const char* text;
    const char* error;
};

class PgnFaults : public testing::TestWithParam<FaultCase> {};

TEST_P(PgnFaults, NameTheLineAndTheFault) {
    const ReadResult r = readGame(GetParam().text, 1);
    EXPECT_EQ(r.status, PGN_BAD_GAME);
    EXPECT_EQ(r.error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PgnFaults,
    testing::Values(FaultCase{"[Event \"x\"]\n\n1. e4 {open\n", "line 3: a comment { is not closed"},
                    FaultCase{"1. e4 (1. d4\n\n*\n", "line 1: a variation is not closed"},
                    FaultCase{"[Event \"x]\n1. e4 *\n", "line 1: the value of tag Event is not closed"},
                    FaultCase{"[Event x]\n1. e4 *\n", "line 1: tag Event has no quoted value"},
                    FaultCase{"[\"x\"]\n1. e4 *\n", "line 1: a tag without a name"},
                    FaultCase{"1. e4 $ e5 *\n", "line 1: a $ without its number"},
                    FaultCase{"1. e4 & e5 *\n", "line 1: unexpected character '&'"}));

}  // namespace
