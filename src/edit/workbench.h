// The workbench behind the overlay: the document over the demo's motion records, the transport
// over its clock, save and hot reload of its data file, and one status line. Every change
// reaches the demo's scene before its next frame; nothing here draws.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/counter.h"
#include "demo/demo.h"
#include "edit/data_reload.h"
#include "edit/motion_document.h"
#include "edit/side_file.h"
#include "edit/transport.h"

namespace quor::edit {

// "camera position x": how messages name a channel.
std::string channel_name(channel_ref at);

class workbench {
public:
    // Over a demo whose scene is loaded from `path`: saves go there, reloads watch it. Frames per
    // second are measured on `counter`.
    workbench(demo::Demo& demo, std::string path, system::counter& counter = system::system_counter());

    const motion_document& document() const { return doc; }
    // The tempo, markers and settings kept beside the data file; a change is written after the
    // frame, and a failure to write it becomes the status.
    side_settings& settings() { return side; }
    const side_settings& settings() const { return side; }
    transport& player() { return play; }
    const transport& player() const { return play; }

    // Runs one command on the document: a change reaches the scene, a refusal becomes the status.
    edit_result edit(const std::function<edit_result(motion_document&)>& command);
    edit_result undo();
    edit_result redo();
    // Undos, redos and reloads so far: moves through the history that the panels did not make.
    int history_moves() const { return moves; }
    // Writes the records into the data file; the outcome becomes the status. Over a newer version
    // kept under the edits, only the records edited here are written: the others are its own.
    bool save();
    // Writes the whole data file with the edited records to `path`, which from then on is the file
    // saved to and watched; the outcome becomes the status. Another program's change to the data
    // file is never undone: `path` naming the data file itself saves as save() does, and a copy
    // elsewhere takes everything but the records edited here from the data file as it is now.
    bool save_as(const std::string& path);
    // Saves tried since the start.
    int saves() const { return save_count; }
    const std::string& file() const { return watch.path(); }
    // Whether saves can go to the data file's folder (an installed demo's is read-only).
    bool folder_writable() const;
    // Where a copy may go: the data file itself when its folder is writable, else its name in the
    // folder the program was started from or in the home folder, whichever is writable first.
    std::string copy_path() const;

    // After each frame of the demo: the transport settles and the music follows, the frame is
    // counted, and the data file is looked at for a new version.
    void after_frame();
    // A new version of the data file waits for the user's word, because edits are unsaved.
    bool reload_pending() const { return pending; }
    // true: load the new version (one undo step: its undo brings the edits back); false: keep the
    // edits: the records not edited here become the new version's, and a save writes the edited
    // ones over it.
    void answer_reload(bool reload);

    const std::string& status() const { return line; }
    // A line for the status from elsewhere (an import's outcome).
    void set_status(std::string text, bool failure) { say(std::move(text), failure); }
    // Whether the status says that something failed or was refused.
    bool status_failed() const { return failed; }
    float frames_per_second() const { return fps; }
    // Versions of the data file taken over since the start.
    int reloads() const { return reload_count; }
    // Seconds the last reload took, from the look at the file to the rebuilt scene.
    double reload_seconds() const { return reload_took; }

private:
    enum class merge_outcome { merged, unread, refused };
    // Takes in the records of `file`, another program's version of the data file: those not
    // edited here become its own, in the scene too, and the edited ones it changed as well are
    // noted for the save's line. Else *why says that its records do not read (the edits then
    // replace them all) or that an edit does not fit it (nothing changes).
    merge_outcome merge(const demo::data_file& file, std::string* why);
    // "; another program changed the camera record too: ...": what the next save writes over.
    std::string written_over_note() const;
    void take(reload_outcome outcome);
    void say(std::string text, bool failure = false);
    // The file now holds `section`: so do the scene's copy of it and the document.
    void keep(const std::vector<char>& section);

    demo::Demo* demo_;
    motion_document doc;
    transport play;
    data_reload watch;
    side_settings side;
    int side_tried = 0;
    system::counter* ticks;
    std::uint64_t frequency = 1;
    std::uint64_t fps_mark = 0;
    int fps_frames = 0;
    float fps = 0;
    bool pending = false;
    // The file on disk is a newer version than the scene's, its edits kept over it.
    bool over_newer = false;
    // Records edited here that the version kept under the edits changed too.
    std::array<bool, record_count> written_over{};
    int reload_count = 0;
    int save_count = 0;
    int moves = 0;
    double reload_took = 0;
    std::string line;
    bool failed = false;
};

} // namespace quor::edit
