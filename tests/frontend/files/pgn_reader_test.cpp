#include "frontend/files/pgn_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "board/fen.h"
#include "board/movetext.h"
#include "board/position.h"

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

// A Windows file as it is often found: a byte order mark, CR LF, tabs, move numbers glued to
// their moves, check signs and annotations set apart, and a DOS end-of-file mark.
TEST(PgnReader, ReadsFilesAsTheyCirculate) {
    const ReadResult r = readGame(
        "\xEF\xBB\xBF% escape line first\r\n[Event \"windows\"]\r\n\r\n"
        "1.e4\te5 2.Bc4 Nc6\r\n\r\n3.Qh5 Nf6 ?? 4.Qxf7 # 1-0\r\n\x1A",
        1);
    ASSERT_EQ(r.status, PGN_GAME_READ) << r.error;
    EXPECT_EQ(*findTag(r.game, "Event"), "windows");
    EXPECT_EQ(sans(r.game), (std::vector<std::string>{"e4", "e5", "Bc4", "Nc6", "Qh5", "Nf6", "Qxf7"}));
    EXPECT_EQ(r.game.moves[4].line, 6);
    EXPECT_EQ(r.game.result, "1-0");
    EXPECT_FALSE(r.game.lowercasePieces);
    // Only a mark at the very start is skipped; the mark is not a tag's first character.
    EXPECT_EQ(readGame("\xEF\xBB\xBF" "1. d4 *", 1).game.moves.size(), 1u);
    EXPECT_EQ(readGame("\xEF\xBB\xBF" "1. d4 *", 2).status, PGN_NO_SUCH_GAME);
}

// A game with lowercase piece letters is known as one, so that its "b" moves are read with care.
TEST(PgnReader, NotesLowercasePieceLetters) {
    EXPECT_TRUE(readGame("1. e4 e5 2. nf3 *", 1).game.lowercasePieces);
    EXPECT_TRUE(readGame("1. e4 e5 2. Nf3 Nc6 3. bb5 qe7 *", 1).game.lowercasePieces);
    EXPECT_FALSE(readGame("1. e4 d5 2. exd5 b5 3. Bxb5+ c6 *", 1).game.lowercasePieces);
    EXPECT_EQ(readGame("1. e4 d5 2. exd5 b5 3. Bxb5+ c6 *", 1).game.moves.size(), 6u);
}

// ---- one move, in the notations files use ------------------------------------------------

struct MoveTextCase {
    const char* fen;
    const char* text;
    bool lowercasePieces;
    const char* move;  // coordinate text; null when the text must be refused
};

const char* const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const char* const CASTLES = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
const char* const PROMOTES = "1n2k3/P7/8/8/8/8/8/4K3 w - - 0 1";
// The pawn on b5 and the bishop on g2 both take on c6; only the bishop goes to d5.
const char* const PAWN_OR_BISHOP = "4k3/8/2n5/1P6/8/8/6B1/4K3 w - - 0 1";

const MoveTextCase MOVE_TEXT_CASES[] = {
    {START, "e4", false, "e2e4"},
    {START, "Nf3!?", false, "g1f3"},
    {START, "e2-e4", false, "e2e4"},
    {START, "e2e4", false, "e2e4"},
    {START, "Ng1-f3", false, "g1f3"},
    {START, "g1f3", false, "g1f3"},
    {START, "Ng1xf3", false, nullptr},  // nothing to take
    {START, "e2xe4", false, nullptr},
    {START, "Bg1-f3", false, nullptr},  // the wrong piece
    {START, "e2e5", false, nullptr},
    {START, "nf3", false, "g1f3"},
    {START, "nf3", true, "g1f3"},
    {START, "b3", true, "b2b3"},  // a pawn, whatever the game's letters
    {START, "b1c3", false, "b1c3"},
    {CASTLES, "O-O", false, "e1g1"},
    {CASTLES, "0-0-0", false, "e1c1"},
    {CASTLES, "o-o", false, "e1g1"},
    {CASTLES, "o-o-o", false, "e1c1"},
    {CASTLES, "e1g1", false, "e1g1"},
    {CASTLES, "Ke1-c1", false, "e1c1"},
    {CASTLES, "kd2", false, "e1d2"},
    {CASTLES, "rxa8+", false, "a1a8"},
    {PROMOTES, "a8=Q", false, "a7a8q"},
    {PROMOTES, "a7a8q", false, "a7a8q"},
    {PROMOTES, "a7-a8=N", false, "a7a8n"},
    {PROMOTES, "a7xb8Q", false, "a7b8q"},
    {PROMOTES, "a7a8", false, nullptr},  // which piece?
    {PROMOTES, "a7a8=", false, nullptr},
    {PAWN_OR_BISHOP, "bxc6", false, "b5c6"},  // SAN's pawn
    {PAWN_OR_BISHOP, "bxc6", true, nullptr},  // pawn or bishop: not guessed
    {PAWN_OR_BISHOP, "Bxc6", true, "g2c6"},
    {PAWN_OR_BISHOP, "bd5", true, "g2d5"},
    {PAWN_OR_BISHOP, "bd5", false, "g2d5"},
    {PAWN_OR_BISHOP, "b6", true, "b5b6"},
    {PAWN_OR_BISHOP, "", false, nullptr},
    {PAWN_OR_BISHOP, "b", true, nullptr},
};

class ReadMoveText : public testing::TestWithParam<MoveTextCase> {};

TEST_P(ReadMoveText, NamesOneLegalMoveOrNone) {
    const MoveTextCase& c = GetParam();
    setStartPosition();
    ASSERT_EQ(readFen(c.fen), 1) << c.fen;
    Move move = 0;
    const int read = readMoveText(c.text, c.lowercasePieces, move);
    if (c.move == nullptr) {
        EXPECT_EQ(read, 0) << c.text;
        return;
    }
    ASSERT_EQ(read, 1) << c.text;
    char text[8];
    moveToText(text, move, *currentPosition);
    if (text[4] == ' ') text[4] = '\0';
    EXPECT_STREQ(text, c.move) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Texts, ReadMoveText, testing::ValuesIn(MOVE_TEXT_CASES));

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
