#include "frontend/input/line_input.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>

namespace {

constexpr std::size_t READ_CHUNK = 4096;

std::string buffered;         // read from the descriptor, not yet handed out
std::size_t searchedUpTo = 0;  // no line end in buffered before this offset
bool inputEnded = false;       // a read found the end of input that no line has reported yet

// Whether a complete line is buffered; its end's offset goes into `end`.
bool bufferedLine(std::size_t& end) {
    end = buffered.find('\n', searchedUpTo);
    if (end != std::string::npos) return true;
    searchedUpTo = buffered.size();
    return false;
}

// Waits until standard input can be read, for a descriptor someone left non-blocking.
void waitForInput() {
    pollfd in{STDIN_FILENO, POLLIN, 0};
    while (::poll(&in, 1, -1) < 0 && errno == EINTR) {
    }
}

// Appends what one read returns. False at the end of input; a read error ends it as well.
bool fill() {
    char chunk[READ_CHUNK];
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (got > 0) {
            buffered.append(chunk, static_cast<std::size_t>(got));
            return true;
        }
        if (got < 0 && errno == EINTR) continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            waitForInput();
            continue;
        }
        inputEnded = true;
        return false;
    }
}

// Hands out the first `length` bytes as a line and drops `consumed` bytes from the buffer.
void takeLine(std::string& line, std::size_t length, std::size_t consumed) {
    line.assign(buffered, 0, length);
    buffered.erase(0, consumed);
    searchedUpTo = 0;
    // Front ends on other systems may end lines with CR LF.
    if (!line.empty() && line.back() == '\r') line.pop_back();
}

}  // namespace

LineRead readLine(std::string& line) {
    line.clear();
    std::size_t end = 0;
    while (!bufferedLine(end)) {
        if (!inputEnded && fill()) continue;
        inputEnded = false;
        takeLine(line, buffered.size(), buffered.size());
        return line.empty() ? LineRead::END : LineRead::CUT_OFF;
    }
    takeLine(line, end, end + 1);
    return LineRead::LINE;
}

bool readInputLine(std::string& line) { return readLine(line) != LineRead::END; }

bool inputLineReady() {
    std::size_t end = 0;
    while (!bufferedLine(end) && !inputEnded) {
        pollfd in{STDIN_FILENO, POLLIN, 0};
        if (::poll(&in, 1, 0) <= 0) return false;  // nothing yet (or no answer: the blocking read will tell)
        fill();
    }
    return true;
}

std::size_t linesWaiting(bool& ended) {
    for (;;) {
        pollfd in{STDIN_FILENO, POLLIN, 0};
        if (inputEnded || ::poll(&in, 1, 0) <= 0 || !fill()) break;
    }
    ended = inputEnded;
    std::size_t lines = 0;
    for (const char c : buffered) lines += c == '\n';
    return lines;
}
