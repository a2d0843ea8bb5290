// The settings a UCI front end may change: announced after "uci", set by "setoption".
#pragma once

// Prints one "option name ... type ... default ..." line per option; the defaults are the
// values the settings hold now (those of tarlowick.ini, or their own defaults).
void announceUciOptions();

// Acts on the text after "setoption " ("name <id> [value <x>]"). A name, check value or text
// the engine cannot take is answered with an "info string" line and changes nothing.
void setUciOption(const char* text);
