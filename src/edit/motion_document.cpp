// Edits of the motion records as snapshots of the one channel they change, so undo and redo
// restore exactly what was there; sizes are weighed against the slots of the scene section.
#include "edit/motion_document.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

#include "demo/data_layout.h"

namespace quor::edit {
namespace {

using namespace demo::layout;

constexpr std::size_t camera = 2;

std::string seconds(double t)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", t);
    return text;
}

bool finite(const Key& k)
{
    return std::isfinite(k.value) && std::isfinite(k.time) && std::isfinite(k.tension) &&
           std::isfinite(k.continuity) && std::isfinite(k.bias);
}

// Why no key may stand at `time` among `keys` (the key at `except` aside); empty if one may.
std::string time_refusal(const std::vector<Key>& keys, double time, std::size_t except)
{
    if (!(time >= 0) || !std::isfinite(time))
        return "a key at " + seconds(time) +
               " would stand before the key at 0 s that the reader puts first in every envelope";
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (i != except && keys[i].time == static_cast<float>(time))
            return "key " + std::to_string(i) + " already stands at " + seconds(time);
    return {};
}

// Inserts k after every key not later than it, and returns where it went.
std::size_t insert_in_order(std::vector<Key>& keys, const Key& k)
{
    const auto at =
        std::upper_bound(keys.begin(), keys.end(), k.time, [](float t, const Key& other) { return t < other.time; });
    const std::size_t index = static_cast<std::size_t>(at - keys.begin());
    keys.insert(at, k);
    return index;
}

std::string channel_text(channel_ref at)
{
    return std::string(demo::record_names[at.record]) + " " + demo::channel_names[static_cast<std::size_t>(at.channel)];
}

// What a channel holds in memory, for the history's bound.
std::size_t channel_bytes(const channel_record& c)
{
    std::size_t bytes = sizeof c + c.keys.size() * sizeof(Key) + c.source.size();
    for (const std::vector<Key>& entry : c.entries)
        bytes += sizeof entry + entry.size() * sizeof(Key);
    return bytes;
}

bool same_record(const motion_record& a, const motion_record& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), same_channel);
}

std::size_t records_bytes(const std::array<motion_record, record_count>& records, const demo::section_surround& around)
{
    std::size_t bytes = around.object_slots.size() + around.tail.size();
    for (const motion_record& r : records)
        for (const channel_record& c : r)
            bytes += channel_bytes(c);
    return bytes;
}

} // namespace

bool motion_document::read(const char* file, std::size_t size, std::string* why)
{
    if (size <= scene_section.offset) {
        if (why)
            *why = "the file ends before its scene section";
        return false;
    }
    demo::scene_section_read read = demo::read_scene_section(file + scene_section.offset, size - scene_section.offset);
    if (!read.fault.empty()) {
        if (why)
            *why = read.fault;
        return false;
    }
    take(file + scene_section.offset, std::move(read.records), std::move(read.surround));
    return true;
}

void motion_document::read(const demo::data_file& file)
{
    demo::section_records records = file.check.records;
    demo::section_surround surround = file.check.surround;
    take(file.block.get() + scene_section.offset, std::move(records), std::move(surround));
}

void motion_document::take(const char* section, demo::section_records&& read, demo::section_surround&& around)
{
    // A channel record's length follows from its content, so the written form measures the
    // bytes it was read from.
    for (std::size_t r = 0; r < record_count; ++r) {
        const char* pos = section + demo::record_offsets[r];
        for (std::size_t c = 0; c < records[r].size(); ++c) {
            channel_record& rec = records[r][c];
            static_cast<record::channel&>(rec) = std::move(read[r][c]);
            std::vector<char> written;
            record::write_channel(written, rec);
            rec.source.assign(pos, pos + written.size());
            pos += written.size();
        }
    }
    surround = std::move(around);
    base = records;
    history.clear();
    done = 0;
    saved = 0;
}

std::size_t motion_document::record_capacity(std::size_t r) const
{
    return demo::record_room(r, surround.tail.size());
}

