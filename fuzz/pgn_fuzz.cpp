// PGN text through the reader, games 1 and 2, and the moves read played as "load" plays them:
// no crash, no hang, and only sane records on the stack.
#include <cstdint>
#include <cstdio>

#include "board/fen.h"
#include "board/position.h"
#include "board/san.h"
#include "frontend/files/pgn_reader.h"
#include "fuzz/fuzz_support.h"

namespace {
void playGame(const PgnGame& game) {
    setStartPosition();
    if (const std::string* fen = findTag(game, "FEN"); fen != nullptr && readFen(fen->c_str()) != 1) return;
    requireSaneRecord(*currentPosition);
    for (const PgnMove& move : game.moves) {
        if (!gameHasRoom() || parseSan(move.san.c_str()) != 1) return;
        requireSaneRecord(*currentPosition);
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (int number = 1; number <= 2; ++number) {
        std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
        if (file == nullptr) return 0;
        PgnGame game;
        std::string error;
        const int read = readPgnGame(file, number, game, error);
        std::fclose(file);
        if (read == PGN_GAME_READ) playGame(game);
        else if (read == PGN_BAD_GAME && error.empty()) std::abort();
        else if (read != PGN_NO_SUCH_GAME && read != PGN_BAD_GAME) std::abort();
    }
    return 0;
}
