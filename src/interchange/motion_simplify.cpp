// Greedy key insertion on the engine's own evaluation: a channel starts from the keys it cannot
// do without; each span between chosen keys that strays past the tolerance gains the key inside
// it that strays most, and a span with no key left inside takes its two keys as they were, then
// their outer neighbours as well, which gives that span exactly as imported. Every pass evaluates
// the whole candidate, since a TCB key's tangents reach into the spans either side of it. A last
// pass drops the keys that later ones made unnecessary, checking only the times a key reaches.
#include "interchange/motion_simplify.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

#include "anim/channel.h"
#include "app/report.h"
#include "interchange/motion_text.h"

namespace quor::interchange {
namespace {

constexpr double check_rate = 240; // check times a second, besides every key's time
constexpr std::size_t first_angle = 3, first_scale = 6;

bool is_angle(std::size_t channel) { return channel >= first_angle && channel < first_scale; }

// The channel's curve as the engine plays it, from a record's keys, at times[from, to).
std::vector<float> evaluate(const std::vector<Key>& keys, const std::vector<double>& times, std::size_t from = 0,
                            std::size_t to = SIZE_MAX)
{
    record::channel rec;
    rec.tag = record::envelope_tag;
    rec.keys = keys;
    Channel engine;
    record::apply(rec, engine);
    std::vector<float> out;
    to = std::min(to, times.size());
    for (std::size_t t = from; t < to; ++t)
        out.push_back(engine.evaluate(times[t]));
    return out;
}

// A difference that is not a number counts as too far, unless the imported curve is not a number
// there either: there is nothing to follow.
float difference(float candidate, float reference)
{
    if (!std::isfinite(reference))
        return 0;
    const float d = std::fabs(candidate - reference);
    return std::isnan(d) ? INFINITY : d;
}

bool parse_number(std::string_view text, float& out)
{
    double v = 0;
    const auto [end, err] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (err != std::errc() || end != text.data() + text.size())
        return false;
    out = static_cast<float>(v);
    return true;
}

} // namespace

float simplify_tolerance::of(std::size_t channel) const
{
    return is_angle(channel) ? static_cast<float>(degrees * std::numbers::pi / 180) : distance;
}

bool valid_tolerance(const simplify_tolerance& tolerance, std::string* error)
{
    const auto good = [](float v) { return std::isfinite(v) && v > 0; };
    if (good(tolerance.distance) && good(tolerance.degrees))
        return true;
    *error = std::string("the tolerance ") + (good(tolerance.distance) ? "in degrees" : "of positions and scales") +
             " is not a number above 0";
    return false;
}

bool parse_tolerance(const std::string& text, simplify_tolerance& out, std::string* error)
{
    simplify_tolerance t;
    const std::size_t comma = text.find(',');
    const bool read = parse_number(std::string_view(text).substr(0, comma), t.distance) &&
                      (comma == std::string::npos || parse_number(std::string_view(text).substr(comma + 1), t.degrees));
    if (!read) {
        // Appended, not prefixed: GCC 12 misreads the insert of "'" + a temporary as an overlap.
        *error = std::string("'").append(system::printable(text)).append(
            "' is not DISTANCE or DISTANCE,DEGREES (such as 0.005,0.1)");
        return false;
    }
    if (!valid_tolerance(t, error))
        return false;
    out = t;
    return true;
}

std::vector<Key> simplify_keys(const std::vector<Key>& keys, float tolerance, double end, float* deviation)
{
    *deviation = 0;
    const std::size_t n = keys.size();
    if (n <= 2)
        return keys;

    // The check's times, in order, and where each key's own time stands among them. Past `end`
    // only the keys' own: the timeline plays nothing there, and a key may stand far beyond it.
    std::vector<double> times;
    for (long i = 0; i <= static_cast<long>(end * check_rate); ++i)
        times.push_back(static_cast<double>(i) / check_rate);
    for (const Key& k : keys)
        times.push_back(k.time);
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());
    std::vector<std::size_t> key_at(n);
    for (std::size_t i = 0; i < n; ++i)
        key_at[i] = static_cast<std::size_t>(std::lower_bound(times.begin(), times.end(), double(keys[i].time)) -
                                             times.begin());
    const std::vector<float> reference = evaluate(keys, times);

    std::vector<char> chosen(n, 0), own(n, 0); // own: the key as it was rather than a plain TCB key
    const auto keep = [&](std::size_t i) { chosen[i] = own[i] = 1; };
    keep(0);
    keep(n - 1);
    for (std::size_t i = 0; i < n; ++i) {
        const Shape s = keys[i].shape;
        if ((i > 0 && keys[i - 1].time == keys[i].time) || (i + 1 < n && keys[i + 1].time == keys[i].time))
            keep(i);
        if (s == Shape::Stepped && i > 0)
            keep(i - 1);
        if (s != Shape::TCB && s != Shape::Linear)
            keep(i);
    }

    const std::vector<char> needed = chosen;

