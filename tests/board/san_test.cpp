#include "board/san.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <set>
#include <string>

#include "board/attacks.h"
#include "board/legal_moves.h"
#include "tests/support/board_fixtures.h"

namespace {

// The legal move of the current position whose coordinate text is `text`; 0 when none is.
Move legalMoveFromText(const std::string& text) {
    MoveList legal;
    listLegalMoves(legal);
    for (int i = 0; i < legal.count; ++i) {
        char coordinates[8];
        moveToText(coordinates, legal.moves[i], *currentPosition);
        if (coordinates[4] == ' ') coordinates[4] = '\0';
        if (text == coordinates) return legal.moves[i];
    }
    return 0;
}

std::string sanOf(Move move) {
    char san[SAN_BUFFER_SIZE];
    return moveToSan(san, move) == 1 ? san : "(refused)";
}

constexpr const char* START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr const char* CASTLES = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
constexpr const char* CASTLES_BLACK = "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1";
constexpr const char* TWO_ROOKS_ON_A_RANK = "4k3/8/8/8/8/8/4K3/R6R w - - 0 1";
constexpr const char* TWO_ROOKS_ON_A_FILE = "4k3/8/8/R7/8/8/4K3/R7 w - - 0 1";
// Queens a1, a3 and c1 all reach b2: a1 shares its file with a3 and its rank with c1.
constexpr const char* THREE_QUEENS = "4k3/8/8/8/8/Q7/8/Q1Q1K3 w - - 0 1";
// The knight on e2 is pinned: only the b1 knight can go to c3.
constexpr const char* PINNED_KNIGHT = "4r1k1/8/8/8/8/8/4N3/1N2K3 w - - 0 1";
constexpr const char* PROMOTIONS = "1r6/P6k/8/8/8/8/8/4K3 w - - 0 1";
constexpr const char* EN_PASSANT_FEN = "rnbqkbnr/1pppp1pp/p7/4Pp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3";
constexpr const char* AFTER_E4_D5 = "rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 2";
constexpr const char* BACK_RANK = "6k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1";
constexpr const char* KNIGHT_TAKES = "4k3/8/8/3p4/8/4N3/8/4K3 w - - 0 1";

struct WriteCase {
    const char* fen;
    const char* coordinates;
    const char* san;
};

const WriteCase WRITE_CASES[] = {
    {START, "g1f3", "Nf3"},
    {START, "e2e4", "e4"},
    {AFTER_E4_D5, "e4d5", "exd5"},
    {KNIGHT_TAKES, "e3d5", "Nxd5"},
    // Check and mate.
    {"4k3/8/8/8/8/8/8/R3K3 w Q - 0 1", "a1a8", "Ra8+"},
    {BACK_RANK, "a1a8", "Ra8#"},
    {"rnbqkbnr/pppp1ppp/8/4p3/6P1/5P2/PPPPP2P/RNBQKBNR b KQkq g3 0 2", "d8h4", "Qh4#"},
    {"3k4/8/8/8/8/8/8/R3K3 w Q - 0 1", "e1c1", "O-O-O+"},
    // Disambiguation: by file, by rank, by both, and none when the rival is pinned.
    {TWO_ROOKS_ON_A_RANK, "a1d1", "Rad1"},
    {TWO_ROOKS_ON_A_RANK, "h1d1", "Rhd1"},
    {TWO_ROOKS_ON_A_FILE, "a1a3", "R1a3"},
    {TWO_ROOKS_ON_A_FILE, "a5a3", "R5a3"},
    {TWO_ROOKS_ON_A_FILE, "a5a8", "Ra8+"},
    {THREE_QUEENS, "a1b2", "Qa1b2"},
    {THREE_QUEENS, "a3b2", "Q3b2"},
    {THREE_QUEENS, "c1b2", "Qcb2"},
    {PINNED_KNIGHT, "b1c3", "Nc3"},
    // Promotions, with and without capture and check.
    {PROMOTIONS, "a7a8q", "a8=Q"},
    {PROMOTIONS, "a7a8n", "a8=N"},
    {PROMOTIONS, "a7b8r", "axb8=R"},
    {PROMOTIONS, "a7b8q", "axb8=Q"},
    {"4k3/8/8/8/8/8/p7/4K3 b - - 0 1", "a2a1q", "a1=Q+"},
    {"2k5/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7e8q", "e8=Q+"},
    // Castling and en passant.
    {CASTLES, "e1g1", "O-O"},
    {CASTLES, "e1c1", "O-O-O"},
    {CASTLES_BLACK, "e8g8", "O-O"},
    {CASTLES_BLACK, "e8c8", "O-O-O"},
    {EN_PASSANT_FEN, "e5f6", "exf6"},
    {"4k3/8/8/8/3Pp3/8/8/4K3 b - d3 0 1", "e4d3", "exd3"},
};

// Failures name the case instead of dumping its bytes.
void PrintTo(const WriteCase& c, std::ostream* out) { *out << c.fen << " " << c.coordinates; }

class WriteSan : public testing::TestWithParam<WriteCase> {};

TEST_P(WriteSan, WritesTheStandardForm) {
    const WriteCase& c = GetParam();
    ASSERT_TRUE(loadFen(c.fen)) << c.fen;
    const Move move = legalMoveFromText(c.coordinates);
    ASSERT_NE(move, 0u) << c.coordinates << " is not legal in " << c.fen;
    const Position before = *currentPosition;
    Position* const top = currentPosition;
    EXPECT_EQ(sanOf(move), c.san) << c.fen << " " << c.coordinates;
    EXPECT_EQ(currentPosition, top);
    EXPECT_TRUE(samePosition(*currentPosition, before));
}

INSTANTIATE_TEST_SUITE_P(Moves, WriteSan, testing::ValuesIn(WRITE_CASES));

TEST(WriteSan, RefusesAMoveThatIsNotLegalHere) {
    ASSERT_TRUE(loadFen(PINNED_KNIGHT));
    char san[SAN_BUFFER_SIZE] = "junk";
    EXPECT_EQ(moveToSan(san, encodeMove(KNIGHT_MOVE, squareOf("e2"), squareOf("c3"))), 0);  // pinned
    EXPECT_STREQ(san, "");
    EXPECT_EQ(moveToSan(san, encodeMove(ROOK_MOVE, squareOf("a1"), squareOf("a4"))), 0);  // no rook there
}

struct ReadCase {
    const char* fen;
    const char* text;
    const char* coordinates;  // null: refused
};

const ReadCase READ_CASES[] = {
    {START, "Nf3", "g1f3"},
    {START, "e4", "e2e4"},
    {START, "e3", "e2e3"},
    {START, "Ngf3", "g1f3"},   // more origin than needed still names one move
    {START, "Ng1f3", "g1f3"},
    {START, "Nf3+", "g1f3"},   // check and mate signs are not required to be right
    {START, "Nf3#", "g1f3"},
    {START, "Nf3!?", "g1f3"},
    {START, "e4!!", "e2e4"},
    {AFTER_E4_D5, "exd5", "e4d5"},
    {AFTER_E4_D5, "exd5?!", "e4d5"},
    {KNIGHT_TAKES, "Nxd5", "e3d5"},
    {BACK_RANK, "Ra8#", "a1a8"},
    {BACK_RANK, "Ra8", "a1a8"},
    // Castling in both spellings.
    {CASTLES, "O-O", "e1g1"},
    {CASTLES, "0-0", "e1g1"},
    {CASTLES, "O-O-O", "e1c1"},
    {CASTLES, "0-0-0", "e1c1"},
    {CASTLES, "O-O+", "e1g1"},
    {CASTLES_BLACK, "O-O-O", "e8c8"},
    // En passant, with or without its mark.
    {EN_PASSANT_FEN, "exf6", "e5f6"},
    {EN_PASSANT_FEN, "exf6e.p.", "e5f6"},
    {EN_PASSANT_FEN, "exf6 e.p.", "e5f6"},
    {EN_PASSANT_FEN, "exf6 e.p.+", "e5f6"},
    // Promotions with and without "=".
    {PROMOTIONS, "a8=Q", "a7a8q"},
    {PROMOTIONS, "a8Q", "a7a8q"},
    {PROMOTIONS, "a8=N", "a7a8n"},
    {PROMOTIONS, "axb8=R", "a7b8r"},
    {PROMOTIONS, "axb8B", "a7b8b"},
    // Disambiguation.
    {TWO_ROOKS_ON_A_RANK, "Rad1", "a1d1"},
    {TWO_ROOKS_ON_A_RANK, "Rhd1", "h1d1"},
    {TWO_ROOKS_ON_A_RANK, "Ra4", "a1a4"},  // only the a1 rook reaches a4
    {TWO_ROOKS_ON_A_FILE, "R1a3", "a1a3"},
    {TWO_ROOKS_ON_A_FILE, "R5a3", "a5a3"},
    {THREE_QUEENS, "Qa1b2", "a1b2"},
    {THREE_QUEENS, "Q3b2", "a3b2"},
    {THREE_QUEENS, "Qcb2", "c1b2"},
    {PINNED_KNIGHT, "Nc3", "b1c3"},
    // Ambiguous.
    {TWO_ROOKS_ON_A_RANK, "Rd1", nullptr},
    {TWO_ROOKS_ON_A_FILE, "Ra3", nullptr},
    {THREE_QUEENS, "Qb2", nullptr},
    {THREE_QUEENS, "Qab2", nullptr},
    {THREE_QUEENS, "Q1b2", nullptr},
    // No such legal move, or the wrong piece.
    {START, "Nf4", nullptr},
    {START, "Ke2", nullptr},
    {START, "Bb5", nullptr},
    {START, "Bf3", nullptr},
    {START, "e5", nullptr},
    {START, "O-O", nullptr},
    {PINNED_KNIGHT, "Ned4", nullptr},  // pinned
    {CASTLES, "Kg1", nullptr},         // castling is written O-O
    {AFTER_E4_D5, "d5", nullptr},
    // "x" must match: none on a quiet move, and a capture needs it.
    {START, "Nxf3", nullptr},
    {KNIGHT_TAKES, "Nd5", nullptr},
    {AFTER_E4_D5, "ed5", nullptr},
    // Promotions: missing, to a king or pawn, on a move that does not promote.
    {PROMOTIONS, "a8", nullptr},
    {PROMOTIONS, "a8=K", nullptr},
    {PROMOTIONS, "a8=P", nullptr},
    {PROMOTIONS, "a8=", nullptr},
    {PROMOTIONS, "a8=q", nullptr},
    {START, "e4=Q", nullptr},
    {START, "Nf3=Q", nullptr},
    // "e.p." on a capture that is not en passant.
    {AFTER_E4_D5, "exd5 e.p.", nullptr},
    // Pawn moves name their file only when they capture, never their rank.
    {START, "e2e4", nullptr},
    {START, "ee4", nullptr},
    {START, "e2-e4", nullptr},
    // Garbage.
    {START, "", nullptr},
    {START, "N", nullptr},
    {START, "nf3", nullptr},
    {START, "Nf3 ", nullptr},
    {START, "Nf3x", nullptr},
    {START, "Nf9", nullptr},
    {START, "Ni3", nullptr},
    {START, "xf3", nullptr},
    {START, "Pe4", nullptr},
    {START, "O-O-O-O", nullptr},
    {CASTLES, "O-O-", nullptr},
    {CASTLES, "OO", nullptr},
    {START, "Nb1a3b", nullptr},
    {START, "--", nullptr},
};

void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.fen << " \"" << c.text << "\""; }

