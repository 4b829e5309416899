// The three motion records of the data file as an editable document: edits are commands that
// keep keys in time order and the records inside their room in the scene section, with undo
// and redo over every edit since the document was read, new versions of the file taken over
// included.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "demo/data_file.h"
#include "edit/motion_records.h"

namespace quor::edit {

// Records in section order: the animated object, the quad, the camera.
constexpr std::size_t record_count = 3;
// What the history keeps, whatever adds to it: past any of these bounds its oldest steps go, so
// a workbench left running beside a tool that rewrites or a watched file that changes stays
// small. Steps in all; steps that replace whole records (a version taken over, an import), each
// holding every record twice (up to about 0.3 MB each); and the bytes of the records the steps
// hold (a key edit on a long envelope holds the channel twice).
constexpr std::size_t max_history_steps = 1000;
constexpr std::size_t max_whole_steps = 16;
constexpr std::size_t max_history_bytes = std::size_t{32} << 20;

struct channel_ref {
    std::size_t record = 0;
    int channel = 0;
    bool operator==(const channel_ref&) const = default;
};

struct edit_result {
    bool ok = false;
    // Why the edit was refused, one line; empty when ok.
    std::string reason;
    // The channel that changed (for undo and redo, the one they changed back).
    channel_ref changed;
    // set_key and add_key: the index the key stands at afterwards.
    std::size_t key = 0;
    // A record replaced, or the undo or redo of a new version taken over: every channel may have
    // changed, not `changed` alone.
    bool every_channel = false;
};

class motion_document {
public:
    // Reads the three records of a data file held in memory, `size` bytes from `file`, with the
    // bounds the demo's load uses. Clears the history. False, with *why and nothing changed, when a
    // record does not read.
    bool read(const char* file, std::size_t size, std::string* why = nullptr);
    // The same from a file the load's check has passed, without reading the records again.
    void read(const demo::data_file& file);

    const motion_record& record(std::size_t r) const { return records[r]; }
    const channel_record& channel(channel_ref at) const { return records[at.record][slot(at)]; }
    std::size_t record_bytes(std::size_t r) const { return record_size(records[r]); }
    // The most bytes record r may take: the 72 of an object's slot; for the camera, what the
    // section leaves after everything else in it.
    std::size_t record_capacity(std::size_t r) const;
    std::size_t room(std::size_t r) const { return record_capacity(r) - record_bytes(r); }
    // The channel's value at t, as the demo evaluates it.
    float value_at(channel_ref at, double t) const;

    // Each edit either changes one channel and becomes one undo step, or changes nothing and says
    // why. `continues` folds the edit into the previous step when that changed the same channel
    // (one step for a whole drag).
    edit_result set_constant(channel_ref at, float value, bool continues = false);
    // Sets key k's time, value, shape, tension, continuity and bias (nothing else is stored); the
    // key moves to keep the keys in time order. No two keys share a time, none stands before 0 s
    // (the reader puts its seed key there) and every field is finite.
    edit_result set_key(channel_ref at, std::size_t k, const Key& fields, bool continues = false);
    // A key at t carrying the curve's value there, with the shape of the key after it.
    edit_result add_key(channel_ref at, double t);
    edit_result delete_key(channel_ref at, std::size_t k);
    // An envelope's keys replaced all at once (keys moved, stretched, pasted or deleted together)
    // as one undo step: they go into time order, and are refused as set_key refuses a key, when
    // two share a time or the record's room is exceeded.
    edit_result set_keys(channel_ref at, std::vector<Key> keys, bool continues = false);
    // A constant becomes an envelope with one key at 0 s holding its value.
    edit_result make_envelope(channel_ref at);
    // An envelope or a mixer becomes the constant of its value at t.
    edit_result make_constant(channel_ref at, double t);

    // Record r replaced whole (an import) as one undo step; refused when it does not fit the
    // record's room. A record the same as the one held changes nothing.
    edit_result replace_record(std::size_t r, const record::transformation& rec);

    bool can_undo() const { return done > 0; }
    bool can_redo() const { return done < history.size(); }
    edit_result undo();
    edit_result redo();

    // Whether the records differ from those last read or saved, by the history.
    bool modified() const { return saved != done; }
    // The scene section as a save writes it: the records over the bytes around them as read.
    std::vector<char> section() const;
    // The section() just written is now what the file holds.
    void mark_saved();
    // The file now holds a version no state of the history matches: all are unsaved until a save.
    void file_replaced() { saved.reset(); }
    // Whether record r differs from the file's as last read, taken over, merged or saved: an edit
    // of it stands (an edit and its undo do not).
    bool edited(std::size_t r) const;
    // The file now holds `newer`, which another program wrote over the version the records were
    // read from: each record not edited here takes newer's, an edited one stays, and the bytes
    // around them are newer's, as one undo step when anything changed. *both gets the records
    // edited here that newer changed too (differently), which a save writes over. Refused, with
    // nothing changed, when an edited record does not fit newer's section.
    edit_result merge(motion_document&& newer, std::vector<std::size_t>* both = nullptr);
    // A new version of the file, read into `newer`, replaces the records as one step of the
    // history: its undo puts back the records (edits included) and the section around them as
    // they were. The document then matches the file.
    void take_over(motion_document&& newer);

private:
    // What take_over replaces.
    struct contents {
        std::array<motion_record, record_count> records;
        demo::section_surround surround;
    };
    struct change {
        channel_ref at;
        channel_record before, after;
        // Set for a version taken over, in place of the one channel.
        std::shared_ptr<const contents> whole_before, whole_after;
        // What the step holds in memory, as the history's bound counts it.
        std::size_t bytes = 0;
    };

    static std::size_t slot(channel_ref at) { return static_cast<std::size_t>(at.channel); }
    channel_record& mutable_channel(channel_ref at) { return records[at.record][slot(at)]; }
    edit_result commit(channel_ref at, channel_record after, std::size_t key, bool continues);
    edit_result refuse(std::string reason) const;
    // Why record r, with room for `capacity`, cannot take `bytes`.
    std::string room_refusal(std::size_t r, std::size_t bytes, std::size_t capacity) const;
    // Adds the step from `before` to the contents now.
    void push_whole(std::shared_ptr<const contents> before);
    // Adds `c` after the steps done, dropping those undone, then holds the history to its bounds.
    void push(change c);
    contents snapshot() const { return {records, surround}; }
    // The records read from `section`, with their source bytes, and the bytes around them.
    void take(const char* section, demo::section_records&& read, demo::section_surround&& around);
    edit_result restore(const contents& c);
    // Puts change c's after (forward) or before in place.
    edit_result step(const change& c, bool forward);

    std::array<motion_record, record_count> records;
    // The records as the file held them when last read, taken over, merged or saved: what tells
    // an edited record from one another program may change under it.
    std::array<motion_record, record_count> base;
    demo::section_surround surround;
    std::vector<change> history;
    std::size_t done = 0;
    // `done` when the records matched the file; none once that state left the history.
    std::optional<std::size_t> saved = 0;
};

} // namespace quor::edit
