// Whole-line reading from standard input, through the engine's own buffer: a line of any length
// arrives as one line, and whether a line is waiting can be asked without blocking. Every reader
// of standard input goes through here; a second, stdio buffer could hold lines this one
// never sees.
#pragma once

#include <cstddef>
#include <string>

// How a read ended.
enum class LineRead {
    LINE,     // a line that had its line end
    CUT_OFF,  // a last line that the end of input cut off before its line end
    END,      // the end of input, nothing read
};

// Reads the next line without its line end (nor a CR before it), blocking until it arrives.
// The end of input is not kept: a later call reads again, as it may find more (a terminal).
LineRead readLine(std::string& line);

// Reads the next line without its line end. Returns false at the end of input when nothing was
// read; a last line without a line end is returned as a line.
bool readInputLine(std::string& line);

// Whether readLine would return without waiting: a whole line is buffered or arrives now, or
// the input has ended. Never blocks.
bool inputLineReady();

// Takes in all input that has arrived, without waiting, and returns how many whole lines are
// buffered. `ended` tells whether the end of input has been found after them.
std::size_t linesWaiting(bool& ended);
