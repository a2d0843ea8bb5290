// The XBoard/WinBoard protocol, version 2, on standard input and output.
#pragma once

// Answers protocol commands until "quit" or the end of input; sets quitRequested.
void xboardLoop();