float motion_document::value_at(channel_ref at, double t) const
{
    return engine_channel(channel(at)).evaluate(t);
}

edit_result motion_document::refuse(std::string reason) const
{
    edit_result r;
    r.reason = std::move(reason);
    return r;
}

std::string motion_document::room_refusal(std::size_t r, std::size_t bytes, std::size_t capacity) const
{
    return std::string("the ") + demo::record_names[r] + " record would take " + std::to_string(bytes) + " bytes, " +
           (r == camera ? "more than the " + std::to_string(capacity) + " the scene section has room for"
                        : "more than its 72-byte slot: the objects' records hold nine constants");
}

edit_result motion_document::commit(channel_ref at, channel_record after, std::size_t key, bool continues)
{
    after.source.clear();
    channel_record& current = mutable_channel(at);
    if (same_channel(current, after)) {
        edit_result r;
        r.ok = true;
        r.changed = at;
        r.key = key;
        return r;
    }
    channel_record before = std::move(current);
    current = std::move(after);
    const std::size_t bytes = record_bytes(at.record);
    if (bytes > record_capacity(at.record)) {
        current = std::move(before);
        return refuse(room_refusal(at.record, bytes, record_capacity(at.record)));
    }
    const bool fold = continues && done > 0 && done == history.size() && !history[done - 1].whole_after &&
                      history[done - 1].at == at && saved != done;
    if (fold) {
        change& last = history[done - 1];
        last.bytes = last.bytes - channel_bytes(last.after) + channel_bytes(current);
        last.after = current;
    } else {
        if (saved && *saved > done)
            saved.reset();
        const std::size_t bytes = channel_bytes(before) + channel_bytes(current);
        push({at, std::move(before), current, nullptr, nullptr, bytes});
    }
    edit_result r;
    r.ok = true;
    r.changed = at;
    r.key = key;
    return r;
}

edit_result motion_document::set_constant(channel_ref at, float value, bool continues)
{
    const channel_record& c = channel(at);
    if (c.kind() == channel_kind::envelope || c.kind() == channel_kind::mixer)
        return refuse(channel_text(at) + " is an " + kind_name(c.kind()) + ", not a constant");
    if (!std::isfinite(value))
        return refuse("a constant must be a finite number");
    channel_record after;
    after.value = value;
    return commit(at, std::move(after), 0, continues);
}

edit_result motion_document::set_key(channel_ref at, std::size_t k, const Key& fields, bool continues)
{
    const channel_record& c = channel(at);
    if (c.kind() != channel_kind::envelope || k >= c.keys.size())
        return refuse(channel_text(at) + " has no key " + std::to_string(k));
    if (!finite(fields))
        return refuse("a key's time, value, tension, continuity and bias must be finite numbers");
    // Checked as changed: a key read from an older file keeps what it holds until it is edited.
    const Key& before = c.keys[k];
    const float* changed[] = {fields.tension != before.tension ? &fields.tension : nullptr,
                              fields.continuity != before.continuity ? &fields.continuity : nullptr,
                              fields.bias != before.bias ? &fields.bias : nullptr};
    for (const float* v : changed)
        if (v && !tcb_within_limit(*v))
            return refuse(std::string("tension, continuity and bias go from ") + tcb_range);
    if (static_cast<int>(fields.shape) < 0 || static_cast<int>(fields.shape) > static_cast<int>(Shape::Bezier2D))
        return refuse("shape " + std::to_string(static_cast<int>(fields.shape)) + " is not one of the six shapes");
    if (fields.time != c.keys[k].time)
        if (std::string why = time_refusal(c.keys, fields.time, k); !why.empty())
            return refuse(why);
    channel_record after = c;
    after.keys.erase(after.keys.begin() + static_cast<std::ptrdiff_t>(k));
    Key key = fields;
    std::fill(std::begin(key.param), std::end(key.param), 0.0f); // not part of the record
    const std::size_t index = insert_in_order(after.keys, key);
    return commit(at, std::move(after), index, continues);
}

