// A fake host for the player, and helpers that read what a load built.
#pragma once
#include <vector>

#include "anigif_player.h"
#include "gif_writer.h"

struct FakeHost final : AniGifHost {
    bool userMode = true;
    bool timersWork = true;
    std::int32_t innerWidth = 0, innerHeight = 0;
    std::vector<unsigned> started;  // every StartTimer, in order
    bool pending = false;
    int stops = 0, refreshes = 0, loopsEnded = 0;

    bool UserMode() const override { return userMode; }
    void InnerSize(std::int32_t& w, std::int32_t& h) const override { w = innerWidth, h = innerHeight; }
    bool StartTimer(unsigned ms) override {
        if (!timersWork) return false;
        started.push_back(ms);
        return pending = true;
    }
    void StopTimer() override { ++stops, pending = false; }
    void Refresh() override { ++refreshes; }
    void RaiseLoopsEnded() override { ++loopsEnded; }
};

struct Loaded {
    FakeHost host;
    AniGifPlayer player{host};
    // Loads bytes with the given DelayAnimation (0: every frame at once).
    std::int32_t Load(const Bytes& bytes, std::int32_t delayAnimation = 0) {
        player.SetDelayAnimation(delayAnimation);
        player.SetGifBytes(bytes);
        return player.LoadGif();
    }
    // Frame k's colour indices from the strip, rows from the top.
    Bytes Indices(std::int32_t k) const {
        const GifFrame& f = player.Frames()[static_cast<std::size_t>(k - 1)];
        Bytes out;
        for (std::int32_t y = 0; y < f.frameHeight; ++y)
            out.insert(out.end(), player.Strip().Row(y) + f.stripX, player.Strip().Row(y) + f.stripX + f.frameWidth);
        return out;
    }
};
