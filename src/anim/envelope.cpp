// Envelope evaluation: behaviours outside the key range, span search from the first key,
// Hermite-basis spans with TCB/Hermite/Bezier/Linear tangents, and the 2D Bezier span solved by
// bisection in time. Everything works on the key vector in place, without allocation.
#include "anim/envelope.h"

#include <cmath>
#include <cstring>

namespace quor {
namespace {

using key_vector = std::vector<Key>;

// A 2D Bezier handle as a tangent over the span; a handle without time length counts as steep.
float handle_tangent(float value_offset, float time_offset, float span)
{
    const float t = value_offset * span;
    return std::fabs(time_offset) > 1e-5f ? t / time_offset : t * 100000.0f;
}

// Tangent leaving keys[i] towards keys[i + 1], by the opening key's shape.
float outgoing_tangent(const key_vector& keys, std::size_t i)
{
    const Key& k0 = keys[i];
    const Key& k1 = keys[i + 1];
    const Key* prev = i > 0 ? &keys[i - 1] : nullptr;
    const float d = k1.value - k0.value;
    const float ratio = prev ? (k1.time - k0.time) / (k1.time - prev->time) : 1.0f;
    switch (k0.shape) {
    case Shape::TCB: {
        const float a = (1 - k0.tension) * (1 + k0.continuity) * (1 + k0.bias);
        const float b = (1 - k0.tension) * (1 - k0.continuity) * (1 - k0.bias);
        return prev ? ratio * (a * (k0.value - prev->value) + b * d) : b * d;
    }
    case Shape::Linear:
        return prev ? ratio * (k0.value - prev->value + d) : d;
    case Shape::Hermite:
    case Shape::Bezier:
        return prev ? k0.param[1] * ratio : k0.param[1];
    case Shape::Bezier2D:
        return handle_tangent(k0.param[3], k0.param[2], k1.time - k0.time);
    default:
        return 0;
    }
}

// Tangent arriving at keys[i + 1] from keys[i], by the closing key's shape.
float incoming_tangent(const key_vector& keys, std::size_t i)
{
    const Key& k0 = keys[i];
    const Key& k1 = keys[i + 1];
    const Key* next = i + 2 < keys.size() ? &keys[i + 2] : nullptr;
    const float d = k1.value - k0.value;
    const float ratio = next ? (k1.time - k0.time) / (next->time - k0.time) : 1.0f;
    switch (k1.shape) {
    case Shape::TCB: {
        const float a = (1 - k1.tension) * (1 - k1.continuity) * (1 + k1.bias);
        const float b = (1 - k1.tension) * (1 + k1.continuity) * (1 - k1.bias);
        return next ? ratio * (b * (next->value - k1.value) + a * d) : a * d;
    }
    case Shape::Linear:
        return next ? ratio * (next->value - k1.value + d) : d;
    case Shape::Hermite:
    case Shape::Bezier:
        return next ? k1.param[0] * ratio : k1.param[0];
    case Shape::Bezier2D:
        return handle_tangent(k1.param[1], k1.param[0], k1.time - k0.time);
    default:
        return 0;
    }
}

float bezier_cubic(float x0, float x1, float x2, float x3, float s)
{
    const float c = 3 * (x1 - x0);
    const float b = 3 * (x2 - x1) - c;
    const float a = x3 - x0 - c - b;
    return a * s * s * s + b * s * s + c * s + x0;
}

// Bisection for the curve parameter whose time is t. Control points outside the span make the
// time curve non-monotonic or leave t unreachable, so the search ends once the float interval
// stops shrinking (about 24 halvings) and answers its last midpoint.
float solve_bezier_parameter(float x0, float x1, float x2, float x3, double t)
{
    float s0 = 0, s1 = 1;
    float s = 0.5f;
    for (int step = 0; step < 64; ++step) {
        s = s0 + (s1 - s0) * 0.5f;
        const float x = bezier_cubic(x0, x1, x2, x3, s);
        if (std::fabs(t - x) <= 0.0001)
            return s;
        if (s == s0 || s == s1)
            break;
        if (x > t)
            s1 = s;
        else
            s0 = s;
    }
    return s;
}

// An opening key that is not 2D Bezier has no value handle: its outgoing tangent stands in,
// a third of it from the key, just as its time handle sits a third of the span in.
float bezier2d_span(const key_vector& keys, std::size_t i, double t)
{
    const Key& k0 = keys[i];
    const Key& k1 = keys[i + 1];
    const bool handle0 = k0.shape == Shape::Bezier2D;
    const float x1 = handle0 ? k0.time + k0.param[2] : k0.time + (k1.time - k0.time) / 3;
    const float s = solve_bezier_parameter(k0.time, x1, k1.time + k1.param[0], k1.time, t);
    const float y1 = handle0 ? k0.value + k0.param[3] : k0.value + outgoing_tangent(keys, i) / 3;
    return bezier_cubic(k0.value, y1, k1.value + k1.param[1], k1.value, s);
}

// Brings x (at single precision) into [lo, hi]; count is the signed number of whole periods
// removed: negative before the range, positive after it. Kept as a float, since periods of a
// damaged envelope need not fit an integer.
float wrap_time(float x, float lo, float hi, float& count)
{
    const float r = hi - lo;
    if (r == 0) {
        count = 0;
        return lo;
    }
    const float w = x - r * std::floor((x - lo) / r);
    const float k = w > x ? 0.5f : -0.5f;
    count = -std::trunc((w - x) / r + k);
    return w;
}

bool is_odd(float n) { return std::fmod(n, 2.0f) != 0; }

Key make_key(float time, float value, Shape shape, float p0 = 0, float p1 = 0, float p2 = 0, float p3 = 0)
{
    Key k;
    k.time = time;
    k.value = value;
    k.shape = shape;
    k.param[0] = p0;
    k.param[1] = p1;
    k.param[2] = p2;
    k.param[3] = p3;
    return k;
}

} // namespace

float tangent_in(const std::vector<Key>& keys, std::size_t k) { return incoming_tangent(keys, k - 1); }

float tangent_out(const std::vector<Key>& keys, std::size_t k) { return outgoing_tangent(keys, k); }

void Envelope::add_tcb_key(float time, float value, float tension, float continuity, float bias)
{
    Key k = make_key(time, value, Shape::TCB);
    k.tension = tension;
    k.continuity = continuity;
    k.bias = bias;
    add_key(k);
}

void Envelope::add_linear_key(float time, float value) { add_key(make_key(time, value, Shape::Linear)); }

void Envelope::add_stepped_key(float time, float value) { add_key(make_key(time, value, Shape::Stepped)); }

void Envelope::add_hermite_key(float time, float value, float in, float out)
{
    add_key(make_key(time, value, Shape::Hermite, in, out));
}

void Envelope::add_bezier_key(float time, float value, float in, float out)
{
    add_key(make_key(time, value, Shape::Bezier, in, out));
}

void Envelope::add_bezier2d_key(float time, float value, float p0, float p1, float p2, float p3)
{
    add_key(make_key(time, value, Shape::Bezier2D, p0, p1, p2, p3));
}

const Key* Envelope::find_key(double t) const
{
    for (const Key& k : key_list)
        if (k.time == t)
            return &k;
    return nullptr;
}

const Key* Envelope::next_key(double t) const
{
    if (key_list.empty())
        return nullptr;
    for (const Key& k : key_list)
        if (k.time > t)
            return &k;
    return &key_list.front();
}

const Key* Envelope::previous_key(double t) const
{
    if (key_list.empty())
        return nullptr;
    for (auto k = key_list.rbegin(); k != key_list.rend(); ++k)
        if (k->time < t)
            return &*k;
    return &key_list.back();
}

float Envelope::value(double t) const
{
    const key_vector& keys = key_list;
    if (keys.empty())
        return 0;
    if (keys.size() == 1)
        return keys.front().value;

    const std::size_t n = keys.size();
    const Key& first = keys.front();
    const Key& last = keys.back();
    float offset = 0;
    const bool before = first.time > t;
    if (before || last.time < t) {
        float count = 0;
        switch (before ? pre : post) {
        case Behavior::Reset:
            return 0;
        case Behavior::Constant:
            return before ? first.value : last.value;
        case Behavior::Repeat:
            t = wrap_time(static_cast<float>(t), first.time, last.time, count);
            break;
        case Behavior::Oscillate:
            t = wrap_time(static_cast<float>(t), first.time, last.time, count);
            if (is_odd(count))
                t = first.time + last.time - t;
            break;
        case Behavior::OffsetRepeat:
            t = wrap_time(static_cast<float>(t), first.time, last.time, count);
            offset = count * (last.value - first.value);
            break;
        case Behavior::Linear:
            if (before) {
                const float slope = outgoing_tangent(keys, 0) / (keys[1].time - first.time);
                return static_cast<float>(first.value + slope * (t - first.time));
            } else {
                const float slope = incoming_tangent(keys, n - 2) / (last.time - keys[n - 2].time);
                return static_cast<float>(last.value + slope * (t - last.time));
            }
        default:
            break;
        }
    }

    std::size_t i = 0;
    while (i + 1 < n - 1 && keys[i + 1].time < t)
        ++i;
    const Key& k0 = keys[i];
    const Key& k1 = keys[i + 1];
    if (t == k0.time)
        return k0.value + offset;
    if (t == k1.time)
        return k1.value + offset;

    const float u = static_cast<float>((t - k0.time) / (k1.time - k0.time));
    switch (k1.shape) {
    case Shape::TCB:
    case Shape::Hermite:
    case Shape::Bezier: {
        const float out = outgoing_tangent(keys, i);
        const float in = incoming_tangent(keys, i);
        const float u2 = u * u;
        const float u3 = u * u2;
        const float h2 = 3 * u2 - 2 * u3;
        const float h1 = 1 - h2;
        const float h4 = u3 - u2;
        const float h3 = h4 - u2 + u;
        return h1 * k0.value + h2 * k1.value + h3 * out + h4 * in + offset;
    }
    case Shape::Bezier2D:
        return bezier2d_span(keys, i, t) + offset;
    case Shape::Linear:
        return k0.value + u * (k1.value - k0.value) + offset;
    case Shape::Stepped:
        return k0.value + offset;
    default:
        return offset;
    }
}

} // namespace quor
