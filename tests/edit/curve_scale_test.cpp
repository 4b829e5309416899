// The curve view's scale against numbers worked out by hand: the plot of the workbench's window
// tests (404 pixels for 31 s, 90 high), zoom about a point, pan at the timeline's ends, framing
// and the rulers' ticks.
#include "edit/curve_scale.h"

#include <cmath>

#include <gtest/gtest.h>

namespace quor::edit {
namespace {

const plot_area plot{868, 218, 404, 90};

void expect_times(const time_range& r, double from, double to)
{
    EXPECT_NEAR(r.from, from, 1e-9);
    EXPECT_NEAR(r.to, to, 1e-9);
}

TEST(CurveScale, MapsTimeAndValueToPixelsAndBack)
{
    const curve_scale s{{0, 31}, {-6.25, 10.4}};
    EXPECT_FLOAT_EQ(s.x_of(plot, 0), 868);
    EXPECT_FLOAT_EQ(s.x_of(plot, 2), 868 + 2 * 404 / 31.0f);
    EXPECT_FLOAT_EQ(s.x_of(plot, 31), 1272);
    // The range's foot and top stand 4 pixels inside the plot.
    EXPECT_FLOAT_EQ(s.y_of(plot, -6.25), 304);
    EXPECT_FLOAT_EQ(s.y_of(plot, 10.4), 222);
    EXPECT_NEAR(s.time_at(plot, 1070), 202 * 31 / 404.0, 1e-6);
    EXPECT_NEAR(s.value_at(plot, 263), -6.25 + 16.65 / 2, 1e-5);
    EXPECT_NEAR(s.seconds_per_pixel(plot), 31 / 404.0, 1e-12);
    EXPECT_NEAR(s.values_per_pixel(plot), 16.65 / 82, 1e-12);
    // Zoomed to 1.75 - 2.25 s: 2 s in the middle.
    const curve_scale close{{1.75, 2.25}, {-1, 1}};
    EXPECT_FLOAT_EQ(close.x_of(plot, 2), 1070);
    EXPECT_FLOAT_EQ(close.y_of(plot, 0), 263);
}

TEST(CurveScale, ZoomKeepsThePointUnderThePointerAndTheTimeInTheTimeline)
{
    EXPECT_NEAR(wheel_factor(1), 0.8, 1e-12);
    EXPECT_NEAR(wheel_factor(-2), 1.5625, 1e-12);
    EXPECT_NEAR(wheel_factor(1) * wheel_factor(-1), 1, 1e-12);
    // Half the span about 2 s: 2 s was 2/31 into it, and stays so.
    expect_times(zoom_time({0, 31}, 0.5, 2, 31), 1, 16.5);
    // Near the end: 30.9 s stays where it was, the stretch ends inside the timeline.
    expect_times(zoom_time({0, 31}, 0.5, 30.9, 31), 15.45, 30.95);
    // Out past the whole timeline: all of it, never more.
    expect_times(zoom_time({1, 16.5}, 4, 10, 31), 0, 31);
    // Out about a point near the start: the stretch is moved into the timeline, its span kept.
    expect_times(zoom_time({0.5, 2.5}, 2, 1.5, 31), 0, 4);
    // In as close as 0.05 s, no closer: 2 s keeps its share (1/15.5) of the span.
    expect_times(zoom_time({1, 16.5}, 1e-6, 2, 31), 2 - 0.05 / 15.5, 2 + 0.05 * 14.5 / 15.5);
    // Values about 0, a quarter up the range.
    const value_range v = zoom_values({-1, 3}, 0.5, 0);
    EXPECT_DOUBLE_EQ(v.lo, -0.5);
    EXPECT_DOUBLE_EQ(v.hi, 1.5);
    const value_range tight = zoom_values({-1, 3}, 1e-12, 1);
    EXPECT_NEAR(tight.hi - tight.lo, curve_scale::min_value_span, 1e-15);
    const value_range wide = zoom_values({-1, 3}, 1e12, 1);
    EXPECT_NEAR(wide.hi - wide.lo, curve_scale::max_value_span, 1);
}

TEST(CurveScale, PanStopsAtTheTimelinesEndsButNotInValue)
{
    expect_times(pan_time({1, 16.5}, 2, 31), 3, 18.5);
    expect_times(pan_time({1, 16.5}, 20, 31), 15.5, 31);
    expect_times(pan_time({1, 16.5}, -5, 31), 0, 15.5);
    expect_times(pan_time({0, 31}, 3, 31), 0, 31);
    const value_range v = pan_values({-1, 3}, -10);
    EXPECT_DOUBLE_EQ(v.lo, -11);
    EXPECT_DOUBLE_EQ(v.hi, -7);
}

TEST(CurveScale, FramingAChannelOrTheSelectedKeys)
{
    // A whole channel: lowest to highest, what is not a number left out; flat opens by one.
    EXPECT_EQ(range_of({2, NAN, -3, 5, INFINITY}), (value_range{-3, 5}));
    EXPECT_EQ(range_of({4, 4}), (value_range{3, 5}));
    EXPECT_EQ(range_of({}), (value_range{-1, 1}));
    // Keys at 5, 5.5 and 6 s: 1 s with a tenth either side.
    expect_times(framed_times({5.5, 5, 6}, 31), 4.9, 6.1);
    // One key: half a second about it.
    expect_times(framed_times({2}, 31), 1.75, 2.25);
    // Near the start: moved inside the timeline.
    expect_times(framed_times({0.1}, 31), 0, 0.5);
    // Keys across all of it, or none: the whole timeline.
    expect_times(framed_times({0, 31}, 31), 0, 31);
    expect_times(framed_times({}, 31), 0, 31);
}

TEST(CurveScale, RulerTicksInSecondsValuesAndBars)
{
    // 31 s on 404 pixels, 40 apart at least: 3.07 s, so every 5 s.
    EXPECT_DOUBLE_EQ(tick_step(31, 404, 40), 5);
    EXPECT_DOUBLE_EQ(tick_step(1, 400, 50), 0.2);
    EXPECT_NEAR(tick_step(0.5, 400, 60), 0.1, 1e-12);
    EXPECT_NEAR(tick_step(16.65, 82, 20), 5, 1e-12);
    EXPECT_NEAR(tick_step(2, 100, 50), 1, 1e-12);
    const std::vector<double> seconds = ticks(0, 31, 5);
    EXPECT_EQ(seconds, (std::vector<double>{0, 5, 10, 15, 20, 25, 30}));
    const std::vector<double> tenths = ticks(1.75, 2.25, 0.1);
    ASSERT_EQ(tenths.size(), 5u);
    EXPECT_NEAR(tenths.front(), 1.8, 1e-12);
    EXPECT_NEAR(tenths.back(), 2.2, 1e-12);
    EXPECT_EQ(ticks(-6.25, 10.4, 5), (std::vector<double>{-5, 0, 5, 10}));
    EXPECT_TRUE(ticks(0, 1, 0).empty());
    EXPECT_EQ(tick_decimals(5), 0);
    EXPECT_EQ(tick_decimals(1), 0);
    EXPECT_EQ(tick_decimals(0.5), 1);
    EXPECT_EQ(tick_decimals(0.2), 1);
    EXPECT_EQ(tick_decimals(0.05), 2);

    // 120 BPM, 4 beats a bar from 0.25 s: a bar every 2 s, bar 1 at 0.25 s.
    const tempo t{120, 0.25, 4};
    const auto bars = [](const std::vector<bar_tick>& ticks) {
        std::vector<std::pair<double, int>> out;
        for (const bar_tick& b : ticks)
            out.emplace_back(b.time, b.bar);
        return out;
    };
    using list = std::vector<std::pair<double, int>>;
    EXPECT_EQ(bars(bar_ticks(t, 0, 9, 1)), (list{{0.25, 1}, {2.25, 2}, {4.25, 3}, {6.25, 4}, {8.25, 5}}));
    // 3 s apart at least: every second bar, counted from bar 1.
    EXPECT_EQ(bars(bar_ticks(t, 0, 9, 3)), (list{{0.25, 1}, {4.25, 3}, {8.25, 5}}));
    EXPECT_EQ(bars(bar_ticks(t, 3, 9, 3)), (list{{4.25, 3}, {8.25, 5}}));
    // Before the first beat the bars count 0, -1, ...
    EXPECT_EQ(bars(bar_ticks(t, -5, 1, 3)), (list{{-3.75, -1}, {0.25, 1}}));
    EXPECT_EQ(bars(bar_ticks(t, 0, 9, 7)), (list{{0.25, 1}, {8.25, 5}}));
}

} // namespace
} // namespace quor::edit
