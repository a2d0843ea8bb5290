// Book files of any content: the binary search and the record reader stay inside the file, and
// every move text they produce is refused or made legally by the move reader.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "board/fen.h"
#include "board/movetext.h"
#include "book/book.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (file == nullptr) return 0;
    setStartPosition();
    const PositionKey keys[] = {computePositionKey(), 0, ~PositionKey{0}, data[0] * 0x0101010101010101ULL};
    for (const PositionKey key : keys) {
        BookEntry entry{};
        const std::int32_t index = findBookKey(file, key, entry);
        if (index < -1 || (index >= 0 && static_cast<std::size_t>(index) * BOOK_ENTRY_SIZE >= size)) std::abort();
        char text[BOOK_MOVE_TEXT_SIZE];
        bookMoveToText(entry.move, text);
        if (std::memchr(text, '\0', sizeof text) == nullptr) std::abort();
        Position* const top = currentPosition;
        if (parseMove(text) == 1) {
            requireSaneRecord(*currentPosition);
            takeBack();
        }
        if (currentPosition != top) std::abort();
    }
    std::rewind(file);
    BookEntry entry{};
    while (readBookEntry(file, entry) == 0) {
    }
    std::fclose(file);
    return 0;
}
