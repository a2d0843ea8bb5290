// Move text against a handful of positions rich in special moves: refused with the stack
// untouched, or made as a legal move that leaves a sane record.
#include <cstdint>
#include <cstring>

#include "board/fen.h"
#include "board/movetext.h"
#include "fuzz/fuzz_support.h"

namespace {
constexpr const char* POSITIONS[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbqkbnr/1pppp1pp/p7/4Pp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
    "r3k2r/8/8/8/3Pp3/8/8/R3K2R b KQkq d3 0 1",
    "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    startFromFirstByte(data, POSITIONS);
    // The rest is a series of move texts separated by NUL bytes, played one after another.
    forEachText(asText(data + 1, size - 1), [](const std::string& move) {
        Position* const top = currentPosition;
        const Position before = *top;
        const int made = parseMove(move.c_str());
        if (made == 1) {
            if (currentPosition != top + 1) std::abort();
            requireSaneRecord(*currentPosition);
            if (opponentKingAttackers() != 0) std::abort();
        } else {
            if (made != 0 || currentPosition != top || std::memcmp(&before, top, sizeof before) != 0) std::abort();
        }
    });
    playEveryMove();
    return 0;
}
