// The writer thread: takes queued pictures in order, writes them, returns their buffers.
#include "frame_writer.h"

namespace quor::capture {

frame_writer::frame_writer(frame_sink& s, std::size_t picture_bytes, std::size_t buffers)
    : sink(s), storage(buffers, std::vector<std::uint8_t>(picture_bytes))
{
    for (auto& b : storage)
        free_buffers.push_back(&b);
    worker = std::thread([this] { run(); });
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
        {
            std::unique_lock<std::mutex> guard(lock);
            changed.wait(guard, [this] { return closing || !queued.empty(); });
            if (queued.empty())
                return;
            picture = queued.front();
            queued.pop_front();
        }
        // After a failure the remaining pictures are dropped, not written.
        const bool ok = !failed && sink.write(picture->data(), written++);
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
    worker.join();
    // The sink is completed even after a failed write: an encoder must be reaped either way.
    const bool completed = sink.finish();
    result = !failed && completed;
    return result;
}

} // namespace quor::capture
