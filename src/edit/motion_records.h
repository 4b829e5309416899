// The motion records of the scene section as an editor holds them: the plain channel records,
// each with the bytes it was read from, written back untouched while unedited so that a save
// changes only what was edited (the readers' writers zero the bytes the format leaves open).
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "anim/channel.h"
#include "anim/record.h"
#include "scene/transformation.h"

namespace quor::edit {

// `other` is a tag the reader skips: the channel keeps the constant 0 it was built with.
enum class channel_kind { constant, envelope, mixer, other };

const char* kind_name(channel_kind kind);

struct channel_record : record::channel {
    // The record's bytes as read (tag included); empty once the channel was edited.
    std::vector<char> source;

    channel_kind kind() const;
};

constexpr int channel_count = static_cast<int>(record::transformation_channels);
using motion_record = std::array<channel_record, record::transformation_channels>;

// Same tag and payload, bit for bit; the source bytes are not compared.
bool same_channel(const channel_record& a, const channel_record& b);

// The channel record's bytes: its source while unedited, else the writers' output.
void append_channel(std::vector<char>& out, const channel_record& c);
std::size_t record_size(const motion_record& r);

// The channel as the demo's load builds it, so a curve shown is the curve drawn: a fresh
// channel, so envelopes and mixers start from the reader's seed key (0 s, 0).
Channel engine_channel(const channel_record& c);

} // namespace quor::edit
