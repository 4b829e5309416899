// What the workbench keeps beside the data file, whose format has no room for it: the tempo, the
// markers and the workbench's own settings, in a short versioned text file that people can read
// and that the player never opens ("tesk.workbench" beside "tesk.mem"). It is written the way the
// data file is (new file, read back and checked, renamed over the old one, under its lock).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "anim/record.h"
#include "edit/beat_grid.h"

namespace quor::edit {

struct workbench_settings {
    // Written as `version`; files of every version from `oldest_version` on still read (a line a
    // later version added keeps its default in an older file).
    static constexpr int version = 2;
    static constexpr int oldest_version = 1;
    static constexpr std::size_t max_markers = 256;
    static constexpr std::size_t max_name = 64;
    static constexpr float min_curve_height = 60;
    static constexpr float max_curve_height = 600;

    tempo beat;
    std::vector<marker> markers; // in time order, no two within a millisecond
    bool snap = false;
    int division = 1; // snapping to beats (1), halves (2) or quarters (4)
    bool music_lane = true;
    float curve_height = 90;
    // By channel: drawn in the curve view under the edited channel of its triple (x, y, z).
    std::array<bool, record::transformation_channels> curve_overlay{};
    std::optional<double> loop_in, loop_out;
    bool operator==(const workbench_settings&) const = default;

    std::vector<double> marker_times() const;
    // `t` snapped to the beat's parts while snapping is on, else as it is.
    double snapped(double t) const { return snap ? edit::snap(beat, t, division) : t; }
    // A marker at `t` named `name` (control characters become spaces, cut at max_name bytes; an
    // empty name becomes "marker N"); one already within a millisecond of `t` takes the name.
    // False, with *why, past max_markers or outside the timeline's reach.
    bool add_marker(double t, std::string_view name, std::string* why);
    void remove_marker(std::size_t m);
};

// "tesk.workbench" for "tesk.mem": the data file's path with its ".mem" (if any) replaced.
std::string side_file_path(const std::string& data_path);

// The file's text, one setting a line under a version line.
std::string write_settings(const workbench_settings& s);
// The settings a text holds; a setting the text leaves out keeps its default. False, with *why
// ("line N: ..."), and `out` untouched, when a line does not read, a value is out of range, or the
// version is not one this workbench writes.
bool read_settings(std::string_view text, workbench_settings& out, std::string* why);

enum class side_read { missing, read, refused };
// The settings of the file at `path`; missing leaves `out` as it was.
side_read load_side_file(const std::string& path, workbench_settings& out, std::string* why);
// Puts the settings' text in place of the file at `path` the safe way, waiting for no other
// writer. False with *why.
bool save_side_file(const std::string& path, const workbench_settings& s, std::string* why);

// The settings of one workbench and their file: read at the start, written again after each
// change. A file that does not read is never written over: its settings stay the defaults and
// changes stay unsaved until it is mended or removed.
class side_settings {
public:
    // Reads the side file of the data file at `data_path`.
    explicit side_settings(const std::string& data_path);
    const workbench_settings& get() const { return now; }
    // For a change: it is written at the next write().
    workbench_settings& change()
    {
        due = true;
        ++changes_made;
        return now;
    }
    // Changes since the start: a write that failed is tried again after the next one.
    int changes() const { return changes_made; }
    // Why the file read at the start was refused; empty when it read or was missing.
    const std::string& refusal() const { return refused; }
    bool unsaved() const { return due; }
    // After a change, writes the side file of the data file at `data_path` (which follows the
    // data file to a copy). False, with *why, when it cannot; the change stays due.
    bool write(const std::string& data_path, std::string* why);

private:
    workbench_settings now;
    std::string refused;
    std::string refused_path;
    bool due = false;
    int changes_made = 0;
};

} // namespace quor::edit
