// The PGN reader keeps the main line's comments, NAGs and variations as written, beside the
// move they follow, so that an annotator can write them back.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "frontend/files/pgn_reader.h"

namespace {

PgnGame readGame(const std::string& text, int number = 1) {
    std::FILE* file = std::tmpfile();
    EXPECT_NE(file, nullptr);
    std::fputs(text.c_str(), file);
    std::rewind(file);
    PgnGame game;
    std::string error;
    EXPECT_EQ(readPgnGame(file, number, game, error), PGN_GAME_READ) << error;
    std::fclose(file);
    return game;
}

using Annotations = std::vector<std::string>;

// Each kind of element, where it attaches, and what is left out of it.
TEST(PgnAnnotations, KeepsEachElementBesideItsMove) {
    const PgnGame game = readGame(
        "[Event \"x\"]\n\n"
        "{before the first move} $10\n"
        "1. e4 $1 {best by test} e5 ! ? 2. Nf3 +!? ; to the line end\r\n"
        "(2. f4 {the gambit} exf4 (2... d5) 3. Nf3\n"
        "; inside\n"
        "g5) 2... Nc6 {two} {comments} 3. Bb5 + 1-0\n");
    ASSERT_EQ(game.moves.size(), 5u);
    EXPECT_EQ(game.leadingAnnotations, (Annotations{"{before the first move}", "$10"}));
    EXPECT_EQ(game.moves[0].annotations, (Annotations{"$1", "{best by test}"}));
    // Marks set apart stay apart, one element each run; check signs alone are no annotation.
    EXPECT_EQ(game.moves[1].annotations, (Annotations{"!", "?"}));
    EXPECT_EQ(game.moves[2].annotations,
              (Annotations{"!?", "; to the line end",
                           "(2. f4 {the gambit} exf4 (2... d5) 3. Nf3\n; inside\ng5)"}));
    EXPECT_EQ(game.moves[3].annotations, (Annotations{"{two}", "{comments}"}));
    EXPECT_TRUE(game.moves[4].annotations.empty());
    EXPECT_EQ(game.result, "1-0");
}

// A result, a tag-like bracket in a comment and an escape line inside a variation are its text,
// not the game's end; the escape line is dropped as everywhere.
TEST(PgnAnnotations, VariationsKeepWhatWouldEndAGameOutside) {
    const PgnGame game = readGame(
        "1. d4 (1. e4 e5 0-1 {[not a tag]}\n"
        "%escaped\n"
        "2. Nf3) 1... d5 *\n");
    ASSERT_EQ(game.moves.size(), 2u);
    EXPECT_EQ(game.moves[0].annotations, (Annotations{"(1. e4 e5 0-1 {[not a tag]}\n2. Nf3)"}));
    EXPECT_EQ(game.result, "*");
}

// Only the game asked for is kept, whatever the games before it carried.
TEST(PgnAnnotations, BelongToTheirOwnGame) {
    const std::string text =
        "[Event \"1\"]\n\n{first game} 1. e4 {one} (1. d4) *\n\n"
        "[Event \"2\"]\n\n1. c4 {two} *\n";
    const PgnGame second = readGame(text, 2);
    EXPECT_TRUE(second.leadingAnnotations.empty());
    ASSERT_EQ(second.moves.size(), 1u);
    EXPECT_EQ(second.moves[0].annotations, (Annotations{"{two}"}));
}

}  // namespace
