#include "frontend/files/pgn_reader.h"

#include <cctype>
#include <cstring>

namespace {

// Characters through the file, with the line count and the escape lines dropped.
struct PgnInput {
    std::FILE* file;
    int line = 1;
    bool lineStart = true;
    bool hasPeeked = false;
    int peeked = EOF;

    // An escape line (% in the first column) is dropped whole, its line end included.
    int filtered() {
        int c = std::getc(file);
        while (lineStart && c == '%') {
            while (c != '\n' && c != EOF) c = std::getc(file);
            if (c == EOF) break;
            ++line;
            c = std::getc(file);
        }
        lineStart = c == '\n';
        if (c == '\n') ++line;
        return c;
    }
    int get() {
        if (!hasPeeked) return filtered();
        hasPeeked = false;
        return peeked;
    }
    int peek() {
        if (!hasPeeked) {
            peeked = filtered();
            hasPeeked = true;
        }
        return peeked;
    }
};

bool isSymbolStart(int c) { return std::isalnum(c) != 0; }
// Within a symbol; '.' only joins a symbol that began with a letter ("e.p."), since after a
// number it ends the move number.
bool isSymbolPart(int c, bool startedWithLetter) {
    if (c <= 0) return false;
    return std::isalnum(c) != 0 || std::strchr("_+#=:-/!?", c) != nullptr || (c == '.' && startedWithLetter);
}

bool isResult(const std::string& symbol) {
    return symbol == "1-0" || symbol == "0-1" || symbol == "1/2-1/2" || symbol == "*";
}

bool isMoveNumber(const std::string& symbol) {
    for (char c : symbol)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// The reading of a whole file, game after game.
struct PgnReader {
    PgnInput in;
    int wanted;
    PgnGame& game;
    std::string& error;

    int gamesEnded = 0;
    bool inGame = false, inMovetext = false;
    int variationDepth = 0;
    int variationLine = 0;  // where the outermost open variation began
    std::string fault{};  // the first fault of the current game

    bool collecting() const { return gamesEnded + 1 == wanted; }

    void noteFault(int line, const std::string& what) {
        if (fault.empty()) fault = "line " + std::to_string(line) + ": " + what;
    }

    void startGame() {
        if (inGame) return;
        inGame = true;
        inMovetext = false;
        variationDepth = 0;
        fault.clear();
        if (collecting()) game = PgnGame{};
    }

    // Ends the current game; returns a result for readPgnGame when it was the one wanted.
    int endGame() {
        if (variationDepth > 0) noteFault(variationLine, "a variation is not closed");
        const bool wantedOne = collecting();
        inGame = false;
        inMovetext = false;
        ++gamesEnded;
        if (!wantedOne) return -1;
        if (!fault.empty()) {
            error = fault;
            return PGN_BAD_GAME;
        }
        return PGN_GAME_READ;
    }

    void skipBraceComment(int line) {
        for (int c = in.get(); c != '}'; c = in.get())
            if (c == EOF) return noteFault(line, "a comment { is not closed");
    }
    void skipToLineEnd() {
        for (int c = in.get(); c != '\n' && c != EOF;) c = in.get();
    }

    std::string readSymbol(int first) {
        std::string symbol(1, static_cast<char>(first));
        const bool letter = std::isalpha(first) != 0;
        while (isSymbolPart(in.peek(), letter)) symbol += static_cast<char>(in.get());
        return symbol;
    }

    void skipBlanks() {
        while (in.peek() != EOF && std::isspace(in.peek())) in.get();
    }

    // After "[": the name, the quoted value with \" and \\ escapes, "]".
    void readTag(int line) {
        skipBlanks();
        const int first = in.get();
        if (!isSymbolStart(first)) return noteFault(line, "a tag without a name");
        const std::string name = readSymbol(first);
        skipBlanks();
        if (in.get() != '"') return noteFault(line, "tag " + name + " has no quoted value");
        std::string value;
        for (int c = in.get(); c != '"'; c = in.get()) {
            if (c == '\\') c = in.get();
            if (c == EOF || c == '\n') return noteFault(line, "the value of tag " + name + " is not closed");
            value += static_cast<char>(c);
        }
        skipBlanks();
        if (in.get() != ']') return noteFault(line, "tag " + name + " is not closed by ]");
        if (collecting()) game.tags.emplace_back(name, value);
    }

    // A symbol of the movetext: a move number, a result, a move, or an "e.p." mark.
    int readMovetextSymbol(const std::string& symbol, int line) {
        if (isResult(symbol)) {
            if (variationDepth > 0) return -1;  // results inside variations say nothing
            if (collecting()) game.result = symbol;
            return endGame();
        }
        if (isMoveNumber(symbol) || symbol == "e.p.") return -1;
        if (variationDepth == 0 && collecting()) game.moves.push_back({symbol, line});
        return -1;
    }

    // One token; returns a result for readPgnGame once one is known, else -1.
    int readToken() {
        skipBlanks();
        const int line = in.line;
        const int c = in.get();
        if (c == EOF) {
            if (inGame) return endGame();
            return PGN_NO_SUCH_GAME;
        }
        switch (c) {
            case '[':
                if (inGame && inMovetext) {
                    // A new tag section: the game before it had no result.
                    if (const int ended = endGame(); ended >= 0) return ended;
                }
                startGame();
                readTag(line);
                return -1;
            // Comments belong to no game of their own.
            case '{': skipBraceComment(line); return -1;
            case ';': skipToLineEnd(); return -1;
            case '<':  // reserved for future expansion: skipped to its end
                for (int d = in.get(); d != '>' && d != EOF;) d = in.get();
                return -1;
            case '.': return -1;
            case '!':
            case '?':  // suffix annotations written apart from their move
                while (in.peek() == '!' || in.peek() == '?') in.get();
                return -1;
            default: break;
        }
        startGame();
        inMovetext = true;
        switch (c) {
            case '(':
                if (variationDepth++ == 0) variationLine = line;
                return -1;
            case ')':
                if (variationDepth == 0) noteFault(line, "a ) closes no variation");
                else --variationDepth;
                return -1;
            case '$':
                if (!std::isdigit(in.peek())) noteFault(line, "a $ without its number");
                while (std::isdigit(in.peek())) in.get();
                return -1;
            case '*': return readMovetextSymbol("*", line);
            default: break;
        }
        if (!isSymbolStart(c)) {
            noteFault(line, std::string("unexpected character '") + static_cast<char>(c) + "'");
            return -1;
        }
        return readMovetextSymbol(readSymbol(c), line);
    }
};

}  // namespace

int readPgnGame(std::FILE* file, int number, PgnGame& game, std::string& error) {
    if (number < 1) return PGN_NO_SUCH_GAME;
    PgnReader reader{PgnInput{file}, number, game, error};
    for (;;) {
        const int result = reader.readToken();
        if (result >= 0) return result;
    }
}

const std::string* findTag(const PgnGame& game, const char* name) {
    for (const auto& [tagName, value] : game.tags)
        if (tagName == name) return &value;
    return nullptr;
}
