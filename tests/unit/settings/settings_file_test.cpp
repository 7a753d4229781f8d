#include <gtest/gtest.h>

#include <filesystem>

#include "fake_files.h"
#include "real_files.h"
#include "settings.h"

namespace {
const std::string kPath = "C:\\Velmora\\Velmora.ini";
const std::string kOld = "[Section]\r\nold=1\r\n";
}  // namespace

TEST(ReplaceFileAtomically, SaveSettingsThatFailsKeepsEverySettingOfTheOldFile) {
    FakeFiles files;
    const std::string old = "[Section]\r\nBGM\x8B\xE6\x95\xAA= 1\r\nBGM\xD8\xCB\xDF\xB0\xC4= 4\r\n";
    files.files[kPath] = old;
    files.writeFailsHalfway = true;
    SaveSettings(files, "C:\\Velmora", {MusicKind::File, 0, "C:\\a.wav", ""});
    EXPECT_EQ(files.files[kPath], old);
    EXPECT_EQ(files.files.size(), 1u);
}

TEST_F(RealFiles, SaveAndLoadRoundTripBesideTheLauncher) {
    const std::string song = folder + "\\song.mp3";
    Put(folder + "/song.mp3", "ID3");
    SaveSettings(files, folder, {MusicKind::File, 3, song, ""});
    EXPECT_EQ(Slurp(folder + "/Velmora.ini"),
              "[Section]\r\nBGM\x8B\xE6\x95\xAA= 2\r\nBGM\xD8\xCB\xDF\xB0\xC4= 3\r\n"
              "BGM\xCC\xA7\xB2\xD9=" +
                  song + "\r\n");
    EXPECT_FALSE(std::filesystem::exists(TemporaryPathFor(folder + "/Velmora.ini")));

    const StoredSettings loaded = LoadSettings(files, JapaneseAnsi(), folder);
    EXPECT_EQ(loaded.BgmKind, MusicKind::File);
    EXPECT_EQ(loaded.BgmRepeat, 3);
    EXPECT_EQ(loaded.BgmFile, song);
    EXPECT_EQ(loaded.BgmFolder, folder);
}

TEST_F(RealFiles, AFailedSaveLeavesTheOldFileByteForByte) {
    const std::string ini = folder + "/Velmora.ini";
    Put(ini, kOld);
    std::filesystem::create_directory(TemporaryPathFor(ini));  // the temporary file cannot be made
    WriteIni(files, "Section", "old", "2", folder + "\\Velmora.ini");
    EXPECT_EQ(Slurp(ini), kOld);

    std::filesystem::remove(TemporaryPathFor(ini));
    WriteIni(files, "Section", "old", "2", folder + "\\Velmora.ini");
    EXPECT_EQ(Slurp(ini), "[Section]\r\nold=2\r\n");
}
