// Hands finished pictures to a sink on threads of its own (as many as the sink takes at once),
// so that writing pictures (pipe to the encoder, PNG compression) overlaps with drawing the next.
// Buffers circulate between the drawing thread and the writers, with room for several queued
// pictures so that the encoder always has work when a processor comes free; the drawing thread
// waits only when all are full.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "capture/frame_sink.h"

namespace quor::capture {

class frame_writer {
public:
    frame_writer(frame_sink& sink, std::size_t picture_bytes);
    // Finishes (see `finish`) if that was not done.
    ~frame_writer();
    frame_writer(const frame_writer&) = delete;
    frame_writer& operator=(const frame_writer&) = delete;

    // A buffer of `picture_bytes` to fill, waiting for one to come back from the writer. Null
    // once the sink has failed: the caller stops capturing and calls `finish`.
    std::vector<std::uint8_t>* acquire();
    // Queues a buffer from `acquire`, filled, as the next picture.
    void submit(std::vector<std::uint8_t>* filled);
    // Writes what is queued, stops the thread, completes the sink. False when any write or the
    // completion failed (the sink's `error()` says why). Later calls return the same result.
    bool finish();

private:
    void run();

    frame_sink& sink;
    std::vector<std::vector<std::uint8_t>> storage;
    std::mutex lock;
    std::condition_variable changed;
    std::deque<std::vector<std::uint8_t>*> free_buffers;
    std::deque<std::vector<std::uint8_t>*> queued;
    bool closing = false;
    bool failed = false;
    bool finished = false;
    bool result = false;
    std::uint64_t next_index = 0;
    std::vector<std::thread> workers;
};

} // namespace quor::capture
