#include "frontend/line_input.h"

#include <cstdio>

bool readInputLine(std::string& line) {
    line.clear();
    int c;
    bool ended = false;
    while ((c = std::getchar()) != EOF) {
        if (c == '\n') {
            ended = true;
            break;
        }
        line.push_back(static_cast<char>(c));
    }
    // Front ends on other systems may end lines with CR LF.
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return ended || !line.empty();
}
