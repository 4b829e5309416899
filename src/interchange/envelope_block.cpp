// The token cursor and the envelope block reader. Key and Behaviors lines must hold all their
// numbers on one line, as scene files write them.
#include "interchange/envelope_block.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "app/report.h"

namespace quor::interchange {
namespace {

std::vector<token> tokenise(std::string_view text, bool comments)
{
    std::vector<token> out;
    std::size_t line = 1, column = 1;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            column = 1;
            ++i;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            ++column;
            ++i;
        } else if (c == '#' && comments) {
            while (i < text.size() && text[i] != '\n')
                ++i;
        } else {
            const std::size_t start = i;
            while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\r' && text[i] != '\n')
                ++i;
            out.push_back({text.substr(start, i - start), line, column});
            column += i - start;
        }
    }
    return out;
}

std::string shortest(float v)
{
    char text[32];
    const auto r = std::to_chars(text, text + sizeof text, v);
    return std::string(text, r.ptr);
}

} // namespace

token_cursor::token_cursor(std::string_view text, text_error& err, bool comments)
    : tokens(tokenise(text, comments)), err(err)
{
    for (char c : text)
        end_line += c == '\n';
}

std::string token_cursor::shown(const token& t) { return system::printable(t.text); }

token token_cursor::peek() const { return at_end() ? token{"", end_line, 1} : tokens[pos]; }

void token_cursor::skip_line()
{
    const std::size_t line = pos > 0 ? tokens[pos - 1].line : 0;
    while (!at_end() && tokens[pos].line == line)
        ++pos;
}

bool token_cursor::fail(const token& t, std::string what)
{
    err = {t.line, t.column, std::move(what)};
    return false;
}

std::string token_cursor::found(const token& t) const
{
    if (t.text.empty())
        return "the end of the file";
    // Quoted by appending: GCC 12's -O3 takes "'" + s + "'" for an overlapping copy (-Wrestrict).
    std::string quoted(1, '\'');
    quoted.append(shown(t)).push_back('\'');
    return quoted;
}

bool token_cursor::word(std::string_view w)
{
    if (!is(w))
        return fail(peek(), "expected '" + std::string(w) + "', found " + found(peek()));
    next();
    return true;
}

bool token_cursor::same_line(const token& opener, const char* what)
{
    if (!at_end() && peek().line == opener.line)
        return true;
    const token& last = tokens[pos - 1];
    return fail({last.text, last.line, last.column + last.text.size()},
                shown(opener) + " line ends before its " + what);
}

bool token_cursor::real(float& v, const char* what)
{
    const token t = peek();
    const char* first = t.text.data();
    const char* last = first + t.text.size();
    if (first != last && *first == '+')
        ++first;
    const auto r = std::from_chars(first, last, v);
    if (!t.text.empty() && r.ec == std::errc::result_out_of_range)
        return fail(t, std::string(what) + " " + shown(t) + " does not fit a 32-bit float");
    if (t.text.empty() || r.ec != std::errc() || r.ptr != last)
        return fail(t, std::string("expected a ") + what + " (a number), found " + found(t));
    if (!std::isfinite(v))
        return fail(t, std::string(what) + " must be a finite number, found " + found(t));
    next();
    return true;
}

bool token_cursor::integer(long long& v, const char* what, long long lo, long long hi)
{
    const token t = peek();
    const char* last = t.text.data() + t.text.size();
    const auto r = std::from_chars(t.text.data(), last, v);
    if (t.text.empty() || r.ec == std::errc::invalid_argument || r.ptr != last)
        return fail(t, std::string("expected ") + what + " (a whole number), found " + found(t));
    if (r.ec == std::errc::result_out_of_range || v < lo || v > hi)
        return fail(t, std::string(what) + " " + shown(t) + " is outside " + std::to_string(lo) + " to " +
                           std::to_string(hi));
    next();
    return true;
}

bool read_envelope_block(token_cursor& in, envelope_block& out, std::size_t max_keys)
{
    out = {};
    if (!in.word("{") || !in.word("Envelope"))
        return false;
    long long n = 0;
    if (!in.integer(n, "a key count", 0, static_cast<long long>(max_keys)))
        return false;
    // Keys are added as their lines are read: a count the text does not back allocates nothing.
    const auto count = static_cast<std::size_t>(n);
    out.keys.reserve(std::min(count, in.remaining() / 10));
    out.lines.reserve(out.keys.capacity());
    for (std::size_t i = 0; i < count; ++i) {
        const token opener = in.peek();
        if (in.is("Behaviors") || in.is("}"))
            return in.fail(opener, "the envelope has " + std::to_string(i) + " keys, its count says " +
                                       std::to_string(count));
        if (!in.word("Key"))
            return false;
        out.keys.emplace_back();
        out.lines.emplace_back();
        static constexpr const char* names[9] = {"value", "time", "shape", "tension", "continuity", "bias", "p4", "p5", "p6"};
        float* f = out.lines[i].numbers.data();
        Key& k = out.keys[i];
        for (int c = 0; c < 9; ++c) {
            if (!in.same_line(opener, names[c]))
                return false;
            out.lines[i].tokens[c] = in.peek();
            long long shape = 0;
            if (c == 2 ? !in.integer(shape, "shape", 0, static_cast<long long>(Shape::Bezier2D)) : !in.real(f[c], names[c]))
                return false;
            if (c == 2) {
                k.shape = static_cast<Shape>(shape);
                f[c] = static_cast<float>(shape);
            }
        }
        if (i > 0 && f[1] < out.keys[i - 1].time)
            return in.fail(out.lines[i].tokens[1], "time " + in.shown(out.lines[i].tokens[1]) +
                                                      " is before the previous key's " +
                                                      shortest(out.keys[i - 1].time) + ": keys go in time order");
        k.value = f[0];
        k.time = f[1];
        if (k.shape == Shape::Bezier2D) {
            for (int p = 0; p < 4; ++p)
                k.param[p] = f[3 + p];
        } else {
            for (int c = 3; c <= 5; ++c)
                if (!tcb_within_limit(f[c]))
                    return in.fail(out.lines[i].tokens[c], std::string(names[c]) + " " +
                                                               std::string(out.lines[i].tokens[c].text) +
                                                               " is outside " + tcb_range);
            k.tension = f[3];
            k.continuity = f[4];
            k.bias = f[5];
            if (k.shape == Shape::Hermite || k.shape == Shape::Bezier) {
                k.param[0] = f[6];
                k.param[1] = f[7];
            }
        }
    }
    if (in.is("Key"))
        return in.fail(in.peek(), "more keys than the envelope's count of " + std::to_string(count));
    const token opener = in.peek();
    if (!in.word("Behaviors"))
        return false;
    for (int side = 0; side < 2; ++side) {
        const char* name = side == 0 ? "pre-behaviour" : "post-behaviour";
        long long b = 0;
        if (!in.same_line(opener, name))
            return false;
        out.behavior_tokens[side] = in.peek();
        if (!in.integer(b, name, 0, static_cast<long long>(Behavior::Linear)))
            return false;
        (side == 0 ? out.pre : out.post) = static_cast<Behavior>(b);
    }
    return in.word("}");
}

} // namespace quor::interchange
