#include "frontend/files/pgn_reader.h"

#include <cctype>
#include <cstring>

#include "board/legal_moves.h"
#include "board/makemove.h"
#include "board/movetext.h"
#include "board/position.h"
#include "board/san.h"

namespace {

constexpr int BYTE_ORDER_MARK[] = {0xEF, 0xBB, 0xBF};
constexpr int DOS_END_OF_FILE = 0x1A;  // old DOS editors left one at the end of the text

// Characters through the file, with the line count and the escape lines dropped.
struct PgnInput {
    std::FILE* file;
    int line = 1;
    bool lineStart = true;
    bool hasPeeked = false;
    int peeked = EOF;
    bool started = false;
    std::string* recording = nullptr;  // where the characters read go as well, when set

    // Windows editors put a byte order mark before the first tag; it is no text of the file.
    // Bytes of a broken mark go too: no PGN text starts with them.
    void skipByteOrderMark() {
        started = true;
        for (int expected : BYTE_ORDER_MARK) {
            const int c = std::getc(file);
            if (c == expected) continue;
            if (c != EOF) std::ungetc(c, file);
            return;
        }
    }

    // An escape line (% in the first column) is dropped whole, its line end included.
    int filtered() {
        if (!started) skipByteOrderMark();
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
        int c = peeked;
        if (hasPeeked) hasPeeked = false;
        else c = filtered();
        if (recording != nullptr && c != EOF && c != '\r') *recording += static_cast<char>(c);
        return c;
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

bool isSuffixMark(int c) { return c == '!' || c == '?' || c == '+' || c == '#'; }

// A lowercase letter that is no file: the move names a piece (nf3, qxd5, kg1, rae1).
bool isLowercasePieceMove(const std::string& symbol) { return std::strchr("nrqk", symbol[0]) != nullptr; }

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
    std::string element{};  // the annotation being read, while one is
    std::string fault{};  // the first fault of the current game

    bool collecting() const { return gamesEnded + 1 == wanted; }

    // Annotations of the main line are kept; inside a variation they are part of its text.
    bool keepsAnnotation() const { return collecting() && inGame && variationDepth == 0; }

    void startElement(int first) {
        element.assign(1, static_cast<char>(first));
        in.recording = &element;
    }
    void keepElement() {
        in.recording = nullptr;
        std::vector<std::string>& kept = game.moves.empty() ? game.leadingAnnotations : game.moves.back().annotations;
        kept.push_back(element);
    }

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
        in.recording = nullptr;
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
        while (in.peek() != EOF && (std::isspace(in.peek()) || in.peek() == DOS_END_OF_FILE)) in.get();
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
        if (!collecting()) return -1;
        if (isLowercasePieceMove(symbol)) game.lowercasePieces = true;
        if (variationDepth == 0) game.moves.push_back({symbol, line});
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
            case '{': {
                const bool kept = keepsAnnotation();
                if (kept) startElement(c);
                skipBraceComment(line);
                if (kept) keepElement();
                return -1;
            }
            case ';': {
                const bool kept = keepsAnnotation();
                if (kept) startElement(c);
                skipToLineEnd();
                if (kept) {
                    if (element.ends_with('\n')) element.pop_back();
                    keepElement();
                }
                return -1;
            }
            case '<':  // reserved for future expansion: skipped to its end
                for (int d = in.get(); d != '>' && d != EOF;) d = in.get();
                return -1;
            case '.': return -1;
            case '!':
            case '?':
            case '+':
            case '#': {  // suffix annotations and check signs written apart from their move
                const bool kept = keepsAnnotation();
                if (kept) startElement(c);
                while (isSuffixMark(in.peek())) in.get();
                if (!kept) return -1;
                // Check signs say nothing the move does not; "!" and "?" are the annotation.
                std::erase_if(element, [](char mark) { return mark == '+' || mark == '#'; });
                if (element.empty()) in.recording = nullptr;
                else keepElement();
                return -1;
            }
            default: break;
        }
        startGame();
        inMovetext = true;
        switch (c) {
            case '(':
                if (keepsAnnotation()) startElement(c);  // recorded up to its closing parenthesis
                if (variationDepth++ == 0) variationLine = line;
                return -1;
            case ')':
                if (variationDepth == 0) noteFault(line, "a ) closes no variation");
                else if (--variationDepth == 0 && in.recording != nullptr) keepElement();
                return -1;
            case '$': {
                const bool kept = keepsAnnotation();
                if (kept) startElement(c);
                if (!std::isdigit(in.peek())) noteFault(line, "a $ without its number");
                while (std::isdigit(in.peek())) in.get();
                if (kept) keepElement();
                return -1;
            }
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

namespace {

constexpr bool isFile(char c) { return c >= 'a' && c <= 'h'; }
constexpr bool isRank(char c) { return c >= '1' && c <= '8'; }
bool isOneOf(char c, const char* set) { return c != '\0' && std::strchr(set, c) != nullptr; }

// A long algebraic move: [piece] square ['-' or 'x'] square ['='] [promotion, either case].
struct LongMove {
    char piece = '\0';
    std::string from, to;
    bool capture = false;
    char promotion = ' ';  // as coordinate text writes it
};

bool readSquare(const std::string& text, std::size_t& at, std::string& square) {
    if (at + 1 >= text.size() || !isFile(text[at]) || !isRank(text[at + 1])) return false;
    square = text.substr(at, 2);
    at += 2;
    return true;
}

bool readLongMove(const std::string& text, LongMove& found) {
    std::size_t at = 0;
    if (!text.empty() && isOneOf(text[0], "NBRQK")) found.piece = text[at++];
    if (!readSquare(text, at, found.from)) return false;
    if (at < text.size() && (text[at] == '-' || text[at] == 'x')) found.capture = text[at++] == 'x';
    if (!readSquare(text, at, found.to)) return false;
    const bool equalsSign = at < text.size() && text[at] == '=';
    if (equalsSign) ++at;
    if (at < text.size() && isOneOf(text[at], "NBRQnbrq"))
        found.promotion = static_cast<char>(std::tolower(static_cast<unsigned char>(text[at++])));
    else if (equalsSign)
        return false;
    while (at < text.size() && isSuffixMark(text[at])) ++at;
    return at == text.size();
}

// Whether the legal `move` is the one `wanted` describes: its squares, its promotion and,
// when written, its piece and its capture.
bool isLongMove(Move move, const LongMove& wanted) {
    char coordinates[8];
    moveToText(coordinates, move, *currentPosition);
    if (wanted.from.compare(0, 2, coordinates, 2) != 0 || wanted.to.compare(0, 2, coordinates + 2, 2) != 0 ||
        coordinates[4] != wanted.promotion)
        return false;
    char san[SAN_BUFFER_SIZE];
    if (moveToSan(san, move) != 1) return false;
    const char moved = san[0] == 'O' ? 'K' : std::isupper(static_cast<unsigned char>(san[0])) ? san[0] : 'P';
    if (wanted.piece != '\0' && wanted.piece != moved) return false;
    return !wanted.capture || std::strchr(san, 'x') != nullptr;
}

bool readLongAlgebraic(const std::string& text, Move& move) {
    LongMove wanted;
    if (!readLongMove(text, wanted)) return false;
    MoveList legal;
    listLegalMoves(legal);
    for (int i = 0; i < legal.count; ++i) {
        if (!isLongMove(legal.moves[i], wanted)) continue;
        move = legal.moves[i];
        return true;
    }
    return false;
}

bool readAsWritten(const std::string& text, Move& move) {
    return readSan(text.c_str(), move) == 1 || readLongAlgebraic(text, move);
}

// The text with its lowercase piece letter raised (nf3 to Nf3, o-o to O-O); empty when it has none.
std::string withPieceLetterRaised(std::string text) {
    if (text.starts_with("o-o")) {
        for (char& c : text)
            if (c == 'o') c = 'O';
        return text;
    }
    if (text.empty() || !isOneOf(text[0], "nbrqk")) return "";
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text;
}

}  // namespace

int readMoveText(const std::string& text, bool lowercasePieces, Move& move) {
    Move written = 0, raised = 0;
    const bool asWritten = readAsWritten(text, written);
    const std::string raisedText = withPieceLetterRaised(text);
    const bool asPiece = !raisedText.empty() && readAsWritten(raisedText, raised);
    // bxc6 is a pawn in SAN, but in a game that writes its pieces in lowercase it may be the bishop.
    if (asWritten && asPiece && written != raised && lowercasePieces) return 0;
    if (!asWritten && !asPiece) return 0;
    move = asWritten ? written : raised;
    return 1;
}

int playPgnMove(const PgnGame& game, const PgnMove& move) {
    Move found = 0;
    if (readMoveText(move.san, game.lowercasePieces, found) != 1) return 0;
    makeMove(found);
    return 1;
}
