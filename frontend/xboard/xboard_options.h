// The settings table as xboard sees it: option features after the feature line, and the
// "option" and "memory" commands that change them.
#pragma once

#include <string>

// One "feature option=..." line per setting xboard shows, then the exclude, memory and
// variants features.
void sendOptionFeatures();

// "option NAME=VALUE", or "option NAME" for a button.
void setOptionCommand(const std::string& line);

// "memory N": the table takes N megabytes (within its range).
void setMemory(const std::string& line);
