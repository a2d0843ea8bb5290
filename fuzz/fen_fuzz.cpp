// FEN text of any kind: refused, or a position every part of the engine can work on.
#include <cstdint>
#include <cstring>

#include "board/fen.h"
#include "book/position_key.h"
#include "fuzz/fuzz_support.h"
#include "search/evaluate.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = asText(data, size);
    setStartPosition();
    const Position before = *currentPosition;
    if (readFen(text.c_str()) != 1) {
        if (std::memcmp(&before, currentPosition, sizeof before) != 0) std::abort();
        return 0;
    }
    requireSaneRecord(*currentPosition);
    const Position loaded = *currentPosition;
    (void)computePositionKey();
    (void)evaluate();
    playEveryMove();
    if (std::memcmp(&loaded, currentPosition, sizeof loaded) != 0) std::abort();
    return 0;
}
