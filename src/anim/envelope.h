// Keyed curves in the LightWave envelope model: per-key span shapes (TCB, Hermite, Bezier,
// Linear, Stepped, 2D Bezier) and behaviours before the first and after the last key.
// Evaluation scans from the first key each time and allocates nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "anim/dynamic_value.h"

namespace quor {

// Values outside the listed ones are kept as read; they interpolate to the span's offset only.
enum class Shape : std::int32_t { TCB = 0, Hermite = 1, Bezier = 2, Linear = 3, Stepped = 4, Bezier2D = 5 };
enum class Behavior : std::int32_t { Reset = 0, Constant = 1, Repeat = 2, Oscillate = 3, OffsetRepeat = 4, Linear = 5 };

// `shape` governs the span that closes at this key and the tangents on both sides of it.
// param: Hermite/Bezier 0 = incoming tangent, 1 = outgoing tangent; Bezier2D 0/1 = time/value
// offset of the incoming handle, 2/3 = time/value offset of the outgoing handle.
struct Key {
    float value = 0;
    float time = 0;
    Shape shape = Shape::TCB;
    float tension = 0;
    float continuity = 0;
    float bias = 0;
    float param[4] = {};
};
static_assert(sizeof(Key) == 40, "a key is ten 32-bit fields");

// Tension, continuity and bias as the workbench edits them and the imports take them: -1 to 1,
// where a TCB curve keeps to its keys (past it the tangents turn back). Evaluation takes any value.
constexpr float tcb_limit = 1.0f;
constexpr const char* tcb_range = "-1 to 1";
constexpr bool tcb_within_limit(float v) { return v >= -tcb_limit && v <= tcb_limit; }

// The tangents at key `k` of `keys` as evaluation takes them on the Hermite basis, each the value's
// change over its span: `in` over the span that closes at k (k > 0), `out` over the span that opens
// there (k + 1 < keys.size()). An editor draws them as the handles it shows.
float tangent_in(const std::vector<Key>& keys, std::size_t k);
float tangent_out(const std::vector<Key>& keys, std::size_t k);

class Envelope : public DynamicValue {
public:
    std::string name;

    // Keys are appended in time order; evaluation never sorts them.
    void add_key(const Key& k) { key_list.push_back(k); }
    void add_tcb_key(float time, float value, float tension, float continuity, float bias);
    void add_linear_key(float time, float value);
    void add_stepped_key(float time, float value);
    void add_hermite_key(float time, float value, float in, float out);
    void add_bezier_key(float time, float value, float in, float out);
    void add_bezier2d_key(float time, float value, float p0, float p1, float p2, float p3);
    void reserve(std::size_t n) { key_list.reserve(n); }

    Behavior pre_behavior() const { return pre; }
    Behavior post_behavior() const { return post; }
    void set_pre_behavior(Behavior b) { pre = b; }
    void set_post_behavior(Behavior b) { post = b; }

    std::size_t key_count() const { return key_list.size(); }
    bool empty() const { return key_list.empty(); }
    bool single_key() const { return key_list.size() == 1; }
    const std::vector<Key>& keys() const { return key_list; }

    // First key whose time equals t exactly; null if none.
    const Key* find_key(double t) const;
    // First key later than t, else the first key; null without keys.
    const Key* next_key(double t) const;
    // Last key earlier than t, else the last key; null without keys.
    const Key* previous_key(double t) const;

    // 0 without keys; the key's value with one key, whatever the behaviours.
    float value(double t) const override;
    Envelope* as_envelope() override { return this; }

private:
    std::vector<Key> key_list;
    Behavior pre = Behavior::Constant;
    Behavior post = Behavior::Constant;
};

} // namespace quor
