// The control surface's rules: property ranges and notifications, stored
// settings, the checks of a download, resizing for Stretch.
#include "anigif_surface.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "gif_writer.h"

namespace {
struct SurfaceHost final : AniGifSurfaceHost {
    bool userMode = true;
    std::int32_t width = 240, height = 60;
    std::vector<std::string> events;
    bool cancel = false;

    bool UserMode() const override { return userMode; }
    void InnerSize(std::int32_t& w, std::int32_t& h) const override { w = width, h = height; }
    bool StartTimer(unsigned) override { return true; }
    void StopTimer() override {}
    void Refresh() override {}
    void RaiseLoopsEnded() override {}
    void ResizeControl(std::int32_t w, std::int32_t h) override {
        width = w, height = h;
        events.push_back("resize " + std::to_string(w) + "x" + std::to_string(h));
    }
    void PropertyChanged(std::string_view name) override { events.push_back("changed " + std::string(name)); }
    void RaiseRemoteLoadComplete(float w, float h, bool& c) override {
        events.push_back("complete " + std::to_string(int(w)) + "x" + std::to_string(int(h)));
        c = cancel;
    }
    void RaiseRemoteLoadFailure() override { events.push_back("failure"); }
    double PixelsToContainerX(std::int32_t px) const override { return px * 15.0; }
    double PixelsToContainerY(std::int32_t px) const override { return px * 15.0; }
};

// The surface as the control sees it: what the control feeds in is protected.
struct TestSurface final : AniGifSurface {
    explicit TestSurface(AniGifSurfaceHost& host) : AniGifSurface(host) {}
    using AniGifSurface::LoadBytes;
    using AniGifSurface::ReadProperties;
    using AniGifSurface::RemoteCompleted;
    using AniGifSurface::Resized;
    using AniGifSurface::WriteProperties;
};

Bytes Gif(int frames, int loops = -1, const char* signature = "GIF89a") {
    TestGif gif{120, 50, TestPalette(4), loops, {}};
    for (int i = 0; i < frames; ++i)
        gif.images.push_back(MakeImage(0, 0, 120, 50, [i](int x, int) { return (x + i) % 4; }));
    Bytes bytes = WriteGif(gif);
    std::copy(signature, signature + 6, bytes.begin());
    return bytes;
}
}  // namespace

TEST(AniGifSurface, PropertyRangesAndNotifications) {
    SurfaceHost host;
    TestSurface s(host);
    EXPECT_EQ(s.LoopsRemaining(), -1);
    s.SetMinFrameDelay(50);  // unchanged: silent
    s.SetMinFrameDelay(5);
    EXPECT_EQ(s.MinFrameDelay(), 10);
    s.SetMinFrameDelay(40000);
    EXPECT_EQ(s.MinFrameDelay(), 32700);
    s.SetLoops(-3);
    EXPECT_EQ(s.Loops(), 3);
    s.SetLoops(INT_MIN);
    EXPECT_EQ(s.Loops(), INT_MAX);
    for (int bad : {5, -1, 1}) s.SetStretch(bad);  // out of range, or the current value
    for (int bad : {4, -1}) s.SetMirrored(bad);
    for (int bad : {7, 1}) s.SetDelayAnimation(bad);
    s.SetFrameCount(7);
    EXPECT_EQ(s.Stretch(), 1);
    EXPECT_EQ(s.FrameCount(), 0);
    s.SetMirrored(2);
    s.SetDelayAnimation(0);
    EXPECT_EQ(host.events, (std::vector<std::string>{"changed Delay", "changed Delay", "changed Loops", "changed Loops",
                                                     "changed Mirrored", "changed DelayAnimation"}));
}

TEST(AniGifSurface, StretchResizesTheControl) {
    SurfaceHost host;
    TestSurface s(host);
    ASSERT_TRUE(s.LoadBytes(Gif(1)));
    EXPECT_EQ(host.events.back(), "resize 144x60");  // Stretch 1 on 240 x 60: 1.2
    EXPECT_FLOAT_EQ(s.Player().ScaleX(), 1.2f);
    host.width = 240, host.height = 100;
    s.SetStretch(3);
    EXPECT_EQ(host.events.back(), "changed Stretch");
    EXPECT_EQ(host.events[host.events.size() - 2], "resize 120x50");
    host.width = 60, host.height = 50;
    s.Resized(60, 50);
    EXPECT_EQ(host.events.back(), "resize 60x25");
    EXPECT_EQ(s.ActualWidth(), 1800);  // twips
    // A file that is not there: in user mode the bytes went with the last
    // load, so the control ends up empty.
    EXPECT_FALSE(s.LoadBytes(std::nullopt));
    EXPECT_EQ(s.FrameCount(), 0);
}

