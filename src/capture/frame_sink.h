// Where captured pictures go: a video encoder's pipe or a folder of images. Each picture is
// width x height BGRA, 4 bytes a pixel (the fourth unused), rows bottom-up as OpenGL reads them:
// the read-back that costs the renderer least.
#pragma once

#include <cstdint>
#include <string>

namespace quor::capture {

class frame_sink {
public:
    virtual ~frame_sink() = default;
    // Before anything is rendered: can the output be written? False with `error()` set.
    virtual bool check() = 0;
    // Once the pictures are about to come: starts the output. False with `error()` set.
    virtual bool open() = 0;
    // Writes picture number `index` (0 for the first one written). False on a failure, with
    // `error()` saying what failed; no further calls are made then except `finish`.
    virtual bool write(const std::uint8_t* bgra, std::uint64_t index) = 0;
    // How many `write` calls may run at once, on different threads; 1 means one at a time, in
    // picture order.
    virtual unsigned parallel_writes() const { return 1; }
    // Completes the output (closes the file, waits for the encoder). False on a failure.
    virtual bool finish() = 0;
    // After a successful `finish`, when the whole stretch was captured: puts the output in place
    // under its final name. False with `error()` set. Until then nothing looks complete.
    virtual bool commit() { return true; }
    // One line for the user about the first failure; empty while there is none.
    virtual std::string error() const = 0;
};

} // namespace quor::capture
