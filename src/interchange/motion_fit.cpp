// Exact copies and bakes of imported channels. A bake is split at the curve's jumps into
// segments; each segment starts and ends with a doubled key, so that no tangent reaches across a
// jump (or back to the key the engine seeds at 0), and gains TCB keys where the engine's
// evaluation strays from the source until it stays within the tolerance everywhere.
#include "interchange/motion_fit.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "anim/channel.h"
#include "demo/data_file.h"

namespace quor::interchange {
namespace {

constexpr double sample_rate = 240;      // samples a second of the final check
constexpr int span_samples = 16;         // samples a span while baking
constexpr double jump_probe = 1e-5;      // seconds either side of a candidate jump
constexpr std::size_t key_budget = 4000; // a channel's keys: the camera's record holds ~4100 in all
constexpr double max_candidates = 1e5;   // key copies of repeated periods looked at for jumps

Key key_at(double t, float v, Shape shape = Shape::TCB)
{
    Key k;
    k.time = static_cast<float>(t);
    k.value = v;
    k.shape = shape;
    return k;
}

bool holds(const Key& k) { return k.time >= 0 && k.param[0] == 0 && k.param[1] == 0 && k.param[2] == 0 && k.param[3] == 0; }

// What a channel record does to a fresh transformation's channel, evaluated.
struct engine_channel {
    Channel channel;
    explicit engine_channel(const record::channel& c) { record::apply(c, channel); }
    float at(double t) { return channel.evaluate(t); }
};

record::channel envelope_channel(std::vector<Key> keys)
{
    record::channel c;
    c.tag = record::envelope_tag;
    c.keys = std::move(keys);
    return c;
}

bool is_break(const source_curve& src, double t)
{
    return std::find(src.breaks.begin(), src.breaks.end(), t) != src.breaks.end();
}

// One continuous piece of the curve, [from, to], and the times it has keys at.
struct segment {
    double from, to;
    std::vector<double> times;
};

// The key list of a bake: each segment's keys, its first and last doubled.
std::vector<Key> segment_keys(const std::vector<segment>& segments, const source_curve& src)
{
    std::vector<Key> keys;
    for (std::size_t s = 0; s < segments.size(); ++s) {
        const segment& seg = segments[s];
        const bool ends_at_jump = s + 1 < segments.size();
        for (std::size_t i = 0; i < seg.times.size(); ++i) {
            const double t = seg.times[i];
            // The value just before a jump closes the segment that leads up to it.
            const float v = ends_at_jump && i + 1 == seg.times.size() ? src.value(t - jump_probe) : src.value(t);
            if (i == 0)
                keys.push_back(key_at(t, v));
            keys.push_back(key_at(t, v));
            if (ends_at_jump && i + 1 == seg.times.size())
                keys.push_back(key_at(t, v));
        }
    }
    return keys;
}

// Keys for `src` within its tolerance. Each segment starts with keys at its ends and, unless
// `thin`, at the source's knots; a span gains a key at its worst sample until all are within the
// tolerance. Thin spans may start as long as the timeline: they are sampled at the check's rate.
bool bake(const source_curve& src, double end, std::vector<Key>& out, bool thin = false)
{
    std::vector<double> cuts{0};
    for (double b : src.breaks)
        if (b > 0 && b < end)
            cuts.push_back(b);
    cuts.push_back(end);
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());

    std::vector<segment> segments;
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
        segment seg{cuts[i], cuts[i + 1], {cuts[i]}};
        for (double k : src.knots)
            if (!thin && k > seg.from && k < seg.to)
                seg.times.push_back(k);
        seg.times.push_back(seg.to);
        std::sort(seg.times.begin(), seg.times.end());
        seg.times.erase(std::unique(seg.times.begin(), seg.times.end()), seg.times.end());
        segments.push_back(std::move(seg));
    }

    for (;;) {
        out = segment_keys(segments, src);
        if (out.size() > key_budget)
            return false;
        engine_channel engine(envelope_channel(out));
        bool refined = false;
        for (segment& seg : segments) {
            std::vector<double> added;
            for (std::size_t i = 0; i + 1 < seg.times.size(); ++i) {
                const double a = seg.times[i], b = seg.times[i + 1];
                double worst = src.tolerance, worst_at = -1;
                const int samples = thin ? std::max(span_samples, static_cast<int>(std::ceil((b - a) * sample_rate)))
                                         : span_samples;
                for (int j = 1; j <= samples; ++j) {
                    const double t = a + (b - a) * j / samples;
                    if (j == samples && is_break(src, t))
                        continue;
                    const double e = std::fabs(engine.at(t) - src.value(t));
                    if (e > worst) {
                        worst = e;
                        worst_at = j == samples ? a + (b - a) * (samples - 1) / samples : t;
                    }
                }
                if (worst_at >= 0 && static_cast<float>(worst_at) != static_cast<float>(a) &&
                    static_cast<float>(worst_at) != static_cast<float>(b))
                    added.push_back(worst_at);
            }
            if (!added.empty()) {
                refined = true;
                seg.times.insert(seg.times.end(), added.begin(), added.end());
                std::sort(seg.times.begin(), seg.times.end());
            }
        }
        if (!refined)
            return true;
    }
}

// Keys ahead of an exact copy, so that neither the seeded key nor a wait before the first key
// changes the curve: the first value held from 0, then repeated just before the first key.
std::vector<Key> with_lead_in(const std::vector<Key>& keys)
{
    std::vector<Key> out;
    const Key& first = keys.front();
    if (first.time > 0 || first.value != 0) {
        if (first.time > 0)
            out.push_back(key_at(0, first.value, Shape::Linear));
        out.push_back(key_at(first.time, first.value, Shape::Linear));
    }
    out.insert(out.end(), keys.begin(), keys.end());
    return out;
}

