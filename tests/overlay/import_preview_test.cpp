// The import's simplification shown before Import: what it would do for a per-frame export,
// worked out again when the tolerance or the file changes, nothing applied until Import, which
// then applies what was shown as one undo step.
#include "overlay/import_preview.h"

#include <cmath>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <unistd.h>

#include "overlay_fixture.h"
#include "per_frame_gltf.h"

namespace {

using namespace quor;
using test::Overlay;

// A camera swaying along x over the timeline, a key a frame at 24 fps; `reach` the sway's size.
void write_shot(const std::string& path, double reach)
{
    std::ofstream(path + ".part") << test::per_frame_camera_gltf(
        24, 31, [reach](double t) { return std::array<double, 3>{reach * std::sin(t / 2), 1, 0}; },
        [](double) { return 0.0; });
    std::filesystem::rename(path + ".part", path);
}

TEST_F(Overlay, ThePreviewSaysWhatImportWillDoAndImportDoesIt)
{
    const std::string folder = testing::TempDir() + "quor_preview_" + std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/shot.gltf";
    write_shot(path, 2);
    const auto camera_x = [&] { return bench->document().channel({2, 0}); };
    // The camera's x as it stands: its key count and its curve every tenth of a second.
    const auto state = [&] {
        std::vector<float> out{static_cast<float>(camera_x().keys.size())};
        for (int i = 0; i <= 310; ++i)
            out.push_back(bench->document().value_at({2, 0}, i / 10.0));
        return out;
    };
    const std::vector<float> before = state();

    overlay::import_preview preview;
    overlay::import_request request{path, {interchange::motion_source::kind::gltf_node, "Camera"}, 2, 0, {}};
    interchange::simplify_tolerance tolerance;
    const std::string fine = preview.line(request, tolerance);
    EXPECT_FALSE(preview.failed());
    EXPECT_EQ(fine.rfind("simplified keys 745 -> ", 0), 0u) << fine;
    EXPECT_EQ(state(), before) << "a preview changes nothing";

    tolerance.distance = 0.1f;
    const std::string coarse = preview.line(request, tolerance);
    EXPECT_NE(coarse, fine);
    const auto kept = [](const std::string& line) { return std::stoul(line.substr(line.find("-> ") + 3)); };
    EXPECT_LT(kept(coarse), kept(fine));

    write_shot(path, 4); // the exporter writes again: a bigger sway needs more keys
    EXPECT_GT(kept(preview.line(request, tolerance)), kept(coarse));

    tolerance.degrees = 0;
    EXPECT_NE(preview.line(request, tolerance).find("degrees is not a number above 0"), std::string::npos);
    EXPECT_TRUE(preview.failed());
    tolerance.degrees = 0.1f;
    const std::string shown = preview.line(request, tolerance);
    overlay::import_request missing = request;
    missing.path = folder + "/gone.gltf";
    EXPECT_NE(preview.line(missing, tolerance).find("gone.gltf"), std::string::npos);
    EXPECT_TRUE(preview.failed());

    request.simplify = tolerance;
    overlay::import_watch watch;
    ASSERT_TRUE(watch.start(*bench, request, false)) << bench->status();
    EXPECT_EQ(camera_x().keys.size(), kept(shown));
    EXPECT_NE(bench->status().find("; " + shown), std::string::npos) << bench->status();
    for (double t = 0.01; t < 31; t += 0.01)
        ASSERT_NEAR(bench->document().value_at({2, 0}, t), 4 * std::sin(t / 2), 0.1 * 1.0001 + 1e-3) << t;
    ASSERT_TRUE(bench->undo().ok);
    EXPECT_EQ(state(), before) << "one undo step";
    std::filesystem::remove_all(folder);
}

} // namespace
