// The transposition table's size from the Hash key and UCI's Hash option, seen as the engine
// process's resident memory.
#include <gtest/gtest.h>

#include <string>

#include "tests/frontend/support/live_session.h"

namespace {

// AddressSanitizer keeps shadow memory and its own allocator beside the table: only the lower
// bounds hold there.
#ifdef __SANITIZE_ADDRESS__
constexpr double OVERHEAD_ALLOWED = 1000;
#else
constexpr double OVERHEAD_ALLOWED = 0;
#endif

struct SizeCase {
    const char* ini;
    double atLeast, below;  // resident megabytes
};

// The table is written once when it is made, so the process holds all of it at once.
TEST(TableSize, ResidentMemoryFollowsTheHashKey) {
    const SizeCase cases[] = {
        {"[ENGINE]\nHash=1\n", 0, 16},          // 768 KB of entries
        {"", 24, 40},                             // the default: 2^20 entries, 24 MB
        {"[ENGINE]\nHash=0\n", 24, 40},          // out of range: the default
        {"[ENGINE]\nHash=200\n", 192, 210},      // 2^23 entries, 192 MB
        {"[ENGINE]\nHash=1024\n", 768, 800},     // 2^25 entries, 768 MB
    };
    for (const SizeCase& c : cases) {
        SCOPED_TRACE(c.ini);
        LiveSession session(std::string(c.ini) + "[BOOK]\nBook=0\n");
        session.send("xboard\nping 1\n");
        ASSERT_TRUE(session.waitFor("pong 1\n"));
        const double resident = residentMegabytes(session.pid());
        EXPECT_GE(resident, c.atLeast);
        EXPECT_LT(resident, c.below + OVERHEAD_ALLOWED);
    }
}

TEST(TableSize, UciOptionResizesTheTable) {
    LiveSession session(std::string("[BOOK]\nBook=0\n"));
    session.send("uci\nisready\n");
    ASSERT_TRUE(session.waitFor("readyok\n"));
    EXPECT_LT(residentMegabytes(session.pid()), 40 + OVERHEAD_ALLOWED);
    session.send("setoption name Hash value 256\nisready\n");
    ASSERT_TRUE(session.waitFor("readyok\n"));
    EXPECT_GE(residentMegabytes(session.pid()), 192);  // 2^23 entries
    // A search on the large table, then back to the smallest: the memory goes back too.
    session.send("position startpos\ngo depth 6\n");
    ASSERT_TRUE(session.waitFor("bestmove "));
    session.send("setoption name Hash value 1\nisready\n");
    ASSERT_TRUE(session.waitFor("readyok\n"));
    EXPECT_LT(residentMegabytes(session.pid()), 16 + OVERHEAD_ALLOWED);
    session.send("go depth 5\n");
    ASSERT_TRUE(session.waitFor("bestmove "));
}

}  // namespace