TEST(AniGifSurface, StoredSettings) {
    SurfaceHost host;
    TestSurface s(host);
    AniGifSurfaceValues values;
    PropertyStore empty;
    s.WriteProperties(empty, values);
    ASSERT_EQ(empty.Count(), 1u);  // only "GIF", even with no bytes
    EXPECT_EQ(empty.Entries()[0].key, "gif");

    PropertyStore stored;
    stored.Write("GIF", Gif(3, 5), Bytes{});
    stored.Write("DelayLoad", std::int32_t{-1}, std::int32_t{1});
    stored.Write("MousePointer", std::int16_t{99}, std::int16_t{0});
    TestSurface again(host);
    again.SetMinFrameDelay(70);
    again.ReadProperties(stored, values);
    EXPECT_EQ(again.DelayAnimation(), 1);
    EXPECT_EQ(again.MinFrameDelay(), 70);  // "Delay" defaults to the current value
    EXPECT_EQ(again.Loops(), 5);           // the file's count
    EXPECT_EQ(again.FrameCount(), 3);
    EXPECT_EQ(values.mousePointer, 99);
    stored.Write("Loops", std::int32_t{2}, std::int32_t{0});
    stored.Write("Stretch", std::int32_t{0}, std::int32_t{1});
    stored.Write("Mirror", std::int32_t{3}, std::int32_t{0});
    again.ReadProperties(stored, values);
    EXPECT_EQ(again.Loops(), 2);

    host.userMode = false;  // a designer keeps the bytes to store them
    TestSurface design(host);
    design.SetMinFrameDelay(70);
    design.ReadProperties(stored, values);
    PropertyStore out;
    design.WriteProperties(out, values);
    std::vector<std::string> keys;
    for (const auto& e : out.Entries()) keys.push_back(e.key);
    EXPECT_EQ(keys, (std::vector<std::string>{"gif", "delay", "stretch", "loops", "mirror", "mousepointer"}));
    EXPECT_EQ(*out.Find("gif"), *stored.Find("gif"));
}

TEST(AniGifSurface, DownloadsMustLookLikeAGif) {
    SurfaceHost host;
    host.userMode = false;
    TestSurface s(host);
    const Bytes held = Gif(2);
    ASSERT_TRUE(s.LoadBytes(held));
    host.events.clear();
    s.RemoteCompleted(Bytes(held.begin(), held.begin() + 14));
    s.RemoteCompleted(Bytes(40, 'x'));
    EXPECT_EQ(s.Player().GifBytes(), held) << "a failed download must not take the designer's GIF";
    host.cancel = true;
    s.RemoteCompleted(Gif(3, -1, "GIF87a"));
    EXPECT_EQ(s.FrameCount(), 2) << "a cancelled download leaves the animation showing";
    host.cancel = false;
    s.RemoteCompleted(Gif(3, -1, "gif89A"));
    EXPECT_EQ(s.FrameCount(), 3);
    EXPECT_EQ(host.events, (std::vector<std::string>{"failure", "failure", "complete 1800x750", "complete 1800x750",
                                                     "resize 144x60"}));
}

TEST(AniGifSurface, ArrayBytesCountEveryElement) {
    const std::size_t dims2[] = {10, 20}, dims1[] = {7}, dims3[] = {1, 1, 1};
    EXPECT_EQ(ArrayByteCount(sizeof(std::int16_t), dims2), 400u);
    EXPECT_EQ(ArrayByteCount(1, dims1), 7u);
    EXPECT_FALSE(ArrayByteCount(1, dims3));
    const std::size_t huge[] = {SIZE_MAX / 2, 3};
    EXPECT_EQ(ArrayByteCount(1, huge), SIZE_MAX) << "beyond the address space: refused by any limit";
}
