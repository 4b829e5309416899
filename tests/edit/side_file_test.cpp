// The workbench's side file and the beat arithmetic behind its tempo: bars and beats, snapping,
// the grid's lines, tap tempo, markers and the jumps between times; the file written the safe way
// and read back the same, a damaged or newer one refused without being touched.
#include "edit/side_file.h"

#include <array>
#include <cmath>
#include <fstream>

#include <gtest/gtest.h>

#include "data_files.h"

namespace {

using namespace quor::edit;

std::string read_text(const std::string& path)
{
    const std::vector<char> bytes = quor::test::read_all(path);
    return {bytes.begin(), bytes.end()};
}

TEST(BeatGrid, CountsBarsAndBeatsAndSnapsToPartsOfABeat)
{
    // 128 BPM: a beat of 0.46875 s; the first beat at 0.25 s, 3 beats a bar.
    const tempo t{128, 0.25, 3};
    EXPECT_EQ(bar_beat(t, 0.25), "1:1.00");
    EXPECT_EQ(bar_beat(t, 0.25 + 0.46875 * 1.5), "1:2.50");
    EXPECT_EQ(bar_beat(t, 0.25 + 0.46875 * 3), "2:1.00");
    EXPECT_EQ(bar_beat(t, 0.25 + 0.46875 * 2.9999), "2:1.00") << "a hair before a beat reads as that beat";
    EXPECT_EQ(bar_beat(t, 0.25 - 0.46875), "0:3.00") << "the beat before the first is the last of bar 0";

    EXPECT_DOUBLE_EQ(snap(t, 1.0, 1), 0.25 + 2 * 0.46875);    // beat 1.6 -> 2
    EXPECT_DOUBLE_EQ(snap(t, 1.0, 2), 0.25 + 1.5 * 0.46875);  // 1.6 -> 1.5
    EXPECT_DOUBLE_EQ(snap(t, 1.0, 4), 0.25 + 1.5 * 0.46875);  // 1.6 -> 1.5 (1.75 is farther)
    EXPECT_DOUBLE_EQ(snap(t, 1.1, 4), 0.25 + 1.75 * 0.46875); // 1.813 -> 1.75
    EXPECT_DOUBLE_EQ(snap(t, 0.0, 1), 0.25) << "to the first beat, not before it";

    EXPECT_EQ(tempo_refusal(t), "");
    EXPECT_NE(tempo_refusal({0, 0, 4}), "");
    EXPECT_NE(tempo_refusal({NAN, 0, 4}), "");
    EXPECT_NE(tempo_refusal({120, 0, 0}), "");
    EXPECT_NE(tempo_refusal({120, 1e9, 4}), "");
}

TEST(BeatGrid, ListsBarsBeatsAndPartsWhileTheyStandFarEnoughApart)
{
    const tempo t{120, 0.1, 4}; // a beat every 0.5 s from 0.1 s
    const auto lines = grid_lines(t, 0, 2.2, 2, 0.1);
    ASSERT_EQ(lines.size(), 9u); // 0.1, 0.35, ... 2.1
    EXPECT_NEAR(lines[0].time, 0.1, 1e-12);
    EXPECT_EQ(lines[0].what, grid_line::kind::bar);
    EXPECT_EQ(lines[1].what, grid_line::kind::part);
    EXPECT_EQ(lines[2].what, grid_line::kind::beat);
    EXPECT_NEAR(lines[8].time, 2.1, 1e-12);
    EXPECT_EQ(lines[8].what, grid_line::kind::bar);
    // Halves 0.25 s apart are too close for a 0.3 s gap; beats 0.5 s apart are not.
    EXPECT_EQ(grid_lines(t, 0, 2.2, 2, 0.3).size(), 5u);
    // Beats too close: bars alone.
    const auto bars = grid_lines(t, 0, 31, 4, 1.0);
    ASSERT_EQ(bars.size(), 16u); // 0.1, 2.1, ... 30.1
    for (const grid_line& l : bars)
        EXPECT_EQ(l.what, grid_line::kind::bar);
    EXPECT_TRUE(grid_lines(t, 3, 3, 1, 0.1).empty());
}

TEST(BeatGrid, TapTempoFitsTheTapsAndStartsAgainAfterAPause)
{
    tap_tempo taps;
    // Taps on a 100 BPM beat (0.6 s) from 5.3 s, a few milliseconds early or late.
    const double wobble[] = {0.004, -0.006, 0.002, 0.005, -0.003, 0.0};
    for (int i = 0; i < 2; ++i)
        taps.tap(5.3 + 0.6 * i + wobble[i]);
    EXPECT_FALSE(taps.estimate(4)) << "two taps are no tempo yet";
    for (int i = 2; i < 6; ++i)
        taps.tap(5.3 + 0.6 * i + wobble[i]);
    auto t = taps.estimate(4);
    ASSERT_TRUE(t);
    EXPECT_NEAR(t->bpm, 100, 0.5);
    EXPECT_NEAR(t->offset, std::fmod(5.3, 0.6), 0.01) << "the first beat at or after 0 s";
    EXPECT_EQ(t->beats_per_bar, 4);
    // After a pause a new count: two taps are not enough again.
    taps.tap(20);
    taps.tap(20.5);
    EXPECT_EQ(taps.count(), 2u);
    EXPECT_FALSE(taps.estimate(4));
}

TEST(BeatGrid, NextAndPreviousTimes)
{
    const std::vector<double> times{1, 2.5, 21};
    EXPECT_EQ(next_time(times, 0), 1.0);
    EXPECT_EQ(next_time(times, 1), 2.5) << "the time stood on is no jump";
    EXPECT_EQ(next_time(times, 1.0004), 2.5);
    EXPECT_FALSE(next_time(times, 21));
    EXPECT_EQ(previous_time(times, 21), 2.5);
    EXPECT_EQ(previous_time(times, 30), 21.0);
    EXPECT_FALSE(previous_time(times, 1));
    EXPECT_FALSE(next_time({}, 0));
}

TEST(SideFile, MarkersStayInOrderWithCleanNames)
{
    workbench_settings s;
    std::string why;
    EXPECT_TRUE(s.add_marker(21, "the music changes", &why));
    EXPECT_TRUE(s.add_marker(3, "intro\x1b[31m\nend", &why));
    EXPECT_TRUE(s.add_marker(9, "   ", &why));
    ASSERT_EQ(s.markers.size(), 3u);
    EXPECT_EQ(s.markers[0], (marker{3, "intro [31m end"}));
    EXPECT_EQ(s.markers[1], (marker{9, "marker 3"}));
    EXPECT_EQ(s.markers[2].name, "the music changes");
    EXPECT_TRUE(s.add_marker(21.0005, "drop", &why));
    EXPECT_EQ(s.markers.size(), 3u) << "a marker at the same time takes the new name";
    EXPECT_EQ(s.markers[2], (marker{21, "drop"}));
    EXPECT_TRUE(s.add_marker(5, std::string(200, 'x'), &why));
    EXPECT_EQ(s.markers[1].name.size(), workbench_settings::max_name);
    EXPECT_FALSE(s.add_marker(NAN, "x", &why));
    s.remove_marker(1);
    EXPECT_EQ(s.marker_times(), (std::vector<double>{3, 9, 21}));
    s.markers.clear();
    for (std::size_t m = 0; m < workbench_settings::max_markers; ++m)
        ASSERT_TRUE(s.add_marker(static_cast<double>(m) * 0.01, "", &why));
    EXPECT_FALSE(s.add_marker(30, "one too many", &why));
    EXPECT_NE(why.find("256"), std::string::npos) << why;
}

TEST(SideFile, WrittenSafelyAndReadBackTheSame)
{
    quor::test::scratch_folder folder;
    const std::string data = folder.file("tesk.mem");
    const std::string side = side_file_path(data);
    EXPECT_EQ(side, folder.file("tesk.workbench"));
    EXPECT_EQ(side_file_path("a.b/data"), "a.b/data.workbench");
    EXPECT_EQ(side_file_path("/x/.mem"), "/x/.mem.workbench");

    workbench_settings s;
    s.beat = {127.3, 0.0123456789, 3};
    s.snap = true;
    s.division = 4;
    s.music_lane = false;
    s.curve_height = 180.5f;
    s.loop_in = 2.25;
    std::string why;
    ASSERT_TRUE(s.add_marker(21, "the music changes", &why));
    ASSERT_TRUE(s.add_marker(1.0 / 3, "a third", &why));
    workbench_settings back;
    EXPECT_EQ(load_side_file(side, back, &why), side_read::missing);
    EXPECT_EQ(back, workbench_settings{}) << "nothing there: the defaults";
    ASSERT_TRUE(save_side_file(side, s, &why)) << why;
    const std::string text = read_text(side);
    EXPECT_NE(text.find("quor-workbench 2\n"), std::string::npos) << text;
    EXPECT_NE(text.find("marker 21 the music changes\n"), std::string::npos) << text;
    EXPECT_NE(text.find("loop 2.25 -\n"), std::string::npos) << text;
    ASSERT_EQ(load_side_file(side, back, &why), side_read::read) << why;
    EXPECT_EQ(back, s) << "every number exactly as it was";
    EXPECT_EQ(std::filesystem::directory_iterator(folder.path)->path().filename(), "tesk.workbench")
        << "no temporary file left beside it";

    // Written by hand: comments, blank lines, Windows line ends and settings left out.
    workbench_settings hand;
    ASSERT_TRUE(read_settings("# mine\n\nquor-workbench 1\r\ntempo 90 0.5 4\r\nmarker 1.5 a b  c\n", hand, &why)) << why;
    EXPECT_EQ(hand.beat, (tempo{90, 0.5, 4}));
    ASSERT_EQ(hand.markers.size(), 1u);
    EXPECT_EQ(hand.markers[0].name, "a b  c");
    EXPECT_FALSE(hand.snap);
}

TEST(SideFile, TheCurveOverlayIsKeptAndAFileWithoutItStillReads)
{
    quor::test::scratch_folder folder;
    const std::string side = folder.file("tesk.workbench");
    workbench_settings s;
    s.curve_overlay[1] = true; // position y
    s.curve_overlay[5] = true; // bank
    s.curve_overlay[6] = true; // scale x
    std::string why;
    ASSERT_TRUE(save_side_file(side, s, &why)) << why;
    const std::string text = read_text(side);
    EXPECT_NE(text.find("\ncurve-overlay position.y bank scale.x\n"), std::string::npos) << text;
    workbench_settings back;
    ASSERT_EQ(load_side_file(side, back, &why), side_read::read) << why;
    EXPECT_EQ(back.curve_overlay, s.curve_overlay);

    // Every overlay turned off again stays off: written as such, not left to a default.
    back.curve_overlay = {};
    ASSERT_TRUE(save_side_file(side, back, &why)) << why;
    EXPECT_NE(read_text(side).find("\ncurve-overlay -\n"), std::string::npos) << read_text(side);
    workbench_settings off;
    off.curve_overlay.fill(true);
    ASSERT_EQ(load_side_file(side, off, &why), side_read::read) << why;
    EXPECT_EQ(off.curve_overlay, (std::array<bool, 9>{})) << "read as none, not kept from before";

    // A file of the first version, written before the overlay was kept, reads with none overlaid;
    // a hand-written line may name them in any order.
    const char* first = "quor-workbench 1\ntempo 128 0.25 4\nsnap on 4\nmusic-lane off\ncurve-height 120\n";
    workbench_settings old;
    old.curve_overlay[0] = true;
    ASSERT_TRUE(read_settings(first, old, &why)) << why;
    EXPECT_EQ(old.curve_overlay, (std::array<bool, 9>{}));
    EXPECT_EQ(old.curve_height, 120);
    EXPECT_FALSE(old.music_lane);
    ASSERT_TRUE(read_settings("quor-workbench 2\ncurve-overlay  scale.z\tposition.x \n", old, &why)) << why;
    EXPECT_EQ(old.curve_overlay, (std::array<bool, 9>{true, false, false, false, false, false, false, false, true}));
}

TEST(SideFile, ADamagedOrNewerFileIsRefusedWithItsLineAndLeftAlone)
{
    const std::pair<const char*, const char*> bad[] = {
        {"", "empty"},
        {"tempo 120 0 4\n", "no workbench file"},
        {"quor-workbench 3\n", "version 3"},
        {"quor-workbench 0\n", "version 0"},
        {"quor-workbench 1\ntempo 120 0\n", "line 2: tempo wants"},
        {"quor-workbench 1\ntempo 1000 0 4\n", "line 2: the tempo must be"},
        {"quor-workbench 1\n\nsnap on 3\n", "line 3: snap"},
        {"quor-workbench 1\nsnap maybe 1\n", "line 2: snap"},
        {"quor-workbench 1\ncurve-height 5\n", "line 2: curve-height"},
        {"quor-workbench 1\nloop 1 x\n", "line 2: loop"},
        {"quor-workbench 2\ncurve-overlay position.w\n", "line 2: curve-overlay"},
        {"quor-workbench 2\ncurve-overlay position y\n", "line 2: curve-overlay"},
        {"quor-workbench 2\ncurve-overlay yaw yaw\n", "line 2: curve-overlay"},
        {"quor-workbench 2\ncurve-overlay\n", "line 2: curve-overlay"},
        {"quor-workbench 2\ncurve-overlay - yaw\n", "line 2: curve-overlay"},
        {"quor-workbench 1\nloop 1 2 3\n", "line 2: loop"},
        {"quor-workbench 1\nmarker nan x\n", "line 2: marker wants"},
        {"quor-workbench 1\nmarker 2 a\nmarker 2 b\n", "line 3: two markers"},
        {"quor-workbench 1\ncolour\x1b[2J red\n", "line 2: unknown setting \"colour\\x1b[2J\""},
        {"quor-workbench 1\ntempo 120 0 4 extra\n", "line 2"},
    };
    for (const auto& [text, message] : bad) {
        workbench_settings s;
        s.snap = true;
        std::string why;
        EXPECT_FALSE(read_settings(text, s, &why)) << text;
        EXPECT_NE(why.find(message), std::string::npos) << text << " -> " << why;
        EXPECT_TRUE(s.snap) << "nothing changed on a refusal: " << text;
    }

    quor::test::scratch_folder folder;
    const std::string side = folder.file("tesk.workbench");
    std::ofstream(side) << "quor-workbench 9\n";
    workbench_settings s;
    std::string why;
    EXPECT_EQ(load_side_file(side, s, &why), side_read::refused);
    EXPECT_NE(why.find(side), std::string::npos) << why;
    EXPECT_NE(why.find("version 9"), std::string::npos) << why;
    EXPECT_EQ(load_side_file(folder.path.string(), s, &why), side_read::refused) << "a folder is no side file";
}

} // namespace
