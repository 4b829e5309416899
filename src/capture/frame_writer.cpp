// The writer threads: each takes the next queued picture with its number, writes it, returns
// its buffer. With one thread the pictures are written in order.
#include "capture/frame_writer.h"

#include <algorithm>

namespace quor::capture {

namespace {

// Pictures waiting for a writer: enough to keep the encoder fed while a frame draws, and
// about 64 MB at most.
std::size_t queue_length(std::size_t picture_bytes)
{
    const std::size_t fit = (std::size_t{64} << 20) / std::max<std::size_t>(picture_bytes, 1);
    return std::clamp<std::size_t>(fit, 2, 8);
}

} // namespace

frame_writer::frame_writer(frame_sink& s, std::size_t picture_bytes)
    : sink(s), storage(std::max(1u, s.parallel_writes()) + queue_length(picture_bytes),
                       std::vector<std::uint8_t>(picture_bytes))
{
    for (auto& b : storage)
        free_buffers.push_back(&b);
    for (unsigned i = 0; i < std::max(1u, s.parallel_writes()); ++i)
        workers.emplace_back([this] { run(); });
}

frame_writer::~frame_writer() { finish(); }

std::vector<std::uint8_t>* frame_writer::acquire()
{
    std::unique_lock<std::mutex> guard(lock);
    changed.wait(guard, [this] { return failed || !free_buffers.empty(); });
    if (failed)
        return nullptr;
    auto* b = free_buffers.front();
    free_buffers.pop_front();
    return b;
}

void frame_writer::submit(std::vector<std::uint8_t>* filled)
{
    {
        std::lock_guard<std::mutex> guard(lock);
        queued.push_back(filled);
    }
    changed.notify_all();
}

void frame_writer::run()
{
    for (;;) {
        std::vector<std::uint8_t>* picture = nullptr;
        std::uint64_t index = 0;
        bool skip = false;
        {
            std::unique_lock<std::mutex> guard(lock);
            changed.wait(guard, [this] { return closing || !queued.empty(); });
            if (queued.empty())
                return;
            picture = queued.front();
            queued.pop_front();
            index = next_index++;
            // After a failure the remaining pictures are dropped, not written.
            skip = failed;
        }
        const bool ok = !skip && sink.write(picture->data(), index);
        {
            std::lock_guard<std::mutex> guard(lock);
            if (!ok)
                failed = true;
            free_buffers.push_back(picture);
        }
        changed.notify_all();
    }
}

bool frame_writer::finish()
{
    if (finished)
        return result;
    finished = true;
    {
        std::lock_guard<std::mutex> guard(lock);
        closing = true;
    }
    changed.notify_all();
    for (auto& w : workers)
        w.join();
    // The sink is completed even after a failed write: an encoder must be reaped either way.
    const bool completed = sink.finish();
    result = !failed && completed;
    return result;
}

} // namespace quor::capture
