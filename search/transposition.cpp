#include "search/transposition.h"

#include <bit>
#include <cstdlib>
#include <cstring>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

#include "book/position_key.h"

namespace {

constexpr std::size_t MEGABYTE = std::size_t{1} << 20;
// Every probe lands on a random slot: with ordinary 4 KiB pages nearly each one also misses the
// address-translation cache. The table is aligned to the 2 MiB pages of x86-64 and offered to
// the system as a candidate for them.
constexpr std::size_t LARGE_PAGE = 2 * MEGABYTE;

// A zeroed table of `entries`, or null when the memory cannot be had. Zeroing it writes every
// page, so the process holds the whole table from the start and not only once searches fill it.
HashEntry* newTable(std::size_t entries) {
    const std::size_t bytes = entries * sizeof(HashEntry);
    const std::size_t alignment = bytes >= LARGE_PAGE ? LARGE_PAGE : alignof(std::max_align_t);
    // aligned_alloc wants a multiple of the alignment.
    void* const memory = std::aligned_alloc(alignment, (bytes + alignment - 1) / alignment * alignment);
    if (memory == nullptr) return nullptr;
#if defined(MADV_HUGEPAGE)
    if (alignment == LARGE_PAGE) madvise(memory, bytes, MADV_HUGEPAGE);
#endif
    std::memset(memory, 0, bytes);
    return static_cast<HashEntry*>(memory);
}

// The tags of a new table, all 0. Written once, like the entries.
HashTag* newTags(std::size_t entries) {
    void* const memory = std::malloc(entries * sizeof(HashTag));
    if (memory != nullptr) std::memset(memory, 0, entries * sizeof(HashTag));
    return static_cast<HashTag*>(memory);
}

TranspositionTable defaultTable() {
    const std::size_t entries = hashEntriesFor(DEFAULT_HASH_MB);
    return TranspositionTable{newTable(entries), entries - 1, 1, newTags(entries)};
}

}  // namespace

TranspositionTable hashTable = defaultTable();

std::size_t hashEntriesFor(int megabytes) {
    return std::bit_floor(static_cast<std::size_t>(megabytes) * MEGABYTE / sizeof(HashEntry));
}

int resizeHash(int megabytes) {
    if (megabytes < MIN_HASH_MB || megabytes > MAX_HASH_MB) return 0;
    const std::size_t entries = hashEntriesFor(megabytes);
    if (entries == hashEntryCount()) {
        clearHash();
        return 1;
    }
    HashEntry* const table = newTable(entries);
    HashTag* const tags = table != nullptr ? newTags(entries) : nullptr;
    if (tags == nullptr) {
        std::free(table);
        return 0;
    }
    std::free(hashTable.entries);
    std::free(hashTable.tags);
    hashTable = TranspositionTable{table, entries - 1, 1, tags};
    return 1;
}

void clearHash() {
    // Only when the search numbers run out are the entries zeroed, which makes every old one
    // read as empty again under the numbers that follow. The tags need no clearing: they only
    // filter, and the entries decide.
    if (++hashTable.generation == 0) {
        std::memset(static_cast<void*>(hashTable.entries), 0, hashTableBytes());
        hashTable.generation = 1;
    }
}

int probeHash(HashEntry& out, int depth, int alpha, int beta) {
    return probeHashAt(computePositionKey(), out, depth, alpha, beta);
}

void storeHash(int depth, int score, int flag, Move move) { storeHashAt(computePositionKey(), depth, score, flag, move); }
