// The thinking line printed after each iteration ("post" output), and analysis mode: iterative
// deepening without a move, reading one input line between iterations.
#pragma once

#include <string>

#include "board/move.h"
#include "search/alphabeta.h"
#include "search/driver.h"

// Longest input line analysis accepts, line end included; a longer one ends the analysis.
inline constexpr int ANALYSIS_LINE_LIMIT = 255;

// Writes one move of the variation: from and to square, the promotion letter if any, then a
// space. `mirrored` is 1 for a black move, whose ranks are shown as real ranks. Returns the
// number of characters written (the terminator not counted).
int pvMoveText(char* buffer, Move move, int mirrored);

// Depth, score, centiseconds since searchStartTime and nodeCount in fixed-width fields, without
// a line end (the variation follows). Also written to the game log when it is on.
void printThinkingHeader(int depth, int score);

// `line` as numbered moves, from the side to move of the current position, then a line end.
// The first move is always printed. Also written to the game log when it is on.
void printPrincipalVariation(const PvLine& line = rootLine);

// Analyses the current position to at most `depthLimit` plies, printing a thinking line per
// iteration, until a mate score, the depth limit, "exit", the end of input or the time test.
// The caller clears stopSearch, sets engineSide to SIDE_NONE and searchStartTime beforehand.
// A position without a legal move is not analysed.
void analyze(int depthLimit);

// The thinking line of an analysis iteration; on a mate score the line is first cut to as many
// moves as the mate is moves away.
void printAnalysisLine(int depth, int score, PvLine& line = rootLine);

// printAnalysisLine for a reported iteration and its line; a copy of the line is cut, except
// that rootLine itself is cut as above.
void printAnalysisIteration(const Iteration& iteration);

// "st N" during analysis: N of at least 1 sets moveTime to N seconds, and is echoed; below 1
// the two move-time error lines are printed; a line without a number is ignored.
void setAnalysisMoveTime(const std::string& line);

// Reads one input line (blocking) and acts on it: "exit" stops the analysis, "st N" sets the
// move time, anything else is dropped. The end of input or an over-long line stops it too.
void pollAnalysisInput();