edit_result motion_document::add_key(channel_ref at, double t)
{
    const channel_record& c = channel(at);
    if (c.kind() != channel_kind::envelope)
        return refuse(channel_text(at) + " is a " + kind_name(c.kind()) + ": keys belong to envelopes");
    if (std::string why = time_refusal(c.keys, t, c.keys.size()); !why.empty())
        return refuse(why);
    Key key;
    key.time = static_cast<float>(t);
    key.value = value_at(at, t);
    channel_record after = c;
    const std::size_t index = insert_in_order(after.keys, key);
    if (after.keys.size() > 1)
        after.keys[index].shape = after.keys[index + 1 < after.keys.size() ? index + 1 : index - 1].shape;
    return commit(at, std::move(after), index, false);
}

edit_result motion_document::set_keys(channel_ref at, std::vector<Key> keys, bool continues)
{
    const channel_record& c = channel(at);
    if (c.kind() != channel_kind::envelope)
        return refuse(channel_text(at) + " is a " + kind_name(c.kind()) + ": keys belong to envelopes");
    for (Key& k : keys) {
        if (!finite(k))
            return refuse("a key's time, value, tension, continuity and bias must be finite numbers");
        if (std::string why = time_refusal({}, k.time, 0); !why.empty())
            return refuse(why);
        std::fill(std::begin(k.param), std::end(k.param), 0.0f);
    }
    std::stable_sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) { return a.time < b.time; });
    for (std::size_t i = 1; i < keys.size(); ++i)
        if (keys[i].time == keys[i - 1].time)
            return refuse("two keys would stand at " + seconds(keys[i].time));
    channel_record after = c;
    after.keys = std::move(keys);
    return commit(at, std::move(after), 0, continues);
}

edit_result motion_document::delete_key(channel_ref at, std::size_t k)
{
    const channel_record& c = channel(at);
    if (c.kind() != channel_kind::envelope || k >= c.keys.size())
        return refuse(channel_text(at) + " has no key " + std::to_string(k));
    channel_record after = c;
    after.keys.erase(after.keys.begin() + static_cast<std::ptrdiff_t>(k));
    return commit(at, std::move(after), k, false);
}

edit_result motion_document::make_envelope(channel_ref at)
{
    const channel_record& c = channel(at);
    if (c.kind() == channel_kind::envelope || c.kind() == channel_kind::mixer)
        return refuse(channel_text(at) + " is already an " + kind_name(c.kind()));
    channel_record after;
    after.tag = record::envelope_tag;
    Key key;
    key.value = c.kind() == channel_kind::constant ? c.value : 0.0f;
    after.keys.push_back(key);
    return commit(at, std::move(after), 0, false);
}

edit_result motion_document::make_constant(channel_ref at, double t)
{
    const channel_record& c = channel(at);
    if (c.kind() == channel_kind::constant)
        return refuse(channel_text(at) + " is already a constant");
    channel_record after;
    after.value = value_at(at, t);
    return commit(at, std::move(after), 0, false);
}

edit_result motion_document::replace_record(std::size_t r, const record::transformation& rec)
{
    motion_record next;
    for (std::size_t c = 0; c < next.size(); ++c)
        static_cast<record::channel&>(next[c]) = rec[c];
    if (std::equal(next.begin(), next.end(), records[r].begin(), same_channel)) {
        edit_result same;
        same.ok = true;
        same.every_channel = true;
        return same;
    }
    if (const std::size_t bytes = record_size(next); bytes > record_capacity(r))
        return refuse(room_refusal(r, bytes, record_capacity(r)));
    auto before = std::make_shared<const contents>(snapshot());
    records[r] = std::move(next);
    if (saved && *saved > done)
        saved.reset();
    push_whole(std::move(before));
    edit_result result;
    result.ok = true;
    result.every_channel = true;
    return result;
}

void motion_document::push_whole(std::shared_ptr<const contents> before)
{
    auto after = std::make_shared<const contents>(snapshot());
    const std::size_t bytes = records_bytes(before->records, before->surround) + records_bytes(after->records, after->surround);
    push({{}, {}, {}, std::move(before), std::move(after), bytes});
}

