// Binary files on disk over the platform's descriptor calls, with a search path so that data
// files are found from the data directory or from one below it.
#pragma once

#include <cstddef>
#include <string>

#include "io/binfile.h"
#include "platform/file.h"

namespace quor {

// Directory prefixes separated by ';', each ending in its separator: the current directory, then
// its parent. What every reader of data files passes.
inline constexpr const char* default_search_path = platform::data_search_path;

class DiskBinfile : public Binfile {
public:
    explicit DiskBinfile(const std::string& search_path);
    // Copies the search path only; the open file, if any, is not shared.
    DiskBinfile(const DiskBinfile& other);
    DiskBinfile& operator=(const DiskBinfile&) = delete;
    ~DiskBinfile() override;

    // Tries `name` unchanged, then each search-path entry followed by the part of `name` after its
    // last ':'. Only regular files count: anything else by that name is passed over as if absent,
    // and nothing blocks. When nothing opens, one line: "WARNING: file cannot be read: " + the
    // first candidate that is there + ": " + why, or else "WARNING: file not found: " + name. A
    // file too long for `length` is refused with "WARNING: file too large: " + name.
    bool open(const char* name) override;
    // Truncating, owner read/write; `name` is used unchanged.
    bool create(const char* name) override;
    void close() override;
    // Reads until `size` bytes have arrived or the file ends.
    int read(void* buffer, int size) override;
    int write(const void* data, int size) override;
    bool seek(int offset) override;
    bool skip(int offset) override;
    int tell() override;

    // A closed object with the same search path; owned by the caller. Kept for the interface:
    // nothing in the system clones a file.
    virtual DiskBinfile* clone();
    // Reads the whole file `name` into `buffer`, which must hold its length; `reserved` is unused.
    // False when the file is not found or fewer than `length` bytes arrive (the file then stays
    // open until `close`).
    virtual bool load(const char* name, void* buffer, int reserved);

    // Why the last `open` failed; `none` after a success.
    enum class open_failure { none, not_found, unreadable, too_large };
    open_failure last_failure() const { return failure; }

    std::string search_path;
    // What the last successful `open` opened: `name` itself or a search-path candidate.
    std::string path;
    // -1 when no file is open.
    int fd = -1;

private:
    open_failure failure = open_failure::none;
};

// The length of `name` opened unchanged (no search path); 0 when it cannot be opened or its length
// does not fit in an int.
int file_length(const char* name);
// Whether `name` opens with the default search path (the warning line is written when it does not).
bool file_exists(const char* name);

} // namespace quor
