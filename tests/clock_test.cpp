// The show clock and the frame log: values derived from ticks, smoothing,
// the log line's exact format, and elapsed time across the tick counter's
// limits; and the frame loop's own pacing where the display does not wait.
#include "show/clock.h"
#include "show/pacing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

namespace {

std::string log_line(const FrameClock& frame)
{
    char line[64];
    format_log_line(line, sizeof line, frame);
    return line;
}

TEST(FrameLog, FieldsAreRightAlignedToWidthFive)
{
    FrameClock frame{};
    frame.frame_ms = 16;
    frame.smoothed_ms = 0.8;
    EXPECT_EQ(log_line(frame), "   16  0.80 1250.00\n");
    frame.frame_ms = 123456;
    frame.smoothed_ms = 16.666;
    EXPECT_EQ(log_line(frame), "123456 16.67 60.00\n");
}

TEST(FrameLog, InfinityWhileTheSmoothedTimeIsZero)
{
    ShowClock clock = clock_start(5000);
    const FrameClock first = clock_advance(clock, 5000);
    EXPECT_EQ(first.smoothed_ms, 0.0);
    EXPECT_EQ(log_line(first), "    0  0.00   inf\n");
}

TEST(ShowClockTest, FirstFrameReportsTheTimeSinceTheOrigin)
{
    ShowClock clock = clock_start(1000);
    const FrameClock first = clock_advance(clock, 1040);
    EXPECT_EQ(first.frame_ms, 40);
    EXPECT_EQ(first.elapsed_ms, 40);
    EXPECT_DOUBLE_EQ(first.smoothed_ms, 2.0);
    const FrameClock second = clock_advance(clock, 1050);
    EXPECT_EQ(second.frame_ms, 10);
    EXPECT_EQ(second.elapsed_ms, 50);
    EXPECT_DOUBLE_EQ(second.smoothed_ms, 2.0 * 0.95 + 10 * 0.05);
}

TEST(ShowClockTest, PhaseAndBeatAtTwoMinutes)
{
    const FrameClock frame = clock_at(120000);
    EXPECT_DOUBLE_EQ(frame.beat, 240.0);
    EXPECT_NEAR(frame.phase, 15 * M_PI, 1e-9);
}

TEST(ShowClockTest, RecomputedFromElapsedTimeNotAccumulated)
{
    ShowClock clock = clock_start(0);
    FrameClock frame{};
    for (std::uint32_t t = 1; t <= 100000; t += 7)
        frame = clock_advance(clock, t);
    EXPECT_EQ(frame.beat, clock_at(frame.elapsed_ms).beat);
    EXPECT_EQ(frame.phase, clock_at(frame.elapsed_ms).phase);
}

TEST(ShowClockTest, ElapsedTimeKeepsGrowingPastTwoToThe31And32)
{
    ShowClock clock = clock_start(123);
    std::uint32_t tick = 123;
    std::int64_t expected = 0;
    // Frames a quarter of the counter apart: the counter wraps several times.
    for (int i = 0; i < 20; ++i) {
        tick += 1u << 30;
        expected += std::int64_t(1) << 30;
        const FrameClock frame = clock_advance(clock, tick);
        ASSERT_EQ(frame.elapsed_ms, expected);
        ASSERT_GT(frame.beat, 0.0);
        ASSERT_TRUE(std::isfinite(frame.phase));
    }
    EXPECT_GT(expected, std::int64_t(1) << 32);
}

// Runs a frame loop whose frames take work_ms to draw and present (the
// display waiting or not) for ms milliseconds from tick start, waiting as the
// pacer says; returns how many frames started in the last second.
int frames_in_last_second(Pacer& pacer, std::uint32_t start, std::uint32_t work_ms, std::uint32_t ms)
{
    int last_second = 0;
    for (std::uint32_t now = start; now - start < ms;) {
        if (now - start >= ms - 1000) ++last_second;
        now += work_ms;
        now += pacer_wait_ms(pacer, now);
    }
    return last_second;
}

TEST(Pacing, FramesFarFasterThanTheRefreshArePacedToIt)
{
    // Across the tick counter's wrap too: the pacer counts in differences.
    for (const std::uint32_t start : {0u, 0xFFFFF000u}) {
        for (const int hz : {60, 75, 144}) {
            Pacer pacer = pacer_start(hz);
            const int frames = frames_in_last_second(pacer, start, 1, 5000);
            EXPECT_TRUE(pacer.engaged) << hz << " Hz";
            EXPECT_NEAR(frames, hz, 1) << hz << " Hz from tick " << start;
        }
    }
    // Twice the refresh rate is far enough above it.
    Pacer pacer = pacer_start(60);
    EXPECT_NEAR(frames_in_last_second(pacer, 0, 8, 5000), 60, 1);
}

TEST(Pacing, FramesTheDisplayPacesOrSlowFramesAreLeftAlone)
{
    // A display waiting 16-17 ms at each flip, and a machine too slow for
    // the refresh: never engaged, never a wait.
    for (const std::uint32_t work : {16u, 17u, 40u}) {
        Pacer pacer = pacer_start(60);
        const int frames = frames_in_last_second(pacer, 0, work, 5000);
        EXPECT_FALSE(pacer.engaged) << work << " ms frames";
        EXPECT_NEAR(frames, 1000 / int(work), 1) << work << " ms frames";
    }
    // Off (the classic library, or vsync turned off): unpaced.
    Pacer off = pacer_start(0);
    EXPECT_EQ(frames_in_last_second(off, 0, 1, 5000), 1000);
}

TEST(Pacing, ALateFrameDoesNotRushTheNextOnes)
{
    Pacer pacer = pacer_start(60);
    std::uint32_t now = 0;
    for (; !pacer.engaged; ++now) pacer_wait_ms(pacer, now);
    // One frame stalls for half a second; the frames after it wait for whole
    // refreshes again instead of running unpaced to catch up.
    now += 500;
    EXPECT_EQ(pacer_wait_ms(pacer, now), 0u);
    now += 1;
    const std::uint32_t wait = pacer_wait_ms(pacer, now);
    EXPECT_GE(wait, 14u);
    EXPECT_LE(wait, 17u);
}

}  // namespace

