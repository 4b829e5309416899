// A picture sequence as PNG files DIR/frame_00000.png, DIR/frame_00001.png, ... (libpng).
#pragma once

#include <mutex>
#include <string>

#include "capture/frame_sink.h"

namespace quor::capture {

class png_sequence final : public frame_sink {
public:
    png_sequence(std::string folder, int width, int height);

    // Creates the folder if it is missing and checks that files can be written there.
    bool check() override;
    bool open() override { return true; }
    // Safe to call from several threads at once: each picture is a file of its own.
    bool write(const std::uint8_t* bgra, std::uint64_t index) override;
    // One writer per processor: compression is what limits a PNG capture.
    unsigned parallel_writes() const override;
    bool finish() override { return error().empty(); }
    std::string error() const override;

    // The file name of picture `index`: frame_ and five digits (more past 99999).
    static std::string file_name(std::uint64_t index);

private:
    std::string folder;
    int width;
    int height;
    mutable std::mutex lock;
    std::string failure; // the first one
};

} // namespace quor::capture
