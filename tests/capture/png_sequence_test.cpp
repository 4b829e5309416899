// The picture sink: the file names, and a picture that cannot be written.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "capture/png_sequence.h"

namespace {

TEST(PngSequence, APictureThatCannotBeWrittenStopsTheSequenceWithItsNameAndTheReason)
{
    const std::filesystem::path dir = ::testing::TempDir() + "capture-pictures-" + std::to_string(getpid());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);

    quor::capture::png_sequence pictures((dir / "pictures").string(), 4, 2);
    ASSERT_TRUE(pictures.check()) << pictures.error();
    const std::vector<std::uint8_t> bgra(4 * 2 * 4, 200);
    EXPECT_TRUE(pictures.write(bgra.data(), 0));
    std::filesystem::remove_all(dir / "pictures");
    EXPECT_FALSE(pictures.write(bgra.data(), 1));
    EXPECT_NE(pictures.error().find("frame_00001.png: No such file"), std::string::npos) << pictures.error();
    EXPECT_FALSE(pictures.finish());
    EXPECT_EQ(quor::capture::png_sequence::file_name(123456), "frame_123456.png");
    std::filesystem::remove_all(dir);
}

} // namespace
