#!/usr/bin/env python3
"""Ratings of every player in the calibration's games, fitted together.

Each pair's match alone gives one Elo difference; chained pairs (a level against Fairy-Max held
to a depth, that Fairy-Max against another level, ...) and lopsided ones are better read as one
system: the maximum-likelihood ratings of the logistic Elo model over all games, with the named
anchors held at their ratings and the 95% error bars from the inverted information matrix (so a
long chain's errors add up as they should).

usage: level_ratings.py [NAME=ELO ...] GAMES.pgn ...
       default anchors: hoichess=1800 fairymax=1900
"""
import math
import re
import sys
from collections import defaultdict

SCALE = math.log(10) / 400


def read_games(paths):
    games = []
    for path in paths:
        white = black = None
        with open(path, errors="replace") as f:
            for line in f:
                m = re.match(r'\[(White|Black|Result) "([^"]*)"\]', line)
                if not m:
                    continue
                tag, value = m.groups()
                if tag == "White":
                    white = value
                elif tag == "Black":
                    black = value
                elif value in ("1-0", "0-1", "1/2-1/2") and white and black:
                    score = {"1-0": 1.0, "0-1": 0.0, "1/2-1/2": 0.5}[value]
                    games.append((name(white), name(black), score))
    return games


def name(player):
    # Full strength plays as "tarlowick" when it is the anchor and "tarlowick-full" as a level.
    return "tarlowick-full" if player == "tarlowick" else player


def expected(diff):
    return 1 / (1 + math.exp(-SCALE * diff))


def solve(matrix, vector):
    """Gaussian elimination with partial pivoting; matrix is square and nonsingular."""
    n = len(vector)
    a = [row[:] + [vector[i]] for i, row in enumerate(matrix)]
    for col in range(n):
        pivot = max(range(col, n), key=lambda r: abs(a[r][col]))
        a[col], a[pivot] = a[pivot], a[col]
        for r in range(n):
            if r != col and a[col][col] != 0:
                factor = a[r][col] / a[col][col]
                for c in range(col, n + 1):
                    a[r][c] -= factor * a[col][c]
    return [a[i][n] / a[i][i] for i in range(n)]


def fit(games, anchors):
    players = sorted({p for g in games for p in g[:2]})
    free = [p for p in players if p not in anchors]
    index = {p: i for i, p in enumerate(free)}
    rating = {p: anchors.get(p, 1500.0) for p in players}
    # A player who won or lost every game has no finite rating: a virtual draw against each
    # opponent keeps it finite without moving the others much.
    padded = list(games)
    outcomes = defaultdict(list)
    for w, b, s in games:
        outcomes[w].append(s)
        outcomes[b].append(1 - s)
    for p in free:
        if all(s == 1 for s in outcomes[p]) or all(s == 0 for s in outcomes[p]):
            opponent = next(b if w == p else w for w, b, _ in games if p in (w, b))
            padded += [(p, opponent, 0.5)]
    information = None
    for _ in range(100):
        gradient = [0.0] * len(free)
        information = [[0.0] * len(free) for _ in free]
        for w, b, s in padded:
            e = expected(rating[w] - rating[b])
            weight = SCALE * SCALE * e * (1 - e)
            for p, sign in ((w, 1), (b, -1)):
                if p in index:
                    gradient[index[p]] += sign * SCALE * (s - e)
            for p in (w, b):
                for q in (w, b):
                    if p in index and q in index:
                        information[index[p]][index[q]] += weight if p == q else -weight
        step = solve(information, gradient)
        for p, i in index.items():
            rating[p] += max(-200.0, min(200.0, step[i]))
        if max(abs(x) for x in step) < 0.01:
            break
    error = {}
    for p, i in index.items():
        unit = [1.0 if j == i else 0.0 for j in range(len(free))]
        error[p] = 1.96 * math.sqrt(max(solve(information, unit)[i], 0.0))
    return players, rating, error, outcomes


def main(args):
    anchors = {"hoichess": 1800.0, "fairymax": 1900.0}
    paths = []
    for arg in args:
        if "=" in arg:
            player, elo = arg.split("=", 1)
            anchors[player] = float(elo)
        else:
            paths.append(arg)
    games = read_games(paths)
    if not games:
        print("no finished games")
        return 1
    present = {p for g in games for p in g[:2]}
    anchors = {p: r for p, r in anchors.items() if p in present}
    # Only players linked to an anchor through games have a rating.
    linked, frontier = set(anchors), list(anchors)
    while frontier:
        p = frontier.pop()
        for w, b, _ in games:
            for q in (w, b):
                if p in (w, b) and q not in linked:
                    linked.add(q)
                    frontier.append(q)
    unlinked = sorted(present - linked)
    games = [g for g in games if g[0] in linked]
    players, rating, error, outcomes = fit(games, anchors)
    print(f"{len(games)} games; anchors held: " + ", ".join(f"{p} {r:.0f}" for p, r in anchors.items()))
    print(f"{'player':<18} {'games':>5} {'score':>6} {'Elo':>6} {'95%':>6}")
    for p in sorted(players, key=lambda p: rating[p]):
        scores = outcomes[p]
        bar = f"+-{error[p]:.0f}" if p in error else "anchor"
        print(f"{p:<18} {len(scores):>5} {100 * sum(scores) / len(scores):>5.1f}% {rating[p]:>6.0f} {bar:>6}")
    if unlinked:
        print("not linked to an anchor: " + ", ".join(unlinked))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
