#include <gtest/gtest.h>

#include "fake_files.h"
#include "real_files.h"

namespace {
const std::string kSo = "\xE3\x82\xBD";  // "ソ" in UTF-8, the form file paths take
const std::string kPath = "C:\\Velmora\\Velmora.ini";
const std::string kTemporary = TemporaryPathFor(kPath);
const std::string kOld = "[Section]\r\nold=1\r\n";
}  // namespace

TEST(FileExists, OneTrailingBackslashIsDroppedAndFoldersAreNotFiles) {
    FakeFiles files;
    files.files["C:\\Music\\song.mp3"] = "ID3";
    files.files["C:\\" + kSo] = "a file whose name ends outside ASCII";
    files.folders.insert("C:\\Windows");

    EXPECT_TRUE(FileExists(files, "C:\\Music\\song.mp3"));
    EXPECT_TRUE(FileExists(files, "C:\\Music\\song.mp3\\"));
    EXPECT_FALSE(FileExists(files, "C:\\Music\\song.mp3\\\\"));
    EXPECT_FALSE(FileExists(files, "C:\\Windows\\"));
    EXPECT_FALSE(FileExists(files, "C:\\Music\\other.mp3"));
    EXPECT_TRUE(FileExists(files, "C:\\" + kSo));
    EXPECT_EQ(files.log.back(), "probe C:\\" + kSo) << "nothing of the name is dropped";

    files.log.clear();
    EXPECT_FALSE(FileExists(files, ""));
    EXPECT_FALSE(FileExists(files, "\\"));
    EXPECT_FALSE(FileExists(files, std::string("C:\\Music\\song.mp3\0", 18)));
    EXPECT_TRUE(files.log.empty()) << "nothing to open";
}

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

TEST(ReplaceFileAtomically, NeverWritesThroughAPlantedNameOrALinkedFolder) {
    FakeFiles planted;
    planted.files[kPath] = kOld;
    planted.links.insert(kTemporary);
    EXPECT_FALSE(ReplaceFileAtomically(planted, kPath, "new"));
    EXPECT_EQ(planted.files[kPath], kOld);
    EXPECT_EQ(planted.Changes(), std::vector<std::string>{"write " + kTemporary})
        << "the planted name is not ours to remove";

    FakeFiles linked;
    linked.files[kPath] = kOld;
    linked.links.insert("C:\\Velmora");
    EXPECT_FALSE(ReplaceFileAtomically(linked, kPath, "new"));
    EXPECT_TRUE(linked.Changes().empty());
}

TEST_F(RealFiles, APlantedLinkOrALinkedFolderIsRefusedAndWhatItLeadsToKept) {
    const std::string victim = folder + "/victim", target = folder + "/x.ini";
    Put(victim, "mine");
    std::filesystem::create_symlink(victim, TemporaryPathFor(target));
    EXPECT_FALSE(ReplaceFileAtomically(files, target, "new"));
    EXPECT_EQ(Slurp(victim), "mine");
    EXPECT_TRUE(std::filesystem::is_symlink(TemporaryPathFor(target)));

    std::filesystem::create_directory_symlink(folder, folder + "/linked");
    EXPECT_FALSE(ReplaceFileAtomically(files, folder + "\\linked\\y.ini", "new"));
    EXPECT_FALSE(std::filesystem::exists(folder + "/y.ini"));
    EXPECT_TRUE(ReplaceFileAtomically(files, folder + "\\y.ini", "new"));
    EXPECT_EQ(Slurp(folder + "/y.ini"), "new");
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
