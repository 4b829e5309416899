// Screenshots on Mesa: the PNG holds the frame's pixels upright, its name sorts by time, and an
// unwritable folder costs one line and no file.
#include <gtest/gtest.h>

#include <png.h>

#include <filesystem>

#include "app/render_device.h"
#include "app/screenshot.h"
#include "app/system.h"
#include "cerr_capture.h"
#include "gl/api.h"
#include "mesa_context.h"

namespace {

namespace sys = quor::system;
namespace fs = std::filesystem;

class Screenshot : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(quor::test::mesa_context(), nullptr) << "no offscreen OpenGL context";
        sys::create_engine(params);
        sys::reshape(quor::test::mesa_width, quor::test::mesa_height);
        folder = fs::temp_directory_path() / ("quor-shot-" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override
    {
        sys::shutdown();
        fs::remove_all(folder);
    }
    sys::creation_params params;
    fs::path folder;
};

TEST_F(Screenshot, FileHoldsTheFrameUpright)
{
    using quor::gl::api;
    // Red lower half, blue upper half: a PNG written bottom row first would show them swapped.
    api.Disable(GL_SCISSOR_TEST);
    api.ClearColor(0, 0, 1, 1);
    api.Clear(GL_COLOR_BUFFER_BIT);
    api.Enable(GL_SCISSOR_TEST);
    glScissor(0, 0, quor::test::mesa_width, quor::test::mesa_height / 2);
    api.ClearColor(1, 0, 0, 1);
    api.Clear(GL_COLOR_BUFFER_BIT);
    api.Disable(GL_SCISSOR_TEST);
    api.ClearColor(0, 0, 0, 0);

    const std::string path = sys::save_screenshot(folder.string());
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(fs::path(path).parent_path(), folder);

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path.c_str()));
    image.format = PNG_FORMAT_RGBA;
    ASSERT_EQ(image.width, static_cast<unsigned>(quor::test::mesa_width));
    ASSERT_EQ(image.height, static_cast<unsigned>(quor::test::mesa_height));
    std::vector<std::uint8_t> file(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, file.data(), 0, nullptr));
    const std::vector<std::uint8_t> frame =
        sys::render_device().read_pixels(quor::test::mesa_width, quor::test::mesa_height);
    const std::size_t row = 4 * quor::test::mesa_width;
    for (int y = 0; y < quor::test::mesa_height; ++y)
        ASSERT_TRUE(std::equal(frame.begin() + y * row, frame.begin() + (y + 1) * row,
                               file.begin() + (quor::test::mesa_height - 1 - y) * row))
            << "row " << y;
    EXPECT_EQ(file[0], 0);   // top left: blue
    EXPECT_EQ(file[2], 255);
    EXPECT_EQ(file[file.size() - 4], 255); // bottom right: red
}

TEST_F(Screenshot, NamesSortByTimeAndUnwritableFoldersLeaveNothing)
{
    using namespace std::chrono;
    const system_clock::time_point t = system_clock::now();
    const std::string a = sys::screenshot_name(t);
    const std::string b = sys::screenshot_name(t + milliseconds(1));
    const std::string c = sys::screenshot_name(t + hours(24 * 400));
    EXPECT_EQ(a.rfind("quor-", 0), 0u);
    EXPECT_EQ(a.size(), std::string("quor-20261207-113512-123.png").size()) << a;
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);

    quor::test::cerr_capture err;
    EXPECT_EQ(sys::save_screenshot((folder / "missing").string()), "");
    const std::string said = err.str();
    EXPECT_NE(said.find("missing/quor-"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);
    EXPECT_TRUE(fs::is_empty(folder));
}

} // namespace