class ReadSan : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadSan, ReadsExactlyOneLegalMove) {
    const ReadCase& c = GetParam();
    ASSERT_TRUE(loadFen(c.fen)) << c.fen;
    const Position before = *currentPosition;
    Position* const top = currentPosition;
    Move move = 12345;
    const int read = readSan(c.text, move);
    EXPECT_EQ(currentPosition, top);
    EXPECT_TRUE(samePosition(*currentPosition, before));
    if (c.coordinates == nullptr) {
        EXPECT_EQ(read, 0) << c.fen << " \"" << c.text << "\"";
        EXPECT_EQ(move, 12345u) << "a refused text must leave the move alone";
        EXPECT_EQ(parseSan(c.text), 0);
        EXPECT_EQ(currentPosition, top);
        return;
    }
    ASSERT_EQ(read, 1) << c.fen << " \"" << c.text << "\"";
    EXPECT_EQ(move, legalMoveFromText(c.coordinates)) << c.text;
    ASSERT_EQ(parseSan(c.text), 1);
    EXPECT_EQ(currentPosition, top + 1);
    Position made = *currentPosition;
    currentPosition = top;
    ASSERT_EQ(parseMove(c.coordinates), 1);
    EXPECT_TRUE(samePosition(*currentPosition, made));
}

