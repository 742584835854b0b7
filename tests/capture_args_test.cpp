// The capture tool's command line and frame timing: which moments a capture
// draws, and which arguments it refuses.
#include "args.h"
#include "capture.h"
#include "progress.h"
#include "timing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool parse(const std::vector<const char*>& args, CaptureArgs& out, std::string& why)
{
    std::vector<const char*> argv{"quorvex-capture"};
    argv.insert(argv.end(), args.begin(), args.end());
    return parse_capture_args(static_cast<int>(argv.size()), argv.data(), out, why);
}

TEST(CaptureArgs, DefaultsEveryOptionInAnyOrderAndTheLimits)
{
    CaptureArgs out;
    std::string why;
    ASSERT_TRUE(parse({}, out, why)) << why;
    EXPECT_EQ(out.from_ms, 0);
    EXPECT_EQ(out.to_ms, -1);
    EXPECT_EQ(out.fps, 60);
    EXPECT_TRUE(out.frames_dir.empty());
    EXPECT_TRUE(out.video_file.empty());

    ASSERT_TRUE(parse({"--video", "show.mp4", "--fps", "25", "--to", "130000", "--frames", "f", "--scale", "3",
                       "--crf", "20", "--from", "120000", "--preset", "faster", "--resume", "--data", "/opt/d"},
                      out, why))
        << why;
    EXPECT_EQ(out.from_ms, 120000);
    EXPECT_EQ(out.to_ms, 130000);
    EXPECT_EQ(out.fps, 25);
    EXPECT_EQ(out.frames_dir, "f");
    EXPECT_EQ(out.video_file, "show.mp4");
    EXPECT_EQ(out.scale, 3);
    EXPECT_EQ(out.crf, 20);
    EXPECT_EQ(out.preset, "faster");
    EXPECT_TRUE(out.resume);
    EXPECT_EQ(out.data_dir, "/opt/d");
    ASSERT_TRUE(parse({"--lossless", "--video", "v.mkv"}, out, why)) << why;
    EXPECT_TRUE(out.lossless);

    for (const std::vector<const char*>& edge : {std::vector<const char*>{"--from", "2147483646", "--to", "2147483647"},
                                                 {"--fps", "1000"}, {"--fps", "1", "--to", "1"},
                                                 {"--from", "5000", "--to", "5001"}})
        EXPECT_TRUE(parse(edge, out, why)) << edge[0] << " " << edge[1] << ": " << why;
}

TEST(CaptureArgs, RefusesWithAMessageNamingTheFault)
{
    // A refused command line and a piece of its message ("" where any will do).
    const struct {
        std::vector<const char*> args;
        const char* says;
    } refused[] = {
        {{"--from", "-5"}, "--from"}, {{"--from", "12abc"}, "12abc"}, {{"--from", "1e3"}, ""},
        {{"--from", ""}, ""}, {{"--from", " 4"}, ""}, {{"--from", "+4"}, ""}, {{"--from", "2147483648"}, ""},
        {{"--from", "99999999999999999999999"}, ""}, {{"--to", "0"}, ""}, {{"--fps", "0"}, "--fps"},
        {{"--fps", "1001"}, ""}, {{"--fps", "29.97"}, ""},
        {{"--fsp", "30"}, "--fsp"}, {{"120000"}, ""}, {{"-w"}, ""}, {{"--fps", "30", "--fps", "60"}, "twice"},
        {{"--from"}, "needs a value"}, {{"--from", "10", "--video"}, "--video"}, {{"--frames", ""}, ""},
        {{"--video", ""}, ""},
        {{"--from", "5000", "--to", "5000"}, "--to"}, {{"--from", "5000", "--to", "4999"}, ""},
        {{"--scale", "5"}, "--scale"}, {{"--scale", "0"}, ""}, {{"--video", "v.mp4", "--crf", "52"}, ""},
        {{"--video", "v.mp4", "--preset", "fastest"}, "fastest"}, {{"--resume"}, "needs --video"},
        {{"--video", "v.mkv", "--lossless", "--crf", "0"}, ""},
        {{"--lossless", "--lossless", "--video", "v"}, "twice"}
    };
    for (const auto& r : refused) {
        CaptureArgs out;
        std::string why;
        std::string line;
        for (const char* a : r.args) line += std::string(a) + " ";
        EXPECT_FALSE(parse(r.args, out, why)) << line;
        EXPECT_NE(why.find(r.says), std::string::npos) << line << "says: " << why;
    }
}

