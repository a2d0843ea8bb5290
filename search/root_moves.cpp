#include "search/root_moves.h"

#include <algorithm>
#include <cstring>

#include "board/attacks.h"
#include "board/makemove.h"

namespace {

bool isCurrentPosition(const RootMoveChoice& choice) {
    return choice.stackIndex == stackIndex() &&
           std::memcmp(&choice.position, currentPosition, sizeof(Position)) == 0;
}

// The choice from now on belongs to the current position.
void claimCurrentPosition() {
    rootMoveChoice.stackIndex = stackIndex();
    rootMoveChoice.position = *currentPosition;
}

int legalRootMoves(Move* moves) {
    if (stackRoom() < 1) return 0;
    Move all[MAX_MOVES];
    int count = 0, legal = 0;
    generateAllMoves(all, count);
    for (int i = 0; i < count; ++i) {
        makeMove(all[i]);
        if (!opponentKingAttacked(*currentPosition)) moves[legal++] = all[i];
        takeBack();
    }
    return legal;
}

bool contains(const Move* moves, int count, Move move) { return std::find(moves, moves + count, move) != moves + count; }

// The set as a list of allowed moves, whatever it was before.
void makeRestricted() {
    if (rootMoveChoice.restricted && isCurrentPosition(rootMoveChoice)) return;
    rootMoveChoice.count = legalRootMoves(rootMoveChoice.moves);
    rootMoveChoice.restricted = true;
    claimCurrentPosition();
}

}  // namespace

void allowAllRootMoves() {
    rootMoveChoice.restricted = false;
    rootMoveChoice.count = 0;
    claimCurrentPosition();
}

void allowOnlyRootMoves(const Move* moves, int count) {
    rootMoveChoice.restricted = true;
    rootMoveChoice.count = 0;
    for (int i = 0; i < count; ++i)
        if (!contains(rootMoveChoice.moves, rootMoveChoice.count, moves[i]))
            rootMoveChoice.moves[rootMoveChoice.count++] = moves[i];
    claimCurrentPosition();
}

void excludeRootMove(Move move) {
    makeRestricted();
    Move* const end = rootMoveChoice.moves + rootMoveChoice.count;
    rootMoveChoice.count = static_cast<int>(std::remove(rootMoveChoice.moves, end, move) - rootMoveChoice.moves);
}

void includeRootMove(Move move) {
    makeRestricted();
    if (!contains(rootMoveChoice.moves, rootMoveChoice.count, move))
        rootMoveChoice.moves[rootMoveChoice.count++] = move;
}

namespace {

// Whether the choice, if it belongs to the current position, allows `move`.
bool choiceAllows(Move move) {
    return !rootMoveChoice.restricted || !isCurrentPosition(rootMoveChoice) ||
           contains(rootMoveChoice.moves, rootMoveChoice.count, move);
}

}  // namespace

int allowedRootMoves(Move* moves) {
    const int legal = legalRootMoves(moves);
    int allowed = 0;
    for (int i = 0; i < legal; ++i)
        if (choiceAllows(moves[i])) moves[allowed++] = moves[i];
    return allowed;
}

int startRootSkip() {
    endRootSkip();
    Move legal[MAX_MOVES];
    const int legalCount = legalRootMoves(legal);
    for (int i = 0; i < legalCount; ++i)
        if (!choiceAllows(legal[i])) rootSkip.moves[rootSkip.count++] = legal[i];
    const int allowedCount = legalCount - rootSkip.count;
    if (allowedCount == 0 || allowedCount == legalCount) {
        endRootSkip();  // a choice that leaves nothing is not applied
        return legalCount;
    }
    rootSkip.active = true;
    return allowedCount;
}
