#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "fake_files.h"
#include "path_parts.h"
#include "settings.h"

namespace {
const std::string kPath = "C:\\Velmora\\Velmora.ini";
const std::string kTemporary = kPath + ".new";
const std::string kOld = "[Section]\r\nold=1\r\n";
}  // namespace

TEST(ReplaceFileAtomically, WritesBesideThenRenamesOver) {
    FakeFiles files;
    files.files[kPath] = kOld;
    EXPECT_TRUE(ReplaceFileAtomically(files, kPath, "new bytes"));
    EXPECT_EQ(files.files[kPath], "new bytes");
    EXPECT_EQ(files.Changes(), (std::vector<std::string>{"write " + kTemporary, "move " + kTemporary + " > " + kPath}));
    EXPECT_EQ(files.files.count(kTemporary), 0u);
}

TEST(ReplaceFileAtomically, AFailureAtAnyStepLeavesTheOldFileAndNoTemporary) {
    for (const bool writeFails : {true, false}) {
        FakeFiles files;
        files.files[kPath] = kOld;
        files.writeFailsHalfway = writeFails;
        files.moveFails = !writeFails;
        EXPECT_FALSE(ReplaceFileAtomically(files, kPath, "[Section]\r\nnew=22222222222\r\n"));
        EXPECT_EQ(files.files[kPath], kOld);
        EXPECT_EQ(files.files.count(kTemporary), 0u);
        EXPECT_EQ(files.Changes().back(), "remove " + kTemporary);
    }
}

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

// The POSIX stand-in on real files, with Windows-style paths.
class RealFiles : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/velmora_settings_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string Slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void Put(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::string folder;
    FileAccess& files = SystemFileAccess();
};

TEST_F(RealFiles, SaveAndLoadRoundTripBesideTheLauncher) {
    const std::string song = folder + "\\song.mp3";
    Put(folder + "/song.mp3", "ID3");
    BgmKind = 2;
    BgmRepeat = 3;
    BgmFile = song;
    SaveSettings(files, folder);
    EXPECT_EQ(Slurp(folder + "/Velmora.ini"), "[Section]\r\nBGM\x8B\xE6\x95\xAA= 2\r\nBGM\xD8\xCB\xDF\xB0\xC4= 3\r\n"
                                              "BGM\xCC\xA7\xB2\xD9=" + song + "\r\n");
    EXPECT_FALSE(std::filesystem::exists(folder + "/Velmora.ini.new"));

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
    std::filesystem::create_directory(ini + ".new");  // the temporary file cannot be made
    WriteIni(files, "Section", "old", "2", folder + "\\Velmora.ini");
    EXPECT_EQ(Slurp(ini), kOld);

    std::filesystem::remove(ini + ".new");
    WriteIni(files, "Section", "old", "2", folder + "\\Velmora.ini");
    EXPECT_EQ(Slurp(ini), "[Section]\r\nold=2\r\n");
}

TEST_F(RealFiles, FoldersAreNoFilesAndReadingStopsAtTheLimit) {
    const std::string path = folder + "/f";
    Put(path, "123456789");
    std::string bytes = "stale";
    EXPECT_EQ(files.ReadWholeFile(path, 8, bytes), FileRead::TooLarge);
    EXPECT_EQ(bytes, "");
    EXPECT_EQ(files.ReadWholeFile(folder + "/no/f", 8, bytes), FileRead::Missing);
    EXPECT_EQ(files.ReadWholeFile(folder, 8, bytes), FileRead::Failed);
    EXPECT_FALSE(FileExists(files, folder + "\\"));
    EXPECT_TRUE(FileExists(files, folder + "\\f\\"));
}
