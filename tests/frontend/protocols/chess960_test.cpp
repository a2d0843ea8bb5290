// Chess960 through each front end: the castling notation each protocol speaks, positions in
// both FEN forms, start arrays by number, and games saved and loaded with their variant.
#include <gtest/gtest.h>

#include <string>

#include "tests/frontend/support/engine_process.h"
#include "tests/frontend/support/test_files.h"
#include "tests/frontend/support/transcript.h"

namespace {

// White may castle long only: king b1, rook a1; king to c1 and rook to d1.
constexpr const char* KING_B1 = "1k6/8/8/8/8/8/8/RK6 w A - 0 1";
// The same position in X-FEN: Q names the outermost rook on the king's queen side.
constexpr const char* KING_B1_XFEN = "1k6/8/8/8/8/8/8/RK6 w Q - 0 1";
constexpr const char* NO_BOOK = "[ENGINE]\nMaxDepth=3\nPostThinking=0\n[BOOK]\nBook=0\n";

std::string session(const std::string& input, const char* ini = NO_BOOK) {
    TempDir dir;
    writeFile(dir.file("tarlowick.ini"), ini);
    return runSession(dir, input).output;
}

int occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// The line of `output` that starts with `prefix`, or "".
std::string lineStarting(const std::string& output, const std::string& prefix) {
    const std::size_t at = output.find("\n" + prefix);
    if (at == std::string::npos) return "";
    return output.substr(at + 1, output.find('\n', at + 1) - at - 1);
}

// UCI_Chess960 on: castling is the king taking its rook, in both directions; off, it is not.
TEST(Chess960Uci, CastlingIsTheKingTakingItsRook) {
    const std::string on = session(std::string("uci\nsetoption name UCI_Chess960 value true\nposition fen ") + KING_B1 +
                                   "\ngo depth 3 searchmoves b1a1\nposition fen " + KING_B1_XFEN +
                                   " moves b1a1 b8a8\ngo depth 3\nquit\n");
    EXPECT_EQ(lineStarting(on, "bestmove"), "bestmove b1a1");
    EXPECT_EQ(on.find("info string"), std::string::npos) << on;

    const std::string off = session(std::string("uci\nposition fen ") + KING_B1 + " moves b1a1\nquit\n");
    EXPECT_NE(off.find("info string illegal move: b1a1\n"), std::string::npos);
}

// xboard: after "variant fischerandom" castling comes and goes as O-O-O; "new" is standard chess.
TEST(Chess960Xboard, CastlingAsOOAndNewIsStandard) {
    const std::string output =
        session(std::string("xboard\nprotover 2\nvariant fischerandom\nsetboard ") + KING_B1_XFEN +
                "\nexclude all\ninclude O-O-O\ngo\nforce\nsetboard " + KING_B1 +
                "\nusermove O-O-O\nusermove b8a8\nusermove b1a1\nnew\nforce\nusermove O-O\nvariant shogi\nquit\n");
    EXPECT_NE(output.find("feature exclude=1 memory=1 variants=\"normal,fischerandom\"\n"), std::string::npos);
    EXPECT_NE(output.find("\nmove O-O-O\n"), std::string::npos) << output;
    // O-O-O is taken; b1a1 afterwards is no move (the king is on c1).
    EXPECT_NE(output.find("Illegal move: b1a1\n"), std::string::npos) << output;
    EXPECT_EQ(output.find("Illegal move: O-O-O"), std::string::npos) << output;
    // The standard start after "new": no castling yet, and an unknown variant is refused.
    EXPECT_NE(output.find("Illegal move: O-O\n"), std::string::npos);
    EXPECT_NE(output.find("Error (unsupported variant): variant shogi\n"), std::string::npos);
}

// The console: start arrays by number, FEN in both forms, castling typed three ways, and a
// game saved with its variant and loaded back.
TEST(Chess960Console, StartArraysFenFormsCastlingAndPgn) {
    TempDir dir;
    writeFile(dir.file("tarlowick.ini"), NO_BOOK);
    const std::string pgn = dir.file("games.pgn");
    const std::string output = runSession(dir, std::string("console\nchess960 518\nchess960 960\nchess960 x\n"
                                                           "chess960 0\nforce\nfen ") +
                                                   KING_B1_XFEN + "\nO-O-O\nundo\nb1a1\nundo\n0-0-0\npgn " + pgn +
                                                   "\nfen rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w HAha - 0 1\n"
                                                   "e1h1\nnew\nload " + pgn + "\nquit\n")
                                   .output;
    EXPECT_NE(output.find("Chess960 position 518: rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1\n"),
              std::string::npos);
    EXPECT_NE(output.find("Chess960 position 0: bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR w KQkq - 0 1\n"),
              std::string::npos);
    EXPECT_EQ(occurrences(output, "Error: insert a start position between 0 and 959\n"), 2);
    EXPECT_EQ(output.find("Illegal move: O-O-O"), std::string::npos) << output;
    EXPECT_EQ(output.find("Illegal move: b1a1"), std::string::npos) << output;
    EXPECT_EQ(output.find("Illegal move: 0-0-0"), std::string::npos) << output;
    // The standard array written with rook files is standard chess: e1h1 is no castling there.
    EXPECT_NE(output.find("Illegal move: e1h1\n"), std::string::npos);

    const std::string saved = readFile(pgn);
    EXPECT_NE(saved.find("[Variant \"Chess960\"]\n[SetUp \"1\"]\n[FEN \"1k6/8/8/8/8/8/8/RK6 w Q - 0 1\"]\n"),
              std::string::npos)
        << saved;
    EXPECT_NE(saved.find("1. O-O-O"), std::string::npos) << saved;
    EXPECT_NE(output.find("load: game 1 of " + pgn + ", 1 plies\n"), std::string::npos) << output;
}

}  // namespace
