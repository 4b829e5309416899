// Temporary: the plain-record interface the shared record module is about to offer.
#pragma once

#include <array>
#include <vector>

#include "anim/envelope.h"
#include "anim/record.h"
#include "anim/record_writer.h"

namespace quor { class Channel; }

namespace quor::record {
constexpr std::size_t transformation_channels = 9;
struct channel {
    std::uint32_t tag = constant_tag;
    float value = 0;
    std::vector<Key> keys;
    std::vector<std::vector<Key>> entries;
};
using transformation = std::array<channel, transformation_channels>;
const char* read_transformation(const char* pos, const char* end, transformation& out, read_error* err = nullptr);
void write_transformation(std::vector<char>& out, const transformation& rec);
void write_channel(std::vector<char>& out, const channel& rec);
void apply(const channel& rec, Channel& c);
} // namespace quor::record
