// The player's state machine against a fake host: delays, loops, actions,
// the deferred decode, design mode, failures and resource limits.
#include <gtest/gtest.h>

#include "anigif_test_support.h"

namespace {
// Frames 4 x 1 with the given delays (hundredths of a second).
Bytes Animation(std::vector<int> delays, int loops = -1) {
    TestGif gif{4, 1, TestPalette(8), loops, {}};
    for (std::size_t i = 0; i < delays.size(); ++i) {
        gif.images.push_back(MakeImage(0, 0, 4, 1, [&](int x, int) { return static_cast<int>(i) + x; }));
        gif.images.back().control = true;
        gif.images.back().delay = delays[i];
    }
    return WriteGif(gif);
}

// Frames without image data (every index 0): big pictures in small files.
Bytes Blank(int frames, int width, int height) {
    TestImage image{.width = width, .height = height, .lzw = {.encodePixels = 0}};
    return WriteGif(
        {width, height, TestPalette(2), -1, std::vector<TestImage>(static_cast<std::size_t>(frames), image)});
}

// Current frame after each tick, while a timer is pending.
std::vector<std::int32_t> Ticks(Loaded& loaded, int n) {
    std::vector<std::int32_t> frames;
    for (int i = 0; i < n && loaded.host.pending; ++i)
        loaded.player.OnTimer(), frames.push_back(loaded.player.CurrentFrame());
    return frames;
}
}  // namespace

TEST(AniGifPlayer, DelaysAndLoops) {
    Loaded loaded;
    ASSERT_EQ(loaded.Load(Animation({0, 3, 10}, 2)), 3);
    EXPECT_EQ(loaded.player.Loops(), 2) << "the file's count";
    EXPECT_EQ(Ticks(loaded, 20), (std::vector<std::int32_t>{2, 3, 1, 2, 3, 1}));
    // Each frame shows for max(delay, MinFrameDelay); each timer dies when it fires.
    EXPECT_EQ(loaded.host.started, (std::vector<unsigned>{50, 50, 100, 50, 50, 100}));
    EXPECT_EQ(loaded.host.stops, 6);
    EXPECT_EQ(std::tuple(loaded.host.loopsEnded, loaded.player.PlayState(), loaded.player.LoopsRemaining()),
              std::tuple(1, GifPlayState::Stopped, 2));

    loaded.player.SetLoops(0);
    loaded.player.ApplyAction(GifAction::Play);
    EXPECT_EQ(Ticks(loaded, 30).size(), 30u) << "Loops 0 never ends";
    EXPECT_EQ(std::pair(loaded.host.loopsEnded, loaded.player.LoopsRemaining()), std::pair(1, 0));
}

TEST(AniGifPlayer, ActionsAndTheDeferredDecode) {
    Loaded loaded;
    const Bytes gif = Animation({5, 5, 5});
    ASSERT_EQ(loaded.Load(gif, 2), 3);
    // DelayAnimation 2: frame 1 now, the rest 20 ms later, then no play.
    EXPECT_EQ(std::pair(loaded.player.PlayState(), loaded.player.BuiltFrameCount()),
              std::pair(GifPlayState::Playing, 1));
    EXPECT_EQ(loaded.host.started, std::vector<unsigned>{20});
    loaded.player.OnTimer();
    EXPECT_EQ(std::tuple(loaded.player.BuiltFrameCount(), loaded.player.PlayState(), loaded.host.pending),
              std::tuple(3, GifPlayState::Stopped, false));
    EXPECT_TRUE(loaded.player.GifBytes().empty()) << "user mode frees the bytes once all is built";

    const auto state = [&] { return std::pair(ToProperty(loaded.player.PlayState()), loaded.player.CurrentFrame()); };
    struct Step {
        std::int32_t action;                             // as the property takes it: 7 is no action
        std::pair<std::int32_t, std::int32_t> expected;  // Action as read back, current frame
    } steps[] = {{2, {0, 1}}, {1, {1, 1}}, {2, {2, 1}}, {3, {2, 2}}, {3, {2, 3}},
                 {3, {2, 1}}, {1, {1, 1}}, {7, {1, 1}}, {0, {0, 1}}, {4, {1, 1}}};
    for (const Step& step : steps) {
        if (const auto action = GifActionFromProperty(step.action)) loaded.player.ApplyAction(*action);
        EXPECT_EQ(state(), step.expected) << "Action " << step.action;
        EXPECT_EQ(loaded.host.pending, step.expected.first == ToProperty(GifPlayState::Playing));
    }

    // DelayAnimation 1 plays once decoded; a pause before that decodes first.
    Loaded played, paused;
    played.Load(gif, 1);
    played.player.OnTimer();
    EXPECT_EQ(played.player.PlayState(), GifPlayState::Playing);
    EXPECT_EQ(played.host.started, (std::vector<unsigned>{20, 50}));
    paused.Load(gif, 1);
    paused.player.ApplyAction(GifAction::Pause);
    EXPECT_EQ(std::tuple(paused.player.BuiltFrameCount(), paused.player.PlayState(), paused.host.pending),
              std::tuple(3, GifPlayState::Paused, false));
    paused.player.ApplyAction(GifAction::Step);
    EXPECT_EQ(paused.Indices(2), (Bytes{1, 2, 3, 4}));

    // Without a timer (no parent window yet) every frame is decoded at once.
    Loaded early;
    early.host.timersWork = false;
    ASSERT_EQ(early.Load(gif, 1), 3);
    EXPECT_EQ(std::pair(early.player.BuiltFrameCount(), early.player.PlayState()), std::pair(3, GifPlayState::Stopped));
}

