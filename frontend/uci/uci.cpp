#include "frontend/uci/uci.h"

#include <cstdio>
#include <string>

#include "frontend/input/command_table.h"
#include "frontend/input/search_input.h"
#include "frontend/uci/uci_options.h"
#include "frontend/uci/uci_position.h"
#include "frontend/uci/uci_search.h"
#include "state/game_state.h"
#include "state/settings.h"

namespace {

constexpr const char* ENGINE_NAME_VERSION = "tarlowick 0.06";
constexpr const char* ENGINE_AUTHOR = "the tarlowick developers";

// The loop's next line, those kept during a search first, its blanks normalised so that the
// command table sees one spelling of each command.
bool nextUciLine(std::string& line) {
    if (!nextCommandLine(line)) return false;
    normalizeBlanks(line);
    return true;
}

// The rows' actions, in table order.

void identify(const std::string&) {
    std::printf("id name %s\n", ENGINE_NAME_VERSION);
    std::printf("id author %s\n", ENGINE_AUTHOR);
    announceUciOptions();
    std::printf("uciok\n");
}

void readyOk(const std::string&) { std::printf("readyok\n"); }
void newGame(const std::string&) { newUciGame(); }
void setPosition(const std::string& line) { setUciPosition(textFrom(line, 9)); }

void go(const std::string& line) {
    GoCommand command;
    const std::string unreadable = readGo(textFrom(line, 3), command);
    if (!unreadable.empty()) std::printf("info string go: no number after %s\n", unreadable.c_str());
    runGo(command);
}

void setOption(const std::string& line) { setUciOption(textFrom(line, 10)); }

// "stop" and "ponderhit" with no search running; "debug" and "register" ask for nothing this
// engine has.
void nothingToDo(const std::string&) {}

void quit(const std::string&) {}

void unknownCommand(const std::string& line) { std::printf("info string unknown command: %s\n", line.c_str()); }

// Tested in order, the first match winning, on lines whose blanks the input has normalised.
constexpr CommandRow UCI_COMMANDS[] = {
    {"uci", Match::WHOLE, identify, Then::READ},
    {"isready", Match::WHOLE, readyOk, Then::READ},
    {"ucinewgame", Match::WHOLE, newGame, Then::READ},
    {"position ", Match::PREFIX, setPosition, Then::READ},
    {"go", Match::WHOLE, go, Then::READ},
    {"go ", Match::PREFIX, go, Then::READ},
    {"stop", Match::WHOLE, nothingToDo, Then::READ},
    {"setoption ", Match::PREFIX, setOption, Then::READ},
    {"ponderhit", Match::WHOLE, nothingToDo, Then::READ},
    {"debug", Match::PREFIX, nothingToDo, Then::READ},
    {"register", Match::PREFIX, nothingToDo, Then::READ},
    {"quit", Match::WHOLE, quit, Then::STOP},
    {"", Match::ANY, unknownCommand, Then::READ},
};

}  // namespace

void uciLoop(const std::string& firstLine) {
    // Every reply reaches the front end when it is written.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    // The loop reports its own "info" lines; the thinking and book lines of the other loops
    // would only be noise to a UCI front end.
    engineSettings.postThinking = 0;
    resetSearchInput();
    std::string line = firstLine;
    normalizeBlanks(line);
    const CommandRow& first = findCommand(UCI_COMMANDS, line);
    first.action(line);
    if (first.then != Then::STOP) runCommandLoop(UCI_COMMANDS, nullptr, "", nextUciLine);
    gameState.quitRequested = 1;
}