void motion_document::push(change c)
{
    history.resize(done);
    history.push_back(std::move(c));
    ++done;
    std::size_t steps = history.size(), whole = 0, bytes = 0;
    for (const change& step : history) {
        whole += step.whole_after != nullptr;
        bytes += step.bytes;
    }
    // The oldest steps go first; the step just made stays.
    std::size_t dropped = 0;
    for (; steps > 1 && (steps > max_history_steps || whole > max_whole_steps || bytes > max_history_bytes); --steps) {
        const change& oldest = history[dropped++];
        whole -= oldest.whole_after != nullptr;
        bytes -= oldest.bytes;
    }
    if (dropped == 0)
        return;
    history.erase(history.begin(), history.begin() + static_cast<std::ptrdiff_t>(dropped));
    done -= dropped;
    if (saved)
        saved = *saved >= dropped ? std::optional<std::size_t>(*saved - dropped) : std::nullopt;
}

void motion_document::take_over(motion_document&& newer)
{
    // Right after an earlier version, with no edit since, the records are that version's snapshot.
    auto before = done > 0 && history[done - 1].whole_after ? history[done - 1].whole_after
                                                            : std::make_shared<const contents>(snapshot());
    records = std::move(newer.records);
    surround = std::move(newer.surround);
    base = records;
    push_whole(std::move(before));
    saved = done;
}

void motion_document::mark_saved()
{
    saved = done;
    base = records;
}

bool motion_document::edited(std::size_t r) const { return !same_record(records[r], base[r]); }

edit_result motion_document::merge(motion_document&& newer, std::vector<std::size_t>* both)
{
    std::array<motion_record, record_count> next = records;
    bool changes = false, edits = false;
    for (std::size_t r = 0; r < record_count; ++r) {
        if (!edited(r)) {
            changes = changes || !same_record(records[r], newer.records[r]);
            next[r] = newer.records[r];
            continue;
        }
        edits = true;
        if (both && !same_record(newer.records[r], base[r]) && !same_record(newer.records[r], records[r]))
            both->push_back(r);
        // The camera's room is what newer's section leaves it.
        const std::size_t bytes = record_size(next[r]), capacity = demo::record_room(r, newer.surround.tail.size());
        if (bytes > capacity) {
            if (both)
                both->clear();
            return refuse(room_refusal(r, bytes, capacity));
        }
    }
    changes = changes || surround.object_slots != newer.surround.object_slots || surround.tail != newer.surround.tail;
    auto before = std::make_shared<const contents>(snapshot());
    records = std::move(next);
    surround = std::move(newer.surround);
    base = std::move(newer.records);
    if (changes)
        push_whole(std::move(before));
    // With no edit standing the records are the file's, which a save need not write.
    if (edits)
        saved.reset();
    else
        saved = done;
    edit_result r;
    r.ok = true;
    r.every_channel = true;
    return r;
}

edit_result motion_document::restore(const contents& c)
{
    records = c.records;
    surround = c.surround;
    edit_result r;
    r.ok = true;
    r.every_channel = true;
    return r;
}

edit_result motion_document::step(const change& c, bool forward)
{
    if (const auto& whole = forward ? c.whole_after : c.whole_before)
        return restore(*whole);
    mutable_channel(c.at) = forward ? c.after : c.before;
    edit_result r;
    r.ok = true;
    r.changed = c.at;
    return r;
}

edit_result motion_document::undo()
{
    if (!can_undo())
        return refuse("nothing to undo");
    return step(history[--done], false);
}

edit_result motion_document::redo()
{
    if (!can_redo())
        return refuse("nothing to redo");
    return step(history[done++], true);
}

std::vector<char> motion_document::section() const
{
    std::array<std::vector<char>, record_count> bytes;
    for (std::size_t r = 0; r < record_count; ++r)
        for (const channel_record& c : records[r])
            append_channel(bytes[r], c);
    // Every edit was weighed against the record's room, so the section always fits.
    std::vector<char> out;
    std::string unused;
    demo::assemble_scene_section(bytes, surround, out, &unused);
    return out;
}

} // namespace quor::edit