TEST(FrameTiming, FramesFallOnWholeMillisecondsRoundedDownWithNoDrift)
{
    // 60 fps: 16.67 ms apart, so 0, 16, 33, 50, ... and exactly 1000 at frame 60.
    EXPECT_EQ(frame_elapsed_ms(0, 60, 1), 16);
    EXPECT_EQ(frame_elapsed_ms(0, 60, 2), 33);
    EXPECT_EQ(frame_elapsed_ms(0, 60, 60), 1000);
    EXPECT_EQ(frame_elapsed_ms(120000, 7, 1), 120142);
    EXPECT_EQ(frame_elapsed_ms(120000, 7, 6), 120857);
    EXPECT_EQ(frame_elapsed_ms(0, 1000, 12345), 12345);
    // A running sum of 16.666... would have drifted by now; frame 5,184,000 at
    // 60 fps is exactly one day in.
    EXPECT_EQ(frame_elapsed_ms(0, 60, 5184000), 86400000);
    EXPECT_EQ(frame_elapsed_ms(0, 60, 5184001), 86400016);
    EXPECT_EQ(frame_elapsed_ms(7, 24, 2073599), 7 + 86399958);
}

TEST(FrameTiming, CountsTheFramesThatStartBeforeTheEnd)
{
    EXPECT_EQ(frame_count(0, 1000, 60), 60);  // 0 .. 983; 1000 is out
    EXPECT_EQ(frame_count(120000, 120000, 60), 0);
    EXPECT_EQ(frame_count(120000, 119000, 60), 0);
    // The last frame counted is the last one before the end.
    for (int fps : {1, 7, 24, 25, 30, 50, 59, 60, 144, 999, 1000})
        for (std::int64_t span = 1; span <= 2100; span += (span < 40 ? 1 : 37)) {
            const std::int64_t from = 120000;
            const std::int64_t n = frame_count(from, from + span, fps);
            ASSERT_GE(n, 1);
            EXPECT_LT(frame_elapsed_ms(from, fps, n - 1), from + span) << fps << " fps, span " << span;
            EXPECT_GE(frame_elapsed_ms(from, fps, n), from + span) << fps << " fps, span " << span;
        }
}

TEST(FrameTiming, TheDefaultEndIsTheLaterOfTrackAndScroller)
{
    // Beat 1000.0015 is 500,000.75 ms: the scroller is gone from 500,001.
    EXPECT_EQ(default_end_ms(-1, 1000.0015), 500001);
    EXPECT_EQ(default_end_ms(240000, 1000.0015), 500001);
    EXPECT_EQ(default_end_ms(600000, 1000.0015), 600000);
    EXPECT_EQ(default_end_ms(-1, 10.0003), 5001);
}

TEST(FrameTiming, AudioStartsAtTheFirstFrameAndLastsAsLongAsTheVideo)
{
    const AudioSpan a = audio_span(1000, 180, 60);
    EXPECT_EQ(a.first, 48000);
    EXPECT_EQ(a.count, 144000);
    const AudioSpan b = audio_span(120017, 10, 7);  // 10/7 s = 68,571.43 samples
    EXPECT_EQ(b.first, 5760816);
    EXPECT_EQ(b.count, 68571);
}

TEST(CaptureNames, FrameFilesHaveSixDigitsAndGrowPastThem)
{
    EXPECT_EQ(frame_file_name("out", 0), "out/frame-000000.png");
    EXPECT_EQ(frame_file_name("a/b", 42), "a/b/frame-000042.png");
    EXPECT_EQ(frame_file_name("out", 1234567), "out/frame-1234567.png");
}

TEST(CaptureProgress, ShowsDoneOfTotalRateAndTimeLeft)
{
    EXPECT_EQ(progress_line(1200, 14400, 24.0), "frame 1200/14400  50.0 fps  4:24 left");
    EXPECT_EQ(progress_line(0, 100, 0.0), "frame 0/100  0.0 fps  --:-- left");
    // A resumed capture's rate counts only the frames it drew itself.
    EXPECT_EQ(progress_line(1300, 1400, 2.0, 1200), "frame 1300/1400  50.0 fps  0:02 left");
}

}  // namespace
