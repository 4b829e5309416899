// Envelope blocks as LightWave scene files write them, read in the full envelope model (tangent
// parameters and behaviours included), over a token cursor that knows each token's line and
// column. The motion text and the scene reader share both.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "anim/envelope.h"

namespace quor::interchange {

struct token {
    std::string_view text;
    std::size_t line = 0;
    std::size_t column = 0;
};

// Where and why a text was refused: 1-based line and column of the offending token.
struct text_error {
    std::size_t line = 0;
    std::size_t column = 0;
    std::string what;
};

// Whitespace-separated tokens of a text; `#` starts a comment when `comments` is set.
class token_cursor {
public:
    token_cursor(std::string_view text, text_error& err, bool comments);

    bool at_end() const { return pos >= tokens.size(); }
    // The next token; at the end, a token that names the end of the text on the last line.
    token peek() const;
    token next() { return tokens[pos++]; }
    // Whether the token `ahead` places on is `w` (never past the end).
    bool is(std::string_view w, std::size_t ahead = 0) const
    {
        return pos + ahead < tokens.size() && tokens[pos + ahead].text == w;
    }
    // Skips the rest of the line of the token last taken.
    void skip_line();

    // Each check below takes the token on success; on failure it fills the error and is false.
    bool fail(const token& t, std::string what);
    bool word(std::string_view w);
    bool real(float& v, const char* what);
    bool integer(long long& v, const char* what, long long lo, long long hi);
    // A token is waiting on the line of `opener`; the refusal points just past that line's end.
    bool same_line(const token& opener, const char* what);
    // `'text'`, or "the end of the file".
    std::string found(const token& t) const;

private:
    std::vector<token> tokens;
    std::size_t pos = 0;
    std::size_t end_line = 1;
    text_error& err;
};

// An envelope block and where its numbers stand, for refusals that point at them.
struct envelope_block {
    std::vector<Key> keys;
    Behavior pre = Behavior::Constant;
    Behavior post = Behavior::Constant;
    // Per key line, its nine numbers as written and their tokens; the tokens of the behaviours.
    struct key_line {
        std::array<float, 9> numbers{};
        std::array<token, 9> tokens{};
    };
    std::vector<key_line> lines;
    std::array<token, 2> behavior_tokens;
};

// Reads `{ Envelope`, the key count, `Key value time shape p1 ... p6` lines and `Behaviors pre
// post`, then `}`. p1-p3 are tension, continuity and bias; Hermite and Bezier keys take their
// incoming and outgoing tangents from p4 and p5; 2D Bezier keys their handles from p1-p4.
// Refuses counts that do not match, numbers that do not fit, shapes and behaviours outside 0-5
// and keys out of time order. `max_keys` bounds the count before anything is allocated.
bool read_envelope_block(token_cursor& in, envelope_block& out, std::size_t max_keys);

} // namespace quor::interchange