// The value the curve stays within its tolerance of up to `end` (sampled at the check's rate and at
// its knots); none when it strays further or is not a number somewhere.
std::optional<float> near_constant(const source_curve& src, double end)
{
    float lo = src.value(0), hi = lo;
    bool finite = std::isfinite(lo);
    const auto take = [&](double t) {
        const float v = src.value(t);
        finite = finite && std::isfinite(v);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    };
    const auto samples = static_cast<long>(end * sample_rate);
    for (long i = 1; i <= samples && finite; ++i)
        take(i / sample_rate);
    for (double k : src.knots)
        if (k <= end && finite)
            take(k);
    if (!finite || hi - lo > 2 * src.tolerance)
        return std::nullopt;
    return lo + (hi - lo) / 2;
}

} // namespace

source_curve curve_of(const Envelope& e, double end, float tolerance)
{
    source_curve c;
    auto shared = std::make_shared<Envelope>(e);
    c.value = [shared](double t) { return shared->value(t); };
    c.tolerance = tolerance;
    const std::vector<Key>& keys = e.keys();
    c.constant = keys.size() <= 1;
    if (c.constant)
        return c;

    // Candidate jumps: every key, and in repeated periods its copies (periods too short to
    // list are left to the bake, which refuses a curve it cannot follow).
    const double first = keys.front().time, last = keys.back().time, period = last - first;
    std::vector<double> candidates;
    for (const Key& k : keys) {
        candidates.push_back(k.time);
        if (period <= 0 || end / period * static_cast<double>(keys.size()) > max_candidates)
            continue;
        if (e.post_behavior() >= Behavior::Repeat && e.post_behavior() <= Behavior::OffsetRepeat)
            for (double t = k.time + period; t <= end; t += period)
                candidates.push_back(t);
        if (e.pre_behavior() >= Behavior::Repeat && e.pre_behavior() <= Behavior::OffsetRepeat)
            for (double t = k.time - period; t >= 0; t -= period)
                candidates.push_back(t);
    }
    for (double t : candidates) {
        c.knots.push_back(t);
        if (t > 0 && std::fabs(c.value(t + jump_probe) - c.value(t - jump_probe)) > tolerance / 2)
            c.breaks.push_back(t);
    }

    const bool keys_held = std::all_of(keys.begin(), keys.end(), holds);
    const bool before_held = e.pre_behavior() == Behavior::Constant || first <= 0;
    const bool after_held = e.post_behavior() == Behavior::Constant || last >= end;
    if (keys_held && before_held && after_held)
        c.exact = keys;
    return c;
}

float channel_error(const record::channel& c, const source_curve& src, double end)
{
    engine_channel engine(c);
    float worst = 0;
    const auto samples = static_cast<long>(end * sample_rate);
    for (long i = 1; i <= samples; ++i) {
        const double t = i / sample_rate;
        if (!is_break(src, t))
            worst = std::max(worst, std::fabs(engine.at(t) - src.value(t)));
    }
    return worst;
}

bool fit_camera(const source_motion& src, double end, std::size_t room, record::transformation& out,
                fit_notes& notes, std::string* error)
{
    for (std::size_t i = 0; i < src.size(); ++i) {
        const source_curve& curve = src[i];
        record::channel& c = out[i];
        if (curve.constant) {
            c = {};
            c.value = curve.value(0);
            continue;
        }
        if (const std::optional<float> v = near_constant(curve, end)) {
            c = {};
            c.value = *v;
            continue;
        }
        if (curve.exact) {
            c = envelope_channel(with_lead_in(*curve.exact));
            if (channel_error(c, curve, end) <= curve.tolerance)
                continue;
        }
        std::vector<Key> keys;
        if (!bake(curve, end, keys)) {
            *error = std::string("channel ") + motion_channel_names[i] + " needs more than " +
                     std::to_string(key_budget) + " keys to stay within " + std::to_string(curve.tolerance) +
                     " of its curve";
            return false;
        }
        c = envelope_channel(std::move(keys));
        notes.baked.emplace_back(motion_channel_names[i], curve.bake_reason);
    }

    std::vector<std::size_t> longest_first;
    for (std::size_t i = 0; i < out.size(); ++i)
        if (out[i].tag == record::envelope_tag)
            longest_first.push_back(i);
    std::stable_sort(longest_first.begin(), longest_first.end(),
                     [&](std::size_t a, std::size_t b) { return out[a].keys.size() > out[b].keys.size(); });
    for (std::size_t i : longest_first) {
        if (demo::record_size(out) <= room)
            break;
        std::vector<Key> keys;
        if (!bake(src[i], end, keys, true) || keys.size() >= out[i].keys.size())
            continue;
        record::channel thinner = envelope_channel(std::move(keys));
        if (channel_error(thinner, src[i], end) > src[i].tolerance)
            continue;
        out[i] = std::move(thinner);
        notes.thinned.push_back(motion_channel_names[i]);
    }
    if (const std::size_t bytes = demo::record_size(out); bytes > room) {
        *error = "the camera's motion takes " + std::to_string(bytes) + " bytes with its channels thinned within "
                 "their tolerances, more than the record's " + std::to_string(room);
        return false;
    }
    return true;
}

record::transformation constants_at(const source_motion& src, double at)
{
    record::transformation out;
    for (std::size_t i = 0; i < src.size(); ++i)
        out[i].value = src[i].value(at);
    return out;
}

} // namespace quor::interchange