    // The chosen keys, and which of `keys` each is.
    std::vector<Key> out;
    std::vector<std::size_t> index;
    const auto gather = [&] {
        out.clear();
        index.clear();
        for (std::size_t i = 0; i < n; ++i)
            if (chosen[i]) {
                Key k = keys[i];
                if (!own[i] && k.shape != Shape::TCB)
                    k = Key{k.value, k.time};
                out.push_back(k);
                index.push_back(i);
            }
    };
    std::vector<float> off(times.size());
    for (;;) {
        gather();
        const std::vector<float> candidate = evaluate(out, times);
        for (std::size_t t = 0; t < times.size(); ++t)
            off[t] = difference(candidate[t], reference[t]);

        // Up to the first key the curve runs from the key the engine seeds at 0, shaped by the
        // first key's tangent, which reaches to the next key.
        bool changed = false;
        if (!own[1] && std::any_of(off.begin(), off.begin() + static_cast<std::ptrdiff_t>(key_at[0]) + 1,
                                   [tolerance](float d) { return d > tolerance; })) {
            keep(1);
            changed = true;
        }
        for (std::size_t s = 0; s + 1 < index.size(); ++s) {
            const std::size_t a = index[s], b = index[s + 1];
            // The span's check times: after its opening key, up to and including its closing one.
            if (key_at[a] >= key_at[b])
                continue;
            std::size_t worst = key_at[a] + 1;
            for (std::size_t t = worst; t <= key_at[b]; ++t)
                if (off[t] > off[worst])
                    worst = t;
            if (off[worst] <= tolerance)
                continue;
            if (b > a + 1) {
                // The key inside that strays most; where none strays past the tolerance (the
                // curve strays between them), the one nearest the worst time.
                std::size_t add = a + 1;
                for (std::size_t i = a + 1; i < b; ++i)
                    if (off[key_at[i]] > off[key_at[add]])
                        add = i;
                if (off[key_at[add]] <= tolerance)
                    for (std::size_t i = a + 1; i < b; ++i)
                        if (std::fabs(keys[i].time - times[worst]) < std::fabs(keys[add].time - times[worst]))
                            add = i;
                chosen[add] = 1;
                changed = true;
            } else if (!own[a] || !own[b]) {
                own[a] = own[b] = 1;
                changed = true;
            } else {
                // With its neighbours as they were too, the span is as imported: nothing more to do.
                const bool before = a > 0 && !own[a - 1], after = b + 1 < n && !own[b + 1];
                if (before)
                    keep(a - 1);
                if (after)
                    keep(b + 1);
                changed = before || after || changed;
            }
        }
        if (!changed)
            break;
    }

    // Insertion leaves keys that later ones made unnecessary: each in turn is dropped where the
    // curve stays within the tolerance without it. Its tangents reach one key either side, and
    // theirs one further, so only the times between the keys two away can change (and before the
    // first key, which takes its tangent from the next).
    for (std::size_t s = 1; s + 1 < index.size(); ++s) {
        const std::size_t i = index[s];
        if (needed[i])
            continue;
        chosen[i] = 0;
        gather();
        const std::size_t from = s < 3 ? 0 : key_at[index[s - 3]] + 1;
        const std::size_t to = s + 1 < index.size() ? key_at[index[s + 1]] + 1 : times.size();
        const std::vector<float> candidate = evaluate(out, times, from, to);
        bool within = true;
        for (std::size_t t = from; t < to && within; ++t)
            within = difference(candidate[t - from], reference[t]) <= tolerance;
        if (!within) {
            chosen[i] = 1;
            gather();
        } else {
            --s;
        }
    }
    gather();
    const std::vector<float> result = evaluate(out, times);
    for (std::size_t t = 0; t < times.size(); ++t)
        *deviation = std::max(*deviation, difference(result[t], reference[t]));
    return out;
}

record_simplified simplify_record(record::transformation& rec, const simplify_tolerance& tolerance, double end)
{
    record_simplified done;
    for (std::size_t c = 0; c < rec.size(); ++c) {
        if (rec[c].tag != record::envelope_tag)
            continue;
        done[c].before = rec[c].keys.size();
        rec[c].keys = simplify_keys(rec[c].keys, tolerance.of(c), end, &done[c].deviation);
        done[c].after = rec[c].keys.size();
    }
    return done;
}

std::string simplify_note(const record_simplified& done)
{
    std::size_t before = 0, after = 0;
    float distance = 0, radians = 0;
    std::string channels;
    for (std::size_t c = 0; c < done.size(); ++c) {
        if (done[c].before == 0)
            continue;
        before += done[c].before;
        after += done[c].after;
        float& largest = is_angle(c) ? radians : distance;
        largest = std::max(largest, done[c].deviation);
        channels += std::string(channels.empty() ? "" : ", ") + motion_channel_names[c] + " " +
                    std::to_string(done[c].before) + " -> " + std::to_string(done[c].after);
    }
    if (before == 0)
        return "no keys to simplify: the record holds constants only";
    return "simplified keys " + std::to_string(before) + " -> " + std::to_string(after) + " (" + channels +
           "); largest deviation " + system::number_text(distance) + ", " +
           system::number_text(radians * 180 / std::numbers::pi) + " degree";
}

} // namespace quor::interchange
