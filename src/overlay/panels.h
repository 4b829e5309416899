// The workbench's two panels, drawn with Dear ImGui inside a frame the overlay has begun, each
// in the place the layout gives it: the transport with the time line and the status line, and
// the channels of the three motion records with the selected channel's curve and keys. They only
// read the workbench and send it commands.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "edit/key_moves.h"
#include "edit/motion_document.h"
#include "edit/workbench.h"
#include "overlay/curve_view.h"
#include "overlay/import_preview.h"
#include "overlay/import_watch.h"
#include "overlay/layout.h"
#include "overlay/timing_panel.h"

namespace quor::overlay {

// A number being typed into a field: where it goes and what it reads so far, kept until the
// field is left.
struct typed_number {
    unsigned item = 0; // the field's ImGui id; 0: none
    edit::channel_ref at;
    std::size_t key = 0;
    float Key::*field = nullptr; // the key's field; none: the constant's value
    float shown = 0;             // the field's text when typing began, as a number
    float value = 0;
    int moves = 0; // the history's moves when typing began
};

// What the channels panel shows in detail, and the edit under way; kept by the overlay from frame
// to frame.
struct selection {
    edit::channel_ref channel{2, 0};
    int key = -1;
    // A key picked on the curve: its row comes into view, and the press drags the picked keys.
    bool scroll_to_key = false;
    bool dragging_key = false;
    // The row last brought into view because playback passed its key; -1 for none.
    int followed = -1;
    typed_number typing;
    // The keys picked together (Ctrl+click, a Shift+drag box on the curve); `key` is one of them.
    edit::key_set keys;
    // A drag of the picked keys: the channel's keys and the picked ones at the press, where the
    // pressed key stood, and the plot's scale then (a zoom meanwhile does not change the move).
    std::vector<Key> drag_start;
    edit::key_set drag_set;
    float drag_time = 0, drag_value = 0;
    double drag_seconds_per_pixel = 0, drag_values_per_pixel = 0;
    bool drag_changed = false;
    bool boxing = false;
    float box_x = 0, box_y = 0;
    // Keys copied, for pasting into any envelope; the factor of a stretch.
    edit::key_clip clip;
    float stretch = 2;
    curve_view_state view;
};

// The questions the panels ask before something is lost, and their answers; kept by the overlay
// from frame to frame.
struct questions {
    bool quit = false;            // edits are unsaved and the workbench is to end: save, discard, stay?
    bool copy = false;            // where to save a copy
    bool quit_after_copy = false; // the copy was asked for by the quit question
    bool quit_chosen = false;     // the answer: end the workbench now
    bool focus_path = false;      // the copy's path field takes the keyboard when it opens
    std::array<char, 1024> path{};
};

// The import's choices, kept from frame to frame: a file of a folder, a source it holds, the
// record it goes into, and whether the file is watched afterwards.
struct import_choice {
    bool open = false;
    std::array<char, 1024> folder{};
    std::string listed; // the folder `files` lists
    std::vector<std::string> files;
    int file = -1;
    std::vector<interchange::motion_source> sources;
    std::string trouble; // why the folder or the file offers nothing
    int source = -1;
    int record = 2;
    bool watch = true;
    // Whether the import is simplified, within what, and what that would do, shown before Import.
    bool simplify = false;
    interchange::simplify_tolerance tolerance;
    import_preview preview;
};

// Opens the import on the folder chosen last, the one the program was started from at first; the
// folder is listed afresh.
void open_import(import_choice& choice);

// Opens the question about a copy of the data file, its path as the workbench suggests.
void ask_for_copy(const edit::workbench& bench, questions& asked, bool then_quit);

// Each sets `scrubbing` when one of its widgets drags the time this frame.
void draw_transport(edit::workbench& bench, const rect& where, questions& asked, import_choice& importing,
                    import_watch& watch, timing_state& timing, bool& scrubbing);
void draw_channels(edit::workbench& bench, const rect& where, selection& selected, timing_state& timing,
                   bool& scrubbing);
// The question a new version of the data file raises while edits are unsaved, and the questions
// above; over the transport, clear of the picture and the status line.
void draw_reload_prompt(edit::workbench& bench, const rect& where);
void draw_questions(edit::workbench& bench, const rect& where, questions& asked);
// The import, over the channels: a file from a folder's list, what it holds, the record it goes
// into; applied as one undo step, the importer's notes on the status line.
void draw_import(edit::workbench& bench, const rect& where, import_choice& choice, import_watch& watch);

} // namespace quor::overlay
