#include "search/alphabeta.h"

#include <algorithm>

#include "board/attacks.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "board/position.h"
#include "book/position_key.h"
#include "movegen/movegen.h"
#include "search/evaluate.h"
#include "search/key_update.h"
#include "search/ordering.h"
#include "search/quiescence.h"
#include "search/root_moves.h"
#include "search/search_hooks.h"
#include "search/transposition.h"
#include "state/clock.h"
#include "state/game_state.h"
#include "state/settings.h"
#include "state/time_control.h"

namespace {

// The clock is read at one time test in CLOCK_READ_INTERVAL. Time tests come every few hundred
// nanoseconds while the limits are counted in centiseconds, so the stop moves by microseconds
// at most; reading the clock at every move cost a tenth of the search.
constexpr int CLOCK_READ_INTERVAL = 32;
int clockCountdown = 0;

// The front end's input hook runs at a clock-reading time test once POLL_NODE_INTERVAL nodes
// have passed since it last ran: a stop or a question reaches the engine within about a
// millisecond, while the system call it costs stays out of the profile.
// Unsigned differences keep the interval through a wrap of the node counter.
constexpr std::uint32_t POLL_NODE_INTERVAL = 4096;
std::uint32_t polledAt = 0;

// Raises the stop flag once the time since the search started (in centiseconds) is above the
// fixed move time or the allowance; equal is still in time. Runs the input hook when one is set.
inline void timeTest() {
    if (!searchTimeLimited || --clockCountdown > 0) return;
    clockCountdown = CLOCK_READ_INTERVAL;
    if (searchPoll != nullptr && nodeCount - polledAt >= POLL_NODE_INTERVAL) {
        polledAt = nodeCount;
        searchPoll();
    }
    const std::int32_t elapsed = elapsedMs(gameState.searchStartTime) / 10;
    if (elapsed > engineSettings.moveTime || elapsed > timeControl.allocatedTime) gameState.stopSearch = 1;
}

inline bool stopped() { return gameState.stopSearch == 1; }

// After `move` raised alpha: the node's line is the move followed by the child's line.
inline void updateLine(PvLine& line, Move move, const PvLine& child) {
    line.moves[0] = move;
    const int copied = std::min<int>(child.length, PV_LENGTH - 1);
    std::copy_n(child.moves, copied, line.moves + 1);
    line.length = copied + 1;
}

inline bool inCheck() { return ownKingAttacked(*currentPosition); }

// `material` is the materialScore of the node's position when its parent worked it out from
// the move (only for the nodes at the horizon, which evaluate), else UNKNOWN_MATERIAL.
template <bool testDraws>
int search(int depth, int alpha, int beta, PvLine& line, int mateScore, int nullAllowed, PositionKey key,
           int material = UNKNOWN_MATERIAL);

// What a node knows while it walks its moves.
struct NodeState {
    PositionKey key;
    int depth, alpha, beta, mateScore;
    PvLine& line;
    PvLine child;
    int lastScore = 0;
    bool hasLastScore = false;  // a child search (null move included) has run
    bool searchedLegal = false;
    bool raisedAlpha = false;
    int material = UNKNOWN_MATERIAL;  // of the node's own position, once a child needed it
    bool storing = true;  // a root that passes over some moves writes no entry: its scores are not the position's

