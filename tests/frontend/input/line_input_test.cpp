// The engine's one input buffer, read from a pipe in place of standard input, written piece by
// piece as a front end's lines arrive.
#include "frontend/input/line_input.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "frontend/input/command_table.h"

namespace {

class LineInput : public testing::Test {
protected:
    void SetUp() override {
        savedInput_ = dup(STDIN_FILENO);
        int ends[2];
        ASSERT_EQ(pipe(ends), 0);
        ASSERT_EQ(dup2(ends[0], STDIN_FILENO), STDIN_FILENO);
        close(ends[0]);
        writer_ = ends[1];
    }
    void TearDown() override {
        closeInput();
        std::string rest;
        while (readLine(rest) != LineRead::END) {
        }  // the buffer outlives the test: leave it empty
        dup2(savedInput_, STDIN_FILENO);
        close(savedInput_);
    }
    void send(const std::string& text) {
        ASSERT_EQ(write(writer_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    void closeInput() {
        if (writer_ >= 0) close(writer_);
        writer_ = -1;
    }

private:
    int savedInput_ = -1;
    int writer_ = -1;
};

TEST_F(LineInput, ALineIsReadyOnlyOnceItsEndHasArrived) {
    EXPECT_FALSE(inputLineReady());
    send("posi");
    EXPECT_FALSE(inputLineReady());
    send("tion startpos\r\nis");
    EXPECT_TRUE(inputLineReady());
    std::string line;
    EXPECT_EQ(readLine(line), LineRead::LINE);
    EXPECT_EQ(line, "position startpos");
    EXPECT_FALSE(inputLineReady());  // "is" waits for its line end
    send("ready\n");
    EXPECT_TRUE(inputLineReady());
    EXPECT_EQ(readLine(line), LineRead::LINE);
    EXPECT_EQ(line, "isready");
}

// Lines that arrived together sit in the buffer while the descriptor has nothing more: the
// check must see them, or a poll would leave "stop" unread behind "isready".
TEST_F(LineInput, BufferedLinesAreReadyWithNothingLeftInThePipe) {
    send("isready\nstop\n");
    std::string line;
    ASSERT_EQ(readLine(line), LineRead::LINE);
    EXPECT_EQ(line, "isready");
    EXPECT_TRUE(inputLineReady());
    ASSERT_EQ(readLine(line), LineRead::LINE);
    EXPECT_EQ(line, "stop");
    EXPECT_FALSE(inputLineReady());
}

TEST_F(LineInput, EndOfInputIsReadyAndTellsACutOffLastLine) {
    send("quit\nqu");
    closeInput();
    std::string line;
    EXPECT_TRUE(readCommandLine(line));
    EXPECT_EQ(line, "quit");
    EXPECT_TRUE(inputLineReady());
    EXPECT_EQ(readLine(line), LineRead::CUT_OFF);
    EXPECT_EQ(line, "qu");
    EXPECT_TRUE(inputLineReady());
    EXPECT_EQ(readLine(line), LineRead::END);
    EXPECT_FALSE(readInputLine(line));
    EXPECT_FALSE(readCommandLine(line));
}

TEST_F(LineInput, ACutOffLastLineIsNoCommand) {
    send("ping 2");
    closeInput();
    std::string line;
    EXPECT_FALSE(readCommandLine(line));
    EXPECT_EQ(line, "ping 2");
}

TEST_F(LineInput, LongLinesAreReadWhole) {
    // More than a pipe holds, so it arrives in pieces; each check drains the pipe.
    const std::string longLine = "position startpos moves" + std::string(90000, 'x');
    send(longLine.substr(0, 45000));
    EXPECT_FALSE(inputLineReady());
    send(longLine.substr(45000) + "\n\n");
    std::string line;
    EXPECT_EQ(readLine(line), LineRead::LINE);
    EXPECT_EQ(line, longLine);
    EXPECT_EQ(readLine(line), LineRead::LINE);
    EXPECT_EQ(line, "");
}

}  // namespace
