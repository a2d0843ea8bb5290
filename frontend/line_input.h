// Whole-line reading from standard input: a line of any length arrives as one line.
#pragma once

#include <string>

// Reads the next line without its line end. Returns false at the end of input when nothing was
// read; a last line without a line end is returned as a line.
bool readInputLine(std::string& line);
