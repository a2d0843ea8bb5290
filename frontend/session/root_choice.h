// The root moves a user or a front end chooses for the searches of a position: UCI's
// searchmoves, and xboard's and the console's exclude and include.
#pragma once

#include <string>

#include "board/move.h"

// The legal move of the current position that `text` names in coordinate notation; 0 when
// none does.
Move legalMoveFromText(const std::string& text);

// "exclude MOVE", "exclude all", "include MOVE", "include all" (the text after the command
// word). False when MOVE is not a legal move of the position; the set is then unchanged.
bool excludeFromText(const std::string& text);
bool includeFromText(const std::string& text);
