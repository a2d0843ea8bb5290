#include "board/legal_moves.h"

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/move_targets.h"
#include "board/position.h"

namespace {

constexpr int PROMOTION_PIECES[] = {QUEEN, ROOK, BISHOP, KNIGHT};

bool isLegal(Move move) {
    makeMove(move);
    const bool legal = opponentKingAttackers() == 0;
    takeBack();
    return legal;
}

// Calls `visit` with each legal move in list order until it returns true; returns whether one did.
template <typename Visit>
bool forEachLegalMove(Visit visit) {
    if (stackRoom() < 1) return false;
    const Position& p = *currentPosition;
    for (Bitboard pieces = p.ownPieces; pieces; pieces = withoutLowest(pieces)) {
        const int from = lowestSquare(pieces);
        const int type = pieceTypeAt(p, from);
        const bool promoting = type == PAWN && (squareBit(from) & RANK_7) != 0;
        MoveTargets table[MAX_TARGET_ENTRIES];
        const int entries = fillTargets(p, type, from, promoting, table);
        for (int i = 0; i < entries; ++i) {
            const std::uint32_t kind = table[i].kind;
            const bool promotes = kind == PROMOTION || kind == PROMOTION_CAPTURE;
            for (Bitboard targets = table[i].targets; targets; targets = withoutLowest(targets)) {
                const int to = lowestSquare(targets);
                for (int piece : PROMOTION_PIECES) {
                    const Move move = encodeMove(kind, from, to, promotes ? piece : 0);
                    if (isLegal(move) && visit(move)) return true;
                    if (!promotes) break;
                }
            }
        }
    }
    return false;
}

}  // namespace

void listLegalMoves(MoveList& list) {
    list.count = 0;
    forEachLegalMove([&list](Move move) {
        list.moves[list.count++] = move;
        return false;
    });
}

bool anyLegalMove() {
    return forEachLegalMove([](Move) { return true; });
}
