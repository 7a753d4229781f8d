#include <gtest/gtest.h>

#include "nimbel_bgm.h"
#include "scripted_multimedia.h"

namespace {
// The three queries every poll starts with.
void ExpectStatus(ScriptedMultimedia& mci, const std::string& current, std::uint32_t modeCode,
                  const std::string& mode) {
    mci.Expect("status cdaudio current track", 512, 0, current)
        .Expect("status cdaudio number of tracks", 512, 0, "12")
        .Expect("status cdaudio mode", 255, modeCode, mode);
}

std::int16_t Poll(Nimbel_BGM& bgm, ScriptedMultimedia& mci) {
    bgm.PollCdMusic();
    mci.ExpectAllSent();
    return bgm.CdPollActive();
}
}  // namespace

TEST(CdMusic, WholeDiscIsStartedOnlyWhenStopped) {
    ScriptedMultimedia mci;
    Nimbel_BGM bgm(mci, {MusicKind::Cd, 0, "", ShiftJis()});
    mci.Expect("open cdaudio", 0).Expect("set cdaudio time format tmst", 0);
    bgm.StartCdMusic();
    mci.ExpectAllSent();

    ExpectStatus(mci, "1", 0, "playing");
    EXPECT_EQ(Poll(bgm, mci), -1);
    ExpectStatus(mci, "1", 0, "Stopped");  // compared case-sensitively: no play
    EXPECT_EQ(Poll(bgm, mci), -1);
    ExpectStatus(mci, "1", 0, "stopped");
    mci.Expect("play cdaudio", 512);
    EXPECT_EQ(Poll(bgm, mci), -1);
    ExpectStatus(mci, "1", 263, "");  // a failed mode query leaves "stopped" in the buffer
    mci.Expect("play cdaudio", 512);
    EXPECT_EQ(Poll(bgm, mci), -1);

    mci.Expect("stop cdaudio", 0).Expect("close cdaudio", 0);
    bgm.StopCdMusic();
}

TEST(CdMusic, RepeatTrackRestartsWhenPlayRunsOnOrTheDiscStops) {
    ScriptedMultimedia mci;
    Nimbel_BGM bgm(mci, {MusicKind::Cd, 3, "", ShiftJis()});
    ExpectStatus(mci, "3", 0, "playing");
    EXPECT_EQ(Poll(bgm, mci), -1);
    for (const char* current : {"4", " 3 "}) {
        SCOPED_TRACE(current);
        ExpectStatus(mci, current, 0, current[0] == '4' ? "playing" : "stopped");
        mci.Expect("status cdaudio position track 3", 512, 0, "12:34:56").Expect("play cdaudio from 12:34:56", 512);
        EXPECT_EQ(Poll(bgm, mci), -1);
    }
}

TEST(CdMusic, AFailedPositionQueryPlaysNothingButKeepsPolling) {
    // It must not turn into "play cdaudio from Error:275"; the next poll retries.
    ScriptedMultimedia mci;
    Nimbel_BGM bgm(mci, {MusicKind::Cd, 12, "", ShiftJis()});
    ExpectStatus(mci, "4", 0, "playing");
    mci.Expect("status cdaudio position track 12", 512, 275);
    EXPECT_EQ(Poll(bgm, mci), -1);
    ExpectStatus(mci, "4", 0, "playing");
    mci.Expect("status cdaudio position track 12", 512, 0, "12:00:00:00")
        .Expect("play cdaudio from 12:00:00:00", 512, 0);
    EXPECT_EQ(Poll(bgm, mci), -1);
}

TEST(CdMusic, AnyFailedStepEndsPollingAndSendsNothingMore) {
    const auto check = [](std::int16_t repeat, const auto& script) {
        ScriptedMultimedia mci;
        Nimbel_BGM bgm(mci, {MusicKind::Cd, repeat, "", ShiftJis()});
        script(mci);
        EXPECT_EQ(Poll(bgm, mci), 0);
    };
    // No disc.
    check(0, [](auto& mci) { mci.Expect("status cdaudio current track", 512, 266); });
    check(0, [](auto& mci) {
        mci.Expect("status cdaudio current track", 512, 0, "1").Expect("status cdaudio number of tracks", 512, 275);
    });
    for (const char* current : {"", "abc", "3a", "-"}) {
        SCOPED_TRACE(std::string("current track \"") + current + "\" is no number");
        check(3, [current](auto& mci) { ExpectStatus(mci, current, 0, "stopped"); });
    }
}
