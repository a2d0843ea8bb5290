// Filling EngineSettings from the configuration file, and opening the game log it asks for.
#pragma once

inline constexpr const char* CONFIG_FILE_NAME = "tarlowick.ini";

// Reads every setting that has a key from `fileName`, section by section (ENGINE, LOG, BOOK,
// TIME), each missing value taking its default and each out-of-range one its default or, for
// the settings that clamp, the nearest value in range; maxTime is also copied into moveTime
// and the TimeControl clocks. With LogGame on, the log file is opened for appending. A log that cannot be opened is reported on standard error
// and ends the load there: the book and time settings keep the values they had. Safe to call
// again: the log stream of an earlier load is closed, never leaked.
//
// Afterwards logGame is 1 exactly when logStream is an open file, so a writer that tests logGame
// never meets a missing stream.
void loadSettings(const char* fileName);

// Gives the transposition table the size of the hashSize setting, unless it has that size, and
// returns 1. When the memory cannot hold it, the table stays as it was, hashSize is set to the
// size it has, and 0 is returned.
int applyHashSize();

// The longest search is also the move time and the clock until a front end sends one.
void copyMaxTime();

// Closes the game log if it is open.
void closeGameLog();

// Opens logFile for appending. A file that cannot be opened is reported on standard error and
// turns logGame off; returns false then.
bool openGameLog();
