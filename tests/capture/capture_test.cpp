// The capture whole: its pictures against the demo's own at the same demo time, with and without
// multisampling.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "app/offscreen_context.h"
#include "app/system.h"
#include "capture/png_sequence.h"
#include "demo/demo.h"

namespace {

namespace system = quor::system;

// A folder with tesk.mem and demo.mp3 from this build's quor-mem, made on first use.
std::string data_folder()
{
    const std::string dir = std::string(QUOR_BIN_DIR) + "/../capture-test-data";
    if (!std::filesystem::exists(dir + "/tesk.mem")) {
        std::filesystem::create_directories(dir);
        const std::string command = std::string(QUOR_BIN_DIR) + "/quor-mem build --out " + dir + " >/dev/null";
        if (std::system(command.c_str()) != 0)
            return {};
    }
    return dir;
}

bool read_png(const std::string& path, std::vector<std::uint8_t>& rgb, int& width, int& height)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_RGB;
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    rgb.resize(PNG_IMAGE_SIZE(image));
    // Bottom-up, as OpenGL reads pictures.
    return png_image_finish_read(&image, nullptr, rgb.data(), -width * 3, nullptr) != 0;
}

// Runs quor-capture over the test data into a fresh folder of PNGs; the folder, or empty.
std::string capture_pngs(const std::string& name, const std::string& arguments)
{
    const std::string data = data_folder();
    if (data.empty())
        return {};
    const std::string out = ::testing::TempDir() + name + "-" + std::to_string(getpid());
    std::filesystem::remove_all(out);
    const std::string command = std::string(QUOR_BIN_DIR) + "/quor-capture --data " + data + " --frames " + out +
                                " " + arguments + " 2>/dev/null";
    return std::system(command.c_str()) == 0 ? out : std::string();
}

TEST(CapturedPictures, ATwoSecondCaptureMatchesTheDemoAtTheSameDemoTimes)
{
    constexpr int w = 192, h = 108, fps = 15;
    const std::string out = capture_pngs("capture-frames", "--size 192x108 --fps 15 --from 21 --to 23 --msaa 1");
    ASSERT_FALSE(out.empty()) << "quor-capture failed";
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(out))
        files += entry.path().extension() == ".png";
    EXPECT_EQ(files, 30u);
    EXPECT_TRUE(std::filesystem::exists(out + "/audio.wav")) << "the music of the same stretch beside them";

    // The demo itself, in this process, driven through the frame to the same demo times.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const auto here = std::filesystem::current_path();
    std::filesystem::current_path(data_folder());
    system::offscreen_context context(w, h);
    ASSERT_TRUE(context.ok());
    system::creation_params params;
    system::create_engine(params);
    system::reshape(w, h);
    system::create_application(quor::demo::make_demo, &params);
    std::filesystem::current_path(here);

    for (std::uint64_t index : {0, 1, 17, 29}) {
        SCOPED_TRACE(index);
        static_cast<quor::demo::Demo*>(system::current_application())->show_time(21.0 + index / double(fps));
        ASSERT_TRUE(system::display());
        std::vector<std::uint8_t> live = context.read_pixels();

        std::vector<std::uint8_t> captured;
        int pw = 0, ph = 0;
        ASSERT_TRUE(read_png(out + "/" + quor::capture::png_sequence::file_name(index), captured, pw, ph));
        ASSERT_EQ(pw, w);
        ASSERT_EQ(ph, h);
        int differing = 0, lit = 0;
        for (std::size_t p = 0; p < static_cast<std::size_t>(w) * h; ++p) {
            for (int c = 0; c < 3; ++c) {
                const int a = live[4 * p + c], b = captured[3 * p + c];
                differing += std::abs(a - b) > 2;
                lit += b > 16;
            }
        }
        EXPECT_LE(differing, w * h * 3 / 1000) << "channels differing by more than 2";
        EXPECT_GT(lit, 100) << "the picture is not blank";
    }
    system::shutdown();
    std::filesystem::remove_all(out);
}

TEST(CapturedPictures, MultisamplingChangesOnlyPixelsAlongEdges)
{
    const std::string stretch = "--size 320x180 --from 26 --to 26.01";
    const std::string one = capture_pngs("msaa1", stretch + " --msaa 1");
    const std::string four = capture_pngs("msaa4", stretch); // 4 samples by default
    ASSERT_FALSE(one.empty() || four.empty()) << "quor-capture failed";
    std::vector<std::uint8_t> a, b;
    int w = 0, h = 0;
    ASSERT_TRUE(read_png(one + "/frame_00000.png", a, w, h));
    ASSERT_TRUE(read_png(four + "/frame_00000.png", b, w, h));
    auto at = [w](const std::vector<std::uint8_t>& p, int x, int y, int c) { return int(p[3 * (y * w + x) + c]); };
    // An edge: a neighbour that differs clearly in either picture (a strand thinner than a pixel
    // may show in one of them only).
    auto on_edge = [&](int x, int y) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                for (int c = 0; c < 3; ++c)
                    for (const auto* p : {&a, &b})
                        if (x + dx >= 0 && x + dx < w && y + dy >= 0 && y + dy < h &&
                            std::abs(at(*p, x + dx, y + dy, c) - at(*p, x, y, c)) > 12)
                            return true;
        return false;
    };
    int changed = 0, off_edges = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int most = 0;
            for (int c = 0; c < 3; ++c)
                most = std::max(most, std::abs(at(a, x, y, c) - at(b, x, y, c)));
            if (most > 6) {
                ++changed;
                off_edges += !on_edge(x, y);
            }
        }
    }
    EXPECT_GT(changed, w * h / 200) << "edges are smoothed";
    EXPECT_EQ(off_edges, 0) << "of " << changed << " changed pixels";
    std::filesystem::remove_all(one);
    std::filesystem::remove_all(four);
}

} // namespace
