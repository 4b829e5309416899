// The interface to a file of raw bytes: open for reading or create for writing, then read,
// write and move within it. One file per object; `length` tracks its size.
#pragma once

namespace quor {

class Binfile {
public:
    virtual ~Binfile() = default;

    // Opens an existing file for reading; false when a file is already open or none is found.
    virtual bool open(const char* name) = 0;
    // Creates (or truncates) a file for writing; false when a file is already open or on failure.
    virtual bool create(const char* name) = 0;
    // Closes the open file and resets `length` to 0; does nothing when no file is open.
    virtual void close() = 0;
    // Bytes read: `size` unless the file ends or an error stops the read first; 0 for size <= 0.
    virtual int read(void* buffer, int size) = 0;
    // Bytes written, also added to `length`; 0 on error or for size <= 0.
    virtual int write(const void* data, int size) = 0;
    // Absolute and relative moves of the file position; false on error.
    virtual bool seek(int offset) = 0;
    virtual bool skip(int offset) = 0;
    // The file position, -1 on error (for instance when no file is open).
    virtual int tell() = 0;

    // After `open` the file's size in bytes; while writing, the bytes written so far; 0 when closed.
    int length = 0;
};

} // namespace quor