INSTANTIATE_TEST_SUITE_P(Texts, ReadSan, testing::ValuesIn(READ_CASES));

// Along seeded random games from starts rich in castling, promotions and en passant: every
// legal move is written, each text differs from the others of its position, and reading the
// text back (and the text without its check sign) gives the same move.
TEST(SanRoundTrip, EveryLegalMoveOfRandomGamesReadsBack) {
    const char* starts[] = {
        START,
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "1q2k3/3N1N2/8/1Q3Q2/8/1Q3Q2/8/4K3 w - - 0 1",  // many knights and queens to one square
    };
    std::mt19937 random(16);
    std::set<std::string> kindsSeen;
    int written = 0;
    for (const char* start : starts) {
        for (int game = 0; game < 12; ++game) {
            ASSERT_TRUE(loadFen(start));
            for (int ply = 0; ply < 120; ++ply) {
                MoveList legal;
                listLegalMoves(legal);
                if (legal.count == 0) break;
                std::set<std::string> texts;
                for (int i = 0; i < legal.count; ++i) {
                    const Move move = legal.moves[i];
                    const std::string san = sanOf(move);
                    ASSERT_NE(san, "(refused)");
                    ASSERT_TRUE(texts.insert(san).second) << "two moves written " << san;
                    Move read = 0;
                    ASSERT_EQ(readSan(san.c_str(), read), 1) << san;
                    ASSERT_EQ(read, move) << san;
                    const std::string bare = san.substr(0, san.find_first_of("+#"));
                    ASSERT_EQ(readSan(bare.c_str(), read), 1) << bare;
                    ASSERT_EQ(read, move) << bare;
                    ++written;
                    if (san.back() == '+') kindsSeen.insert("check");
                    if (san.back() == '#') kindsSeen.insert("mate");
                    if (san.find('=') != std::string::npos) kindsSeen.insert("promotion");
                    if (san.starts_with("O-O-O")) kindsSeen.insert("long castling");
                    else if (san.starts_with("O-O")) kindsSeen.insert("short castling");
                    if (moveKind(move) == EN_PASSANT) kindsSeen.insert("en passant");
                    if (san[0] >= 'B' && san[0] <= 'R' && san.size() > 3 && bare.size() >= 4 &&
                        bare[1] >= 'a' && bare[1] <= 'h' && (bare[2] == 'x' || (bare[2] >= 'a' && bare[2] <= 'h')))
                        kindsSeen.insert("file disambiguation");
                    if (san[0] >= 'B' && san[0] <= 'R' && bare.size() >= 4 && bare[1] >= '1' && bare[1] <= '8')
                        kindsSeen.insert("rank disambiguation");
                }
                makeMove(legal.moves[std::uniform_int_distribution<int>(0, legal.count - 1)(random)]);
            }
        }
    }
    EXPECT_GT(written, 10000);
    for (const char* kind : {"check", "mate", "promotion", "short castling", "long castling", "en passant",
                             "file disambiguation", "rank disambiguation"})
        EXPECT_TRUE(kindsSeen.count(kind)) << "the random games never wrote a move with " << kind;
}

}  // namespace
