// Runs the built engine as a separate process in a scratch directory, the way a front end or a
// person at a terminal does: lines in on standard input, replies read from standard output.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "tests/frontend/support/test_files.h"

// How a session ended.
struct Session {
    std::string output;
    bool exited = false;  // ended by itself (not by a signal, not killed for taking too long)
    int status = -1;      // its exit status when it exited
};

inline constexpr auto SESSION_TIME_LIMIT = std::chrono::seconds(60);

// Waits for the engine to end; one that outlives the limit is killed and reported as not exited.
inline void waitForEnd(pid_t pid, Session& session) {
    const auto deadline = std::chrono::steady_clock::now() + SESSION_TIME_LIMIT;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            ADD_FAILURE() << "the engine did not end within the time limit";
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    session.exited = WIFEXITED(status);
    session.status = session.exited ? WEXITSTATUS(status) : -1;
}

// Starts the engine in `dir` with the given standard input and output descriptors.
inline pid_t startEngine(const std::string& dir, int input, int output) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(126);
        dup2(input, STDIN_FILENO);
        dup2(output, STDOUT_FILENO);
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, STDERR_FILENO);
        execl(TARLOWICK_BINARY, "tarlowick", static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

// The whole input at once, as from a file; returns everything the engine wrote.
inline Session runSession(const TempDir& dir, const std::string& input) {
    writeFile(dir.file("session.in"), input);
    const int in = open(dir.file("session.in").c_str(), O_RDONLY);
    const int out = open(dir.file("session.out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    Session session;
    const pid_t pid = startEngine(dir.path, in, out);
    close(in);
    close(out);
    waitForEnd(pid, session);
    session.output = readFile(dir.file("session.out"));
    return session;
}

// An engine on pipes, for sessions that must wait for a reply before they go on.
class EngineProcess {
public:
    explicit EngineProcess(const std::string& dir) {
        ::signal(SIGPIPE, SIG_IGN);  // an engine that ended early must fail the test, not end it
        int in[2], out[2];
        // Close-on-exec, so that the engine holds no copy of its own input's write end and sees its end.
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
        pid_ = startEngine(dir, in[0], out[1]);
        close(in[0]);
        close(out[1]);
        input_ = in[1];
        output_ = out[0];
    }
    EngineProcess(const EngineProcess&) = delete;
    EngineProcess& operator=(const EngineProcess&) = delete;
    ~EngineProcess() {
        if (pid_ > 0 && !ended_) finish();
    }

    void send(const std::string& text) {
        if (write(input_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) ADD_FAILURE() << "write";
    }
    void signal(int number) { kill(pid_, number); }
    pid_t pid() const { return pid_; }

    // Reads until the output holds `text` (at `from` or later); false when it does not arrive
    // within `limit`.
    bool waitFor(const std::string& text, std::chrono::milliseconds limit = SESSION_TIME_LIMIT, std::size_t from = 0) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (output.find(text, from) == std::string::npos) {
            if (std::chrono::steady_clock::now() > deadline || readSome(100) == READ_END) return false;
        }
        return true;
    }

    // Closes the input, reads the rest and waits for the end.
    Session finish() {
        ended_ = true;
        close(input_);
        while (readSome(SESSION_TIME_LIMIT.count() * 1000) == READ_DATA) {
        }
        close(output_);
        Session session;
        waitForEnd(pid_, session);
        session.output = output;
        return session;
    }

    std::string output;

private:
    enum ReadResult { READ_DATA, READ_NOTHING_YET, READ_END };

    ReadResult readSome(long milliseconds) {
        pollfd ready{output_, POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(milliseconds)) <= 0) return READ_NOTHING_YET;
        char buffer[4096];
        const ssize_t count = read(output_, buffer, sizeof buffer);
        if (count <= 0) return READ_END;
        output.append(buffer, static_cast<size_t>(count));
        return READ_DATA;
    }

    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    bool ended_ = false;
};