TEST(AniGifPlayer, SingleFrameNeverPlaysAndDesignModeBuildsFrameOneOnly) {
    Loaded single;
    ASSERT_EQ(single.Load(Animation({5})), 1);
    single.player.ApplyAction(GifAction::Play);
    EXPECT_EQ(std::tuple(single.player.PlayState(), single.host.refreshes, single.host.started.size()),
              std::tuple(GifPlayState::Stopped, 1, 0u));

    Loaded design;
    design.host.userMode = false;
    const Bytes gif = Animation({5, 5, 5});
    ASSERT_EQ(design.Load(gif, 0), 3);
    EXPECT_EQ(design.player.BuiltFrameCount(), 1);
    EXPECT_EQ(design.player.Strip().width, 4) << "frame 1's width";
    EXPECT_EQ(design.player.GifBytes(), gif) << "kept for the form";
    design.player.ApplyAction(GifAction::Play);
    EXPECT_EQ(design.player.PlayState(), GifPlayState::Stopped);
}

TEST(AniGifPlayer, MirroringBeforeTheDeferredDecodeFlipsEveryFrameOnce) {
    Loaded loaded;
    loaded.player.SetMirrored(1);
    ASSERT_EQ(loaded.Load(Animation({5, 5, 5}), 1), 3);
    EXPECT_EQ(loaded.Indices(1), (Bytes{3, 2, 1, 0}));
    loaded.player.OnTimer();
    EXPECT_EQ(loaded.Indices(2), (Bytes{4, 3, 2, 1}));
    EXPECT_EQ(loaded.Indices(3), (Bytes{5, 4, 3, 2}));
    EXPECT_EQ(loaded.Indices(1), (Bytes{3, 2, 1, 0})) << "frame 1 once only";
    // A reset while the deferred decode is pending leaves nothing behind.
    loaded.Load(Animation({5, 5, 5}), 1);
    loaded.player.ResetGif();
    loaded.Load(Animation({5, 5}), 1);
    loaded.player.OnTimer();
    EXPECT_EQ(loaded.Indices(1), (Bytes{3, 2, 1, 0}));
    EXPECT_EQ(loaded.Indices(2), (Bytes{4, 3, 2, 1}));
}

TEST(AniGifPlayer, FailuresLeaveItEmptyAndLimitsRefuseBeforeAllocating) {
    struct Row {
        const char* name;
        Bytes gif;
        GifLoadError expected;
    } rows[] = {
        {"not a GIF", Bytes{'G', 'I', 'F', '9', '9', 'a', 0, 0}, GifLoadError::NotAGif},
        {"no bytes", Bytes{}, GifLoadError::NoBytes},
        {"zero logical size", Blank(2, 0, 7), GifLoadError::EmptyPicture},
        {"a 65535 x 65535 frame", Blank(1, 65535, 65535), GifLoadError::PictureTooLarge},
        {"500 frames of 640 x 480", Blank(500, 640, 480), GifLoadError::StripTooLarge},
        {"30000 frames of 5000 x 1", Blank(30000, 5000, 1), GifLoadError::StripTooLarge},
    };
    for (const Row& row : rows) {
        Loaded loaded;
        EXPECT_EQ(loaded.Load(row.gif), 0) << row.name;
        EXPECT_EQ(loaded.player.LastLoadFailure().error, row.expected) << row.name;
        EXPECT_TRUE(loaded.player.GifBytes().empty());
        EXPECT_EQ(std::tuple(loaded.player.CurrentFrame(), loaded.player.LoopsRemaining()), std::tuple(0, -1));
        EXPECT_FALSE(loaded.player.PaintCurrentFrame([](const GifPaint&) {}));
    }
    Loaded small;
    small.player.SetLimits({.maxFileBytes = 100});
    EXPECT_EQ(small.Load(Animation({1, 1, 1})), 0);
    EXPECT_EQ(small.player.LastLoadFailure().error, GifLoadError::FileTooLarge);

    Loaded longest, many;
    EXPECT_EQ(longest.Load(Blank(300, 640, 480)), 300);
    EXPECT_EQ(many.Load(Blank(30000, 1, 1)), 30000);
}
