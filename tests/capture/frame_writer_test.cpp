// The capture's writer threads: every picture in order, each its own number, a failure stops it.
#include <gtest/gtest.h>

#include <limits>
#include <mutex>
#include <thread>

#include "capture/frame_writer.h"

namespace {

constexpr std::uint64_t no_end = std::numeric_limits<std::uint64_t>::max();

// A sink that keeps what it is given (by picture number) and can be told to fail.
struct kept_frames final : quor::capture::frame_sink {
    explicit kept_frames(unsigned writers = 1) : writers(writers) {}
    bool check() override { return true; }
    bool open() override { return true; }
    unsigned parallel_writes() const override { return writers; }
    bool write(const std::uint8_t* rgb, std::uint64_t index) override
    {
        if (index == fail_at)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(index % 3 * 200));
        std::lock_guard<std::mutex> guard(lock);
        values.push_back(rgb[0]);
        indices.push_back(index);
        return true;
    }
    bool finish() override
    {
        ++finished;
        return true;
    }
    std::string error() const override { return "failed"; }
    std::vector<int> values;
    std::vector<std::uint64_t> indices;
    unsigned writers;
    std::mutex lock;
    std::uint64_t fail_at = no_end;
    int finished = 0;
};

void submit_numbered(quor::capture::frame_writer& writer, int count)
{
    for (int i = 0; i < count; ++i) {
        auto* b = writer.acquire();
        ASSERT_NE(b, nullptr);
        ASSERT_EQ(b->size(), 16u);
        (*b)[0] = static_cast<std::uint8_t>(i);
        writer.submit(b);
    }
}

TEST(FrameWriter, WritesEveryPictureInOrderWhileBuffersCirculate)
{
    kept_frames sink;
    {
        quor::capture::frame_writer writer(sink, 16);
        submit_numbered(writer, 50);
        EXPECT_TRUE(writer.finish());
        EXPECT_TRUE(writer.finish()) << "a second finish repeats the result";
    }
    ASSERT_EQ(sink.values.size(), 50u);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(sink.values[i], i);
        EXPECT_EQ(sink.indices[i], static_cast<std::uint64_t>(i));
    }
    EXPECT_EQ(sink.finished, 1) << "the destructor does not finish again";
}

TEST(FrameWriter, ParallelWritersGiveEachPictureItsOwnNumber)
{
    kept_frames sink(3);
    quor::capture::frame_writer writer(sink, 16);
    submit_numbered(writer, 60);
    EXPECT_TRUE(writer.finish());
    ASSERT_EQ(sink.values.size(), 60u);
    std::vector<int> by_number(60, -1);
    for (std::size_t i = 0; i < sink.indices.size(); ++i)
        by_number.at(sink.indices[i]) = sink.values[i];
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(by_number[i], i) << "picture " << i;
}

TEST(FrameWriter, AFailedWriteStopsTheCaptureAndIsReported)
{
    kept_frames sink;
    sink.fail_at = 3;
    quor::capture::frame_writer writer(sink, 16);
    int submitted = 0;
    while (auto* b = writer.acquire()) {
        writer.submit(b);
        ASSERT_LT(++submitted, 1000) << "acquire keeps handing out buffers after the failure";
    }
    EXPECT_FALSE(writer.finish());
    EXPECT_EQ(sink.values.size(), 3u) << "nothing is written after the failure";
    EXPECT_EQ(sink.finished, 1) << "the output is still completed (the encoder reaped)";
}

} // namespace
