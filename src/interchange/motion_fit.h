// Imported motion made into motion records. A channel whose keys the data file can hold comes
// over key for key; any other is baked into keys it can hold, checked against the source's own
// curve as the engine will evaluate them (the key it seeds at time 0 included) up to the end of
// the timeline. The object and quad records take constants only: the source's values at one time.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "anim/envelope.h"
#include "interchange/motion_text.h"

namespace quor::interchange {

// One channel of imported motion.
struct source_curve {
    // The source's own value at a time; never null.
    std::function<float(double)> value;
    // Times of the source's keys: the bake starts with keys there.
    std::vector<double> knots;
    // Times where the curve jumps; it takes the value after the jump at the time itself.
    std::vector<double> breaks;
    // Keys the data file can hold that give the curve exactly, when the source has such keys.
    std::optional<std::vector<Key>> exact;
    // How far the record's channel may stray from `value` (same units).
    float tolerance = 1e-3f;
    // Whether the curve has a single value at every time (it then becomes a constant channel).
    bool constant = false;
    // Why the curve has no keys the data file can hold, when it has none: said when it is baked.
    std::string bake_reason = "shapes or behaviours the data file cannot hold";
};

using source_motion = std::array<source_curve, record::transformation_channels>;

// The curve of an envelope in the full model: its keys as knots, its Stepped keys and the seams
// of repeating behaviours as breaks, and exact keys when it holds nothing the data file cannot.
source_curve curve_of(const Envelope& e, double end, float tolerance);

// What fit_camera did beyond copying keys, for the import's report.
struct fit_notes {
    std::vector<std::pair<std::string, std::string>> baked; // channel name, the curve's bake_reason
    std::vector<std::string> thinned;                       // channels given fewer keys to fit `room`
};

// The camera's record from the source up to time `end`, in at most `room` bytes. A channel that
// stays within its tolerance of one value is a constant; exact channels come over key for key
// behind a lead-in that cancels the key the engine seeds at 0; the others are baked from keys at
// the source's own. When that takes more than `room`, channels are thinned, the longest first:
// baked afresh from their ends alone, keys added only where the curve strays past its tolerance.
// False with *error when a channel needs more keys than the record holds, or thinned it still
// does not fit.
bool fit_camera(const source_motion& src, double end, std::size_t room, record::transformation& out,
                fit_notes& notes, std::string* error);

// An object's or the quad's record: nine constants, the source's values at time `at`.
record::transformation constants_at(const source_motion& src, double at);

// The largest difference between the record channel, as the engine reads and evaluates it, and
// the curve over (0, end], sampled densely; times at the curve's breaks are left out.
float channel_error(const record::channel& c, const source_curve& src, double end);

} // namespace quor::interchange
