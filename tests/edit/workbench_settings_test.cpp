// The workbench's settings beside its data file: read at the start (loop marks given back to the
// transport), written after the frame that changed them, to a copy's side file after Save as, and
// a side file that does not read is reported and never written over.
#include "edit/workbench.h"

#include <fstream>

#include <gtest/gtest.h>

#include "app/system.h"
#include "data_files.h"
#include "gl_recorder.h"
#include "manual_counter.h"

namespace {

using namespace quor;
using namespace quor::edit;
using namespace quor::test;

std::string text_of(const std::string& path)
{
    const std::vector<char> bytes = quor::test::read_all(path);
    return {bytes.begin(), bytes.end()};
}

class WorkbenchSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        params.width = 64;
        params.height = 64;
        system::create_engine(params);
        path = folder.file("tesk.mem");
        write_file(path, scene_section());
        std::size_t size = 0;
        auto block = file_block(scene_section(), size);
        demo = std::make_unique<demo::Demo>(ticks);
        ASSERT_TRUE(demo->scene.build(std::move(block), size));
        demo->clock.start();
    }
    void TearDown() override
    {
        demo.reset();
        system::shutdown();
    }

    // The scene's textures go to the recorder, no GL needed.
    quor::test::gl_recorder rec;
    system::creation_params params;
    manual_counter ticks;
    scratch_folder folder;
    std::string path;
    std::unique_ptr<demo::Demo> demo;
};

TEST_F(WorkbenchSettings, WrittenAfterTheFrameThatChangedThemAndReadByTheNextWorkbench)
{
    const std::string side = folder.file("tesk.workbench");
    {
        workbench bench(*demo, path, ticks);
        bench.after_frame();
        EXPECT_FALSE(std::filesystem::exists(side)) << "nothing changed, nothing written";
        bench.settings().change().beat = {140, 0.2, 4};
        std::string why;
        ASSERT_TRUE(bench.settings().change().add_marker(21, "the music changes", &why));
        bench.player().seek(4);
        bench.player().mark_in();
        bench.after_frame();
        EXPECT_FALSE(bench.status_failed()) << bench.status();
    }
    EXPECT_NE(text_of(side).find("tempo 140 0.2 4\n"), std::string::npos) << text_of(side);
    EXPECT_NE(text_of(side).find("loop 4 -\n"), std::string::npos) << text_of(side);

    workbench again(*demo, path, ticks);
    EXPECT_EQ(again.settings().get().beat, (tempo{140, 0.2, 4}));
    ASSERT_EQ(again.settings().get().markers.size(), 1u);
    EXPECT_EQ(again.settings().get().markers[0].name, "the music changes");
    EXPECT_EQ(again.player().in_mark(), 4.0) << "the loop mark is given back";

    const std::string copy = folder.file("copy.mem");
    ASSERT_TRUE(again.save_as(copy)) << again.status();
    again.after_frame();
    EXPECT_EQ(text_of(folder.file("copy.workbench")), text_of(side)) << "the copy has the settings too";
}

TEST_F(WorkbenchSettings, ASideFileThatDoesNotReadIsReportedAndNeverWrittenOver)
{
    const std::string side = folder.file("tesk.workbench");
    const std::string newer = "quor-workbench 3\nsomething new\n";
    std::ofstream(side, std::ios::binary) << newer;
    workbench bench(*demo, path, ticks);
    EXPECT_TRUE(bench.status_failed());
    EXPECT_NE(bench.status().find("version 3"), std::string::npos) << bench.status();
    EXPECT_EQ(bench.settings().get(), workbench_settings{});

    bench.settings().change().snap = true;
    bench.after_frame();
    EXPECT_TRUE(bench.status_failed());
    EXPECT_NE(bench.status().find("settings not saved"), std::string::npos) << bench.status();
    EXPECT_EQ(text_of(side), newer);

    // Removed by the author: the next change is written.
    std::filesystem::remove(side);
    bench.settings().change().division = 2;
    bench.after_frame();
    workbench_settings back;
    EXPECT_EQ(load_side_file(side, back, nullptr), side_read::read);
    EXPECT_TRUE(back.snap);
    EXPECT_EQ(back.division, 2);
}

} // namespace
