// SAN against a handful of positions rich in special moves and disambiguation: refused with
// the stack untouched, or read as a legal move whose own SAN reads back to it.
#include <cstdint>
#include <cstring>

#include "board/fen.h"
#include "board/legal_moves.h"
#include "board/san.h"
#include "fuzz/fuzz_support.h"

namespace {
constexpr const char* POSITIONS[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbqkbnr/1pppp1pp/p7/4Pp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
    "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
    "1q2k3/3N1N2/8/1Q3Q2/8/1Q3Q2/8/4K3 w - - 0 1",
};

bool isLegalHere(Move move) {
    MoveList legal;
    listLegalMoves(legal);
    for (int i = 0; i < legal.count; ++i)
        if (legal.moves[i] == move) return true;
    return false;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    startFromFirstByte(data, POSITIONS);
    // The rest is a series of SAN texts separated by NUL bytes, played one after another.
    forEachText(asText(data + 1, size - 1), [](const std::string& text) {
        Position* const top = currentPosition;
        const Position before = *top;
        Move move = 0;
        const int read = readSan(text.c_str(), move);
        if (currentPosition != top || std::memcmp(&before, top, sizeof before) != 0) std::abort();
        if (read == 1) {
            if (!isLegalHere(move)) std::abort();
            char san[SAN_BUFFER_SIZE];
            Move again = 0;
            if (moveToSan(san, move) != 1 || readSan(san, again) != 1 || again != move) std::abort();
            if (parseSan(text.c_str()) != 1 || currentPosition != top + 1) std::abort();
            requireSaneRecord(*currentPosition);
        } else if (read != 0 || parseSan(text.c_str()) != 0 || currentPosition != top) {
            std::abort();
        }
    });
    playEveryMove();
    return 0;
}