    // What a child's search is given for the material of its position: only a child at the
    // horizon gets it, worked out from this node's own.
    int childMaterial(const Position& position, Move move) {
        if (depth != 1) return UNKNOWN_MATERIAL;
        if (material == UNKNOWN_MATERIAL) material = materialScore(position);
        return materialAfter(material, position, move);
    }
};

// Searches one legal move already made on the stack (`childKey` is the key of the position it
// led to) and takes it back. Returns true on a cut-off; the caller then stores and returns beta.
// `root`: only the root may pass over moves and leave its entries unwritten; below it the
// test compiles away.
template <bool root>
inline bool searchMadeMove(NodeState& node, Move move, PositionKey childKey, int childMaterial) {
    node.child.length = 0;
    const int score = -search<true>(node.depth - 1, -node.beta, -node.alpha, node.child, node.mateScore - 1, 1,
                                    childKey, childMaterial);
    takeBack();
    rootProgress.movesSearched += node.mateScore == MATE_SCORE;  // only the root has the full mate score
    node.lastScore = score;
    node.hasLastScore = true;
    if (score >= node.beta) {
        if (!root || node.storing) storeHashAt(node.key, node.depth, score, HASH_LOWER, move);
        return true;
    }
    node.searchedLegal = true;
    if (score > node.alpha) {
        if (!root || node.storing) storeHashAt(node.key, node.depth, score, HASH_EXACT, move);
        updateLine(node.line, move, node.child);
        node.alpha = score;
        node.raisedAlpha = true;
    }
    return false;
}

// A move to search with its child's key, whose table slot starts loading when it is taken.
struct Candidate {
    Move move;
    PositionKey childKey;
};

inline Candidate candidate(Move move, const KeyContext& keys) {
    const PositionKey childKey = keyAfterMove(keys, move);
    prefetchHash(childKey);
    return {move, childKey};
}

// Makes the move; false, with the move taken back, when it leaves the mover's king attacked.
inline bool makeLegal(const Candidate& c) {
    makeMove(c.move);
    if (!opponentKingAttacked(*currentPosition)) return true;
    takeBack();
    return false;
}

// Cut-offs in the quiet phase so far; the history table changes only with them.
std::uint32_t historyChanges = 0;

// The captures and promotions, greatest generator score first, earliest on ties.
class CaptureOrder {
public:
    explicit CaptureOrder(const KeyContext& keys) : keys_(keys) { generateCaptures(list_); }
    bool next(Candidate& out) {
        if (list_.count == 0) return false;
        const Move move = pickBestMove(list_);
        --list_.count;
        out = candidate(move, keys_);
        return true;
    }

private:
    const KeyContext& keys_;
    ScoredMoveList list_;
};

// The quiet moves: killers of the node's depth first, then by history, taken from the list's
// end. Two calls that provably do nothing are skipped: killerToEnd once no killer is left in
// the list (the node's killer row cannot change while it runs), and historyToEnd when its last
// call moved nothing and no history counter has changed since. Each move's counter index is
// kept beside it, so the history scans read the counters without decoding the moves.
class QuietOrder {
public:
    QuietOrder(const KeyContext& keys, int depth) : keys_(keys) {
        generateQuiets(list_);
        for (int i = 0; i < list_.count; ++i) counters_[i] = static_cast<std::uint16_t>(historyIndex(list_.moves[i]));
        if (depth >= 0 && depth < KILLER_ROWS) {
            killer1_ = killerTable[depth][0];
            killer2_ = killerTable[depth][1];
            for (int i = 0; i < list_.count; ++i) killersLeft_ += isKiller(list_.moves[i]);
        }
    }
    bool next(Candidate& out) {
        if (list_.count == 0) return false;
        if (killersLeft_ > 0) {
            // The node's killer row, read once: the first killer in list order goes last.
            killerToEnd(
                list_.count, killer1_, killer2_, [this](int i) { return list_.moves[i]; },
                [this](int i, int j) { exchange(i, j); });
        } else if (!historyIdle_ || historyChangesSeen_ != historyChanges) {
            historyIdle_ = historyToEnd(
                               list_.count, [this](int i) { return historyCounter(counters_[i]); },
                               [this](int i, int j) { exchange(i, j); }) == 0;
            historyChangesSeen_ = historyChanges;
        }
        const int last = --list_.count;
        const Move move = list_.moves[last];
        list_.moves[last] = 0;
        killersLeft_ -= isKiller(move);
        out = move == likely_.move ? likely_ : candidate(move, keys_);
        return true;
    }

