// Console mode: a person plays and tests the engine by typing commands and coordinate moves.
#pragma once

// Runs console commands until "quit" or the end of input; sets quitRequested.
void consoleLoop();

// The "param" printout of every setting.
void printSettings();
