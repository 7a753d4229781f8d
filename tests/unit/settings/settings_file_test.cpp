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
    BgmKind = 2;
    BgmRepeat = 0;
    BgmFile = "C:\\a.wav";
    SaveSettings(files, "C:\\Velmora");
    EXPECT_EQ(files.files[kPath], old);
    EXPECT_EQ(files.files.size(), 1u);
}

TEST_F(RealFiles, SaveAndLoadRoundTripBesideTheLauncher) {
    const std::string song = folder + "\\song.mp3";
    Put(folder + "/song.mp3", "ID3");
    BgmKind = 2;
    BgmRepeat = 3;
    BgmFile = song;
    SaveSettings(files, folder);
    EXPECT_EQ(Slurp(folder + "/Velmora.ini"), "[Section]\r\nBGM\x8B\xE6\x95\xAA= 2\r\nBGM\xD8\xCB\xDF\xB0\xC4= 3\r\n"
                                              "BGM\xCC\xA7\xB2\xD9=" + song + "\r\n");
    EXPECT_FALSE(std::filesystem::exists(TemporaryPathFor(folder + "/Velmora.ini")));

    BgmKind = BgmRepeat = 0;
    BgmFile.clear();
    LoadSettings(files, folder);
    EXPECT_EQ(BgmKind, 2);
    EXPECT_EQ(BgmRepeat, 3);
    EXPECT_EQ(BgmFile, song);
    EXPECT_EQ(BgmFolder, folder);
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
