#include <gtest/gtest.h>

#include "music_settings.h"
#include "nimbel_bgm.h"
#include "scripted_multimedia.h"

namespace {
MusicSettings File(std::string path) { return {MusicKind::File, 0, std::move(path), ShiftJis()}; }
std::string OpenCommand(const std::string& path) { return "open \"" + path + "\" type MPEGVideo Alias MP3Play"; }
// C:\音楽\曲.mp3 in code page 932
const std::string kJapanesePath = "C:\\\x89\xb9\x8a\x79\\\x8b\xc8.mp3";
}  // namespace

TEST(Mp3Music, PlaysAndRestartsFromZeroOnlyWhenNotPlaying) {
    ScriptedMultimedia mci;
    Nimbel_BGM bgm(mci, File(kJapanesePath));
    mci.Expect(OpenCommand(kJapanesePath), 0).Expect("play MP3Play", 0);
    bgm.StartMp3Music();
    mci.ExpectAllSent();

    mci.Expect("status MP3Play mode", 30, 0, "playing");
    bgm.RepeatMp3Music();
    mci.ExpectAllSent();
    for (const char* mode : {"stopped", "Playing"}) {
        mci.Expect("status MP3Play mode", 30, 0, mode).Expect("stop MP3Play", 0).Expect("play MP3Play from 0", 0);
        bgm.RepeatMp3Music();
        mci.ExpectAllSent();
    }
    mci.Expect("stop MP3Play", 0).Expect("close MP3Play", 0);
    bgm.StopMp3Music();
}

TEST(Mp3Music, FileThatFailsToOpenIsNotPlayedButRepeatKeepsTrying) {
    ScriptedMultimedia mci;
    Nimbel_BGM bgm(mci, File("C:\\gone.mp3"));
    mci.Expect(OpenCommand("C:\\gone.mp3"), 0, 277);
    bgm.StartMp3Music();
    for (int second = 0; second < 2; ++second) {
        mci.ExpectAllSent();
        mci.Expect("status MP3Play mode", 30, 263).Expect("stop MP3Play", 0, 263).Expect("play MP3Play from 0", 0, 263);
        bgm.RepeatMp3Music();
    }
}

TEST(Mp3Music, NameWithAQuoteOrControlByteIsNeverOpened) {
    const std::vector<std::string> refused = {"C:\\a\" type waveaudio\".mp3",
                                              std::string("C:\\a\0b.mp3", 11),
                                              "C:\\a\x01.mp3",
                                              "C:\\a\tb.mp3",
                                              "C:\\a\x1f.mp3",
                                              "C:\\a\x7f.mp3"};
    for (const std::string& name : refused) {
        ScriptedMultimedia mci;  // an empty script: any command fails the test
        Nimbel_BGM(mci, File(name)).StartMp3Music();
    }
    // Trail bytes at the edges of their range (0x40, 0x5C, 0x7E, 0x80, 0xFC) pass.
    const std::string dbcs = "C:\\\x83\x40\x95\x5c\x81\x7e\x83\x80\xfc\xfc.mp3";
    ScriptedMultimedia mci;
    mci.Expect(OpenCommand(dbcs), 0).Expect("play MP3Play", 0);
    Nimbel_BGM(mci, File(dbcs)).StartMp3Music();
}

TEST(WavMusic, LoopsTheFileOnlyWhenThereIsAWaveDevice) {
    ScriptedMultimedia mci;
    Nimbel_BGM bgm(mci, File(kJapanesePath));
    mci.waveDevices = 0;
    bgm.StartWavMusic();
    EXPECT_TRUE(mci.sounds.empty());
    mci.waveDevices = 1;
    bgm.StartWavMusic();
    bgm.StopWavMusic();
    ASSERT_EQ(mci.sounds.size(), 2u);
    EXPECT_EQ(mci.sounds[0].name, kJapanesePath);
    EXPECT_EQ(mci.sounds[0].flags, 0x2000Bu) << "async, looping, a file, and no default sound in its place";
    EXPECT_EQ(mci.sounds[1].name, std::nullopt);
    EXPECT_EQ(mci.sounds[1].flags, 0u);
}

TEST(MusicSource, KindAndUpperCasedLastThreeCharactersChooseTheSource) {
    EXPECT_EQ(MusicSourceFor({MusicKind::Cd, 0, "C:\\a.wav", ShiftJis()}), MusicSource::Cd);
    EXPECT_EQ(MusicSourceFor({MusicKind::File, 0, "C:\\a.Mp3", ShiftJis()}), MusicSource::Mp3);
    EXPECT_EQ(MusicSourceFor({MusicKind::File, 0, "C:\\a.wAV", ShiftJis()}), MusicSource::Wav);
    EXPECT_EQ(MusicSourceFor({MusicKind::File, 0, "mp3", ShiftJis()}), MusicSource::Mp3);
    EXPECT_EQ(MusicSourceFor({MusicKind::File, 0, "C:\\a.mid", ShiftJis()}), MusicSource::None);
    EXPECT_EQ(MusicSourceFor({MusicKind::None, 0, "C:\\a.mp3", ShiftJis()}), MusicSource::None);
    EXPECT_EQ(MusicSourceFor({MusicKind{3}, 0, "C:\\a.mp3", ShiftJis()}), MusicSource::None);
    // The last three bytes read "MP3", but in code page 932 0x83 0x4D is one
    // character (ギ); in 1252 0x83 is a character of its own (ƒ).
    EXPECT_EQ(MusicSourceFor({MusicKind::File, 0, "C:\\a\x83\x4dP3", ShiftJis()}), MusicSource::None);
    EXPECT_EQ(MusicSourceFor({MusicKind::File, 0, "C:\\a\x83\x4dP3", CodePage::Numbered(1252)}), MusicSource::Mp3);
}
