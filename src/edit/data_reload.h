// Hot reload of the data file: a new version on disk is read whole and passes the load's check
// before anything uses it; a damaged one is refused with the check's message and the loaded
// data stays. Unsaved edits are never dropped without the caller's word.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "demo/data_file.h"
#include "platform/file.h"

namespace quor::edit {

struct reload_outcome {
    enum class kind {
        none,     // nothing new on disk
        reloaded, // `data` holds the new version, checked once
        refused,  // the new version does not pass the check: `message` says why
        ask,      // a new version while edits are unsaved: the caller answers take() or keep()
    };
    kind what = kind::none;
    std::string message;
    demo::data_file data;
};

class data_reload {
public:
    // Watches `path`; the version on disk now is the one loaded.
    explicit data_reload(std::string path);

    // Once a frame: one stat of the file. A version is offered once: after it was reloaded,
    // refused or kept, only a newer one counts. A version caught while it is still being written
    // is left for a later poll.
    reload_outcome poll(bool unsaved_edits);
    // Answers to `ask`: read the new version now (the caller drops its edits), or keep the edits
    // and leave this version alone (a later save writes over it).
    reload_outcome take();
    void keep();
    // The caller's own save put the version of stamp `placed` in place: that one is the loaded one.
    void saved(const platform::file_stamp& placed) { seen = placed; }
    // The caller's own save put `placed` in place over a newer version whose other bytes it has
    // not loaded: that version is read and checked as a reload is, and is the loaded one after.
    // None when another writer has replaced it already (a later poll offers theirs).
    reload_outcome read_saved(const platform::file_stamp& placed) { return load(placed); }
    // The version last loaded or kept, read again whether or not it passes the check (its records
    // may still read, and a save keeps those not edited here); none when the file is another
    // version by now.
    reload_outcome read_version() const { return seen ? read(*seen) : reload_outcome{}; }
    // The version on disk is not the loaded one: the next poll takes it over (or asks).
    void forget() { seen.reset(); }
    // The version last loaded, refused or kept (a save writes over it, and over no other); none
    // while the file could not be looked at.
    const std::optional<platform::file_stamp>& version() const { return seen; }

    const std::string& path() const { return file; }

private:
    // The file read and checked, if it is still the version of `stamp` after the read.
    reload_outcome read(const platform::file_stamp& stamp) const;
    reload_outcome load(const platform::file_stamp& stamp);

    std::string file;
    // The version last loaded, refused or kept; none while the file could not be looked at.
    std::optional<platform::file_stamp> seen;
};

} // namespace quor::edit