    // Starts loading the slot of the move next() would take if no counter changed meanwhile;
    // the list itself is left alone. That is the first killer in the list, else the last
    // entry to beat the rising history threshold, else the last entry.
    void prefetchLikelyNext() {
        const int count = list_.count;
        if (count == 0) return;
        Move likely = list_.moves[count - 1];
        if (killersLeft_ > 0) {
            for (int i = 0; i < count; ++i)
                if (isKiller(list_.moves[i])) {
                    likely = list_.moves[i];
                    break;
                }
        } else if (!historyIdle_ || historyChangesSeen_ != historyChanges) {
            std::int32_t threshold = 1;
            for (int i = 0; i + 1 < count; ++i) {
                const std::int32_t h = historyCounter(counters_[i]);
                if (h > threshold) {
                    threshold = h;
                    likely = list_.moves[i];
                }
            }
        }
        likely_ = candidate(likely, keys_);
    }

private:
    int isKiller(Move move) const { return move == killer1_ || move == killer2_; }
    void exchange(int i, int j) {
        std::swap(list_.moves[i], list_.moves[j]);
        std::swap(counters_[i], counters_[j]);
    }
    const KeyContext& keys_;
    MoveList list_;
    std::uint16_t counters_[MOVE_LIST_SIZE];
    Move killer1_ = 0, killer2_ = 0;
    int killersLeft_ = 0;
    bool historyIdle_ = false;
    std::uint32_t historyChangesSeen_ = 0;
    Candidate likely_{0, 0};
};

template <bool testDraws>
int search(int depth, int alpha, int beta, PvLine& line, int mateScore, int nullAllowed, PositionKey key,
           int material) {
    HashEntry entry{};  // read only when the probe found this position
    int probe = probeHashForSearch(key, entry, depth, alpha, beta);
    // The root drivers' choices: a root that passes over moves cannot take the position's score.
    constexpr bool root = !testDraws;
    const bool skipping = root && rootSkip.active;
    if (skipping && probe != HASH_MISS) probe = entry.move != 0 && !skippedAtRoot(entry.move) ? HASH_MOVE_ONLY : HASH_MISS;
    if (probe != HASH_MISS && probe != HASH_MOVE_ONLY) return probe;

    if constexpr (testDraws) {
        if (drawnForSearch()) return 0;
    }

    // The guard keeps the line inside the position stack whatever the depth asked for.
    if (depth == 0 || stackRoom() < 1) {
        line.length = 0;
        return quiesceWithMaterial(alpha, beta, mateScore, material);
    }

    NodeState node{key, depth, alpha, beta, mateScore, line, {}};
    node.storing = !skipping;
    int checked = -1;  // whether the side to move is in check, worked out when first needed
    auto sideInCheck = [&checked] {
        if (checked < 0) checked = inCheck() ? 1 : 0;
        return checked == 1;
    };

    // Null move: let the opponent move twice; if even that does not bring the score below beta,
    // the node fails high without searching a move.
    const Position& position = *currentPosition;
    if (nullAllowed == 1 && depth >= 5 && popCount(occupiedSquares(position)) > depth + 4 && !sideInCheck()) {
        flipBoard(*currentPosition);
        node.child.length = 0;
        const int score = -search<true>(depth - 4, -beta, -beta + 1, node.child, mateScore - 1, 0, computePositionKey());
        flipBoard(*currentPosition);
        if (score >= beta) return score;
        node.lastScore = score;
        node.hasLastScore = true;
    }

    const KeyContext keys = keyContext(key, position);

    // The move remembered for this position goes first. It is played as its text would be, so
    // a move that is not valid here (a damaged entry, a key shared by another position) is
    // simply refused; what is made is a move of this position, whose key follows from it.
    if (probe == HASH_MOVE_ONLY) {
        if (const Move made = playAsText(entry.move);
            made != 0 &&
            searchMadeMove<root>(node, entry.move, keyAfterMove(keys, made), node.childMaterial(position, made)))
            return beta;
    }

    // Each phase takes its next move before searching the current one, so the next child's
    // table slot loads while the current subtree is searched.
    Move lastMove = 0;
    CaptureOrder captures(keys);
    Candidate current, next;
    for (bool has = captures.next(current); has; current = next) {
        has = captures.next(next);
        if (skipping && skippedAtRoot(current.move)) continue;
        lastMove = current.move;
        const int childMaterial = node.childMaterial(position, current.move);
        if (makeLegal(current) && searchMadeMove<root>(node, current.move, current.childKey, childMaterial)) return beta;
        if (stopped()) break;
        timeTest();
        if (stopped()) break;
    }

    // Only a depth-1 node may take its next quiet move ahead: its children are leaves, which
    // never change the killers or the history the order depends on.
    const bool takeAhead = depth == 1;
    QuietOrder quiets(keys, depth);
    for (bool has = quiets.next(current); has; current = next) {
        if (takeAhead)
            has = quiets.next(next);
        else
            quiets.prefetchLikelyNext();
        if (skipping && skippedAtRoot(current.move)) {
            if (!takeAhead) has = quiets.next(next);
            continue;
        }
        lastMove = current.move;
        const int childMaterial = node.childMaterial(position, current.move);
        if (makeLegal(current) && searchMadeMove<root>(node, current.move, current.childKey, childMaterial)) {
            historyTable[moveFrom(current.move)][moveTo(current.move)] += depth * depth;
            ++historyChanges;
            updateKillers(depth, current.move);
            return beta;
        }
        if (stopped()) break;
        timeTest();
        if (stopped()) break;
        if (!takeAhead) has = quiets.next(next);
    }

    if (!node.searchedLegal) {
        if (sideInCheck()) {
            if (!root || node.storing) storeHashAt(key, depth, -mateScore, HASH_EXACT, lastMove);
            return -mateScore;
        }
        node.alpha = 0;  // stalemate
    }
    // Without a move that raised alpha the entry holds the last score seen, not the best one.
    if (!node.raisedAlpha && (!root || node.storing))
        storeHashAt(key, depth, node.hasLastScore ? node.lastScore : node.alpha, HASH_UPPER, lastMove);
    return node.alpha;
}

}  // namespace

bool drawnForSearch() {
    const Position& p = *currentPosition;
    if (p.repetition == 2 || p.rule50 > 100) return true;
    return p.rule50 == 100 && !inCheck();
}

int alphaBeta(int depth, int alpha, int beta, PvLine& line, int mateScore, int nullAllowed) {
    return search<true>(depth, alpha, beta, line, mateScore, nullAllowed, computePositionKey());
}

void restartTimeTests() {
    clockCountdown = 0;  // the first time test reads the clock
    polledAt = nodeCount - POLL_NODE_INTERVAL;  // and polls, whatever nodeCount starts from
}

int searchRoot(int depth, int alpha, int beta) {
    restartTimeTests();
    rootProgress = RootProgress{depth, 0};
    return search<false>(depth, alpha, beta, rootLine, MATE_SCORE, 1, computePositionKey());
}
