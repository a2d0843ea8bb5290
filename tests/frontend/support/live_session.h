// Sessions that wait for the engine's replies before they go on, as a front end does, and what
// tests read off them: thinking lines, whether moves are legal, the engine's CPU time and memory.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "board/fen.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "board/position.h"
#include "tests/frontend/support/engine_process.h"
#include "tests/frontend/support/test_files.h"

// The engine on pipes in a scratch folder holding `files`, with a cursor: each wait looks only
// at what came after the text the last wait found.
class LiveSession {
public:
    explicit LiveSession(const std::map<std::string, std::string>& files) {
        for (const auto& [name, bytes] : files) writeFile(dir_.file(name), bytes);
        engine_ = std::make_unique<EngineProcess>(dir_.path);
    }
    // A folder holding only the settings `ini`.
    explicit LiveSession(const std::string& ini) : LiveSession(std::map<std::string, std::string>{{"tarlowick.ini", ini}}) {}

    void send(const std::string& lines) { engine_->send(lines); }

    // Waits for `text` after everything waited for so far; false when it does not come in time.
    bool waitFor(const std::string& text, std::chrono::milliseconds limit = SESSION_TIME_LIMIT) {
        if (!engine_->waitFor(text, limit, seen_)) return false;
        last_ = seen_;
        seen_ = engine_->output.find(text, seen_) + text.size();
        return true;
    }

    // What arrived with the last wait, up to the text it found.
    std::string lastReply() const { return engine_->output.substr(last_, seen_ - last_); }

    // Everything after the cursor once `wait` has passed (the cursor moves to the end).
    std::string collect(std::chrono::milliseconds wait) {
        engine_->waitFor("\x01never", wait, seen_);
        last_ = seen_;
        seen_ = engine_->output.size();
        return engine_->output.substr(last_);
    }

    // Every whole line that arrived after the cursor so far, without moving it.
    std::string pending() { return engine_->output.substr(seen_); }

    pid_t pid() const { return engine_->pid(); }
    Session finish() { return engine_->finish(); }
    const std::string& output() const { return engine_->output; }
    const TempDir& dir() const { return dir_; }

private:
    TempDir dir_;
    std::unique_ptr<EngineProcess> engine_;
    std::size_t seen_ = 0, last_ = 0;
};

// One thinking line: "depth score time nodes" and the variation, its numbers and ".." left out.
struct ThinkingLine {
    int depth = 0, score = 0, time = 0;
    long long nodes = 0;
    std::vector<std::string> pv;
};

inline bool readThinkingLine(const std::string& line, ThinkingLine& out) {
    std::istringstream words(line);
    if (!(words >> out.depth >> out.score >> out.time >> out.nodes)) return false;
    out.pv.clear();
    for (std::string word; words >> word;)
        if (word != ".." && word.back() != '.') out.pv.push_back(word);
    return !out.pv.empty();
}

// The thinking lines of `text`, in order.
inline std::vector<ThinkingLine> thinkingLines(const std::string& text) {
    std::vector<ThinkingLine> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        ThinkingLine thinking;
        if (readThinkingLine(line, thinking)) lines.push_back(thinking);
    }
    return lines;
}

// The thinking lines of `text` by depth, in the order they came. A console prompt before a line
// is not part of it.
inline std::map<int, std::vector<ThinkingLine>> thinkingByDepth(std::string text) {
    for (std::size_t at = text.find("tarlowick> "); at != std::string::npos; at = text.find("tarlowick> "))
        text.replace(at, 11, "\n");
    std::map<int, std::vector<ThinkingLine>> depths;
    for (const ThinkingLine& line : thinkingLines(text)) depths[line.depth].push_back(line);
    return depths;
}

// Every depth of `depths` shows `lines` lines, best first, each starting with another move.
inline void expectLinesPerDepth(const std::map<int, std::vector<ThinkingLine>>& depths, int lines) {
    ASSERT_FALSE(depths.empty());
    for (const auto& [depth, found] : depths) {
        SCOPED_TRACE("depth " + std::to_string(depth));
        ASSERT_EQ(static_cast<int>(found.size()), lines);
        std::set<std::string> firsts;
        for (int k = 0; k < lines; ++k) {
            if (k > 0) {
                EXPECT_GE(found[k - 1].score, found[k].score);
            }
            firsts.insert(found[k].pv.front());
        }
        EXPECT_EQ(static_cast<int>(firsts.size()), lines);
    }
}

// Sets up, in this process, the position `fen` ("startpos" for the start) after `moves`.
inline void setUp(const std::string& fen, const std::vector<std::string>& moves) {
    setStartPosition();
    if (fen != "startpos") {
        ASSERT_EQ(readFen(fen.c_str()), 1) << fen;
    }
    for (const std::string& move : moves) ASSERT_EQ(parseMove(move.c_str()), 1) << move;
}

// Whether `moves` can be played one after the other from the current position; leaves it as it was.
inline bool playable(const std::vector<std::string>& moves) {
    Position* const start = currentPosition;
    bool ok = true;
    for (const std::string& move : moves) {
        // Exactly four squares and a lower-case promotion letter; no blank.
        if (move.size() < 4 || move.size() > 5 ||
            (move.size() == 5 && std::string("nbrq").find(move[4]) == std::string::npos) ||
            parseMove(move.c_str()) != 1) {
            ok = false;
            break;
        }
    }
    currentPosition = start;
    return ok;
}

// Processor time the process has used, user and system, in seconds.
inline double cpuSeconds(pid_t pid) {
    const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    // The fields after the command name, which is in brackets and may hold blanks.
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stoll(field);
        if (i == 15) stime = std::stoll(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The resident set of the process, in megabytes.
inline double residentMegabytes(pid_t pid) {
    std::istringstream status(readFile("/proc/" + std::to_string(pid) + "/status"));
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmRSS:")) return std::stod(line.substr(6)) / 1024.0;
    return -1;
}
