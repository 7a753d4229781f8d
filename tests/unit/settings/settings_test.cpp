#include <gtest/gtest.h>

#include <functional>

#include "fake_files.h"
#include "settings.h"

namespace {
const std::string kFolder = "C:\\Program Files\\Velmora";
const std::string kIni = kFolder + "\\Velmora.ini";
const std::string kSong = "C:\\Music\\song.mp3";
const std::string kKind(kKeyBgmKind);
const std::string kRepeat(kKeyBgmRepeat);
const std::string kFile(kKeyBgmFile);

int Kind(const StoredSettings& settings) { return static_cast<int>(settings.BgmKind); }

class Settings : public ::testing::Test {
protected:
    void SetUp() override { files.files[kSong] = "ID3"; }
    StoredSettings Load(const std::string& ini) {
        files.files[kIni] = ini;
        return LoadSettings(files, JapaneseAnsi(), kFolder);
    }
    static std::string Ini(const std::string& kind, const std::string& repeat, const std::string& file) {
        return "[Section]\r\n" + kKind + "=" + kind + "\r\n" + kRepeat + "=" + repeat + "\r\n" + kFile + "=" + file +
               "\r\n";
    }
    FakeFiles files;
};
}  // namespace

TEST(SettingsNames, KeysAreTheCodePage932Bytes) {
    EXPECT_EQ(kKind, "\x42\x47\x4D\x8B\xE6\x95\xAA");
    EXPECT_EQ(kRepeat, "\x42\x47\x4D\xD8\xCB\xDF\xB0\xC4");
    EXPECT_EQ(kFile, "\x42\x47\x4D\xCC\xA7\xB2\xD9");
    EXPECT_EQ(SettingsFilePath("C:\\Velmora"), "C:\\Velmora\\Velmora.ini");
    EXPECT_EQ(SettingsFilePath("C:\\"), "C:\\Velmora.ini");
    EXPECT_EQ(SettingsFilePath("C:\\Ren\xC3\xA9"), "C:\\Ren\xC3\xA9\\Velmora.ini") << "the folder is UTF-8";
    EXPECT_EQ(SettingsFilePath("C:\\\xE3\x82\xBD"), "C:\\\xE3\x82\xBD\\Velmora.ini") << "ソ in UTF-8";
}

TEST_F(Settings, NoFileMeansNoMusicAndTheLauncherFolder) {
    files.files.erase(kIni);
    const StoredSettings s = LoadSettings(files, JapaneseAnsi(), kFolder);
    EXPECT_EQ(Kind(s), 0);
    EXPECT_EQ(s.BgmRepeat, 0);
    EXPECT_EQ(s.BgmFile, "");
    EXPECT_EQ(s.BgmFolder, kFolder);
}

TEST_F(Settings, UnreadableOrOversizedFileLoadsAsNoFile) {
    StoredSettings s;
    files.unreadable.insert(kIni);
    s = Load(Ini(" 2", " 3", kSong));
    EXPECT_EQ(Kind(s), 0);
    EXPECT_EQ(s.BgmFile, "");
    EXPECT_EQ(s.BgmFolder, kFolder);

    files.unreadable.clear();
    std::string big = Ini(" 1", " 3", kSong);
    big.resize(kMaxSettingsFileBytes + 1, ';');
    s = Load(big);
    EXPECT_EQ(Kind(s), 0);
    EXPECT_EQ(s.BgmRepeat, 0);

    big.resize(kMaxSettingsFileBytes);
    s = Load(big);
    EXPECT_EQ(Kind(s), 1) << "at the limit it is still read";
}

TEST_F(Settings, MusicFileSettingWithoutItsFileFallsBackToNoMusic) {
    StoredSettings s;
    s = Load(Ini(" 2", " 0", "C:\\Music\\gone.mp3"));
    EXPECT_EQ(Kind(s), 0);
    EXPECT_EQ(s.BgmFile, "");
    EXPECT_EQ(s.BgmFolder, kFolder);

    s = Load(Ini(" 2", " 0", ""));
    EXPECT_EQ(Kind(s), 0);

    files.folders.insert("C:\\Music");
    s = Load(Ini(" 2", " 0", "C:\\Music\\"));
    EXPECT_EQ(Kind(s), 0) << "a folder is no music file";
}

TEST_F(Settings, CdSettingKeepsItsKindWhateverThePath) {
    StoredSettings s;
    s = Load(Ini(" 1", " 5", ""));
    EXPECT_EQ(Kind(s), 1);
    EXPECT_EQ(s.BgmRepeat, 5);
    s = Load(Ini(" 1", " 5", "C:\\Music\\gone.mp3"));
    EXPECT_EQ(Kind(s), 1);
    EXPECT_EQ(s.BgmFile, "");
    EXPECT_EQ(s.BgmFolder, kFolder);
}

TEST_F(Settings, NumbersAreReadLeniently) {
    StoredSettings s;
    const std::pair<std::string, int> cases[] = {
        {" 2", 2}, {"2", 2}, {"2.9", 2}, {"\" 2 \"", 2}, {"abc", 0}, {"40000", 0}, {"-40000", 0}, {"", 0}, {"3", 3},
    };
    for (const auto& [text, want] : cases) {
        s = Load(Ini(text, text, kSong));
        EXPECT_EQ(Kind(s), want) << text;
        EXPECT_EQ(s.BgmRepeat, want) << text;
    }
    s = Load("[Section]\r\n" + kRepeat + "=-1\r\n");
    EXPECT_EQ(Kind(s), 0) << "missing key";
    EXPECT_EQ(s.BgmRepeat, -1);
}

TEST_F(Settings, AKindWithoutANameComesBackAsItWas) {
    const StoredSettings s = Load(Ini(" 5", " 0", kSong));
    EXPECT_EQ(Kind(s), 5);
    files.files.erase(kIni);
    SaveSettings(files, kFolder, s);
    EXPECT_EQ(Kind(LoadSettings(files, JapaneseAnsi(), kFolder)), 5);
}

TEST_F(Settings, FolderOfTheMusicFile) {
    StoredSettings s;
    s = Load(Ini(" 2", " 0", kSong));
    EXPECT_EQ(Kind(s), 2);
    EXPECT_EQ(s.BgmFile, kSong);
    EXPECT_EQ(s.BgmFolder, "C:\\Music");

    files.files["C:\\song.mp3"] = "ID3";
    s = Load(Ini(" 2", " 0", "C:\\song.mp3"));
    EXPECT_EQ(s.BgmFolder, "C:");

    files.files["C:\\Music\\x.wav"] = "RIFF";
    s = Load(Ini(" 2", " 0", "C:\\Music\\x.wav\\"));
    EXPECT_EQ(s.BgmFile, "C:\\Music\\x.wav\\") << "held as read; FileExists ignores one backslash";
    EXPECT_EQ(s.BgmFolder, "C:\\Music\\x.wav");
}

TEST_F(Settings, LongPathReadsBackCutTo255Bytes) {
    StoredSettings s;
    const std::string longPath = "C:\\" + std::string(300, 'm') + ".mp3";
    const std::string cut = longPath.substr(0, 255);
    files.files[cut] = "a file of exactly that name";
    s = Load(Ini(" 2", " 0", longPath));
    EXPECT_EQ(ReadIni(files, "Section", kFile, kIni), cut);
    EXPECT_EQ(s.BgmFile, cut);
    EXPECT_EQ(Kind(s), 2);
}

TEST_F(Settings, SaveIntoANewFileWritesTheThreeKeysInOrder) {
    files.files.erase(kIni);
    SaveSettings(files, kFolder, {MusicKind::File, 0, kSong, "not stored"});
    EXPECT_EQ(files.files[kIni],
              "[Section]\r\n"
              "BGM\x8B\xE6\x95\xAA= 2\r\n"
              "BGM\xD8\xCB\xDF\xB0\xC4= 0\r\n"
              "BGM\xCC\xA7\xB2\xD9=C:\\Music\\song.mp3\r\n");
    const std::string temporary = TemporaryPathFor(kIni);
    EXPECT_EQ(files.Changes(), (std::vector<std::string>{"write " + temporary, "move " + temporary + " > " + kIni}))
        << "the three values replace the file in one step";
    EXPECT_EQ(files.files.count(temporary), 0u);

    const StoredSettings s = LoadSettings(files, JapaneseAnsi(), kFolder);
    EXPECT_EQ(Kind(s), 2);
    EXPECT_EQ(s.BgmRepeat, 0);
    EXPECT_EQ(s.BgmFile, kSong);
}

TEST_F(Settings, SaveOverAnEditedFileChangesOnlyOurValues) {
    files.files[kIni] =
        "; my notes\n"
        "[Section]\n"
        "bgm\x8B\xE6\x95\xAA = 2\n"
        "Other=1\n"
        "BGM\xCC\xA7\xB2\xD9=\"C:\\Music\\song.mp3\"\n"
        "\n"
        "[Another]\n"
        "BGM\xD8\xCB\xDF\xB0\xC4=9\n";
    SaveSettings(files, kFolder, {MusicKind::Cd, -1, "", ""});
    EXPECT_EQ(files.files[kIni],
              "; my notes\n"
              "[Section]\n"
              "bgm\x8B\xE6\x95\xAA = 1\n"
              "Other=1\n"
              "BGM\xCC\xA7\xB2\xD9=\n"
              "BGM\xD8\xCB\xDF\xB0\xC4=-1\n"
              "\n"
              "[Another]\n"
              "BGM\xD8\xCB\xDF\xB0\xC4=9\n");
}

TEST_F(Settings, WriteIniNeverRewritesAFileItCannotRead) {
    files.unreadable.insert(kIni);
    files.files[kIni] = "locked";
    WriteIni(files, "Section", kKind, " 2", kIni);
    EXPECT_TRUE(files.Changes().empty());

    files.unreadable.clear();
    files.files[kIni] = std::string(kMaxSettingsFileBytes + 1, 'x');
    WriteIni(files, "Section", kKind, " 2", kIni);
    EXPECT_TRUE(files.Changes().empty()) << "a big foreign file is not ours to replace";

    files.files[kIni] = std::string(kMaxSettingsFileBytes - 10, ';');
    WriteIni(files, "Section", kKind, " 2", kIni);
    EXPECT_TRUE(files.Changes().empty()) << "the result would be over the limit";
    EXPECT_EQ(files.files[kIni].size(), kMaxSettingsFileBytes - 10);

    files.folders.insert(kIni);
    WriteIni(files, "Section", kKind, " 2", kIni);
    EXPECT_TRUE(files.Changes().empty());
}

TEST_F(Settings, WriteIniLeavesAnUnchangedFileAloneAndAlwaysReturnsEmpty) {
    files.files[kIni] = Ini(" 2", " 0", kSong);
    EXPECT_EQ(WriteIni(files, "Section", kKind, " 2", kIni), "");
    EXPECT_TRUE(files.Changes().empty());
    EXPECT_EQ(WriteIni(files, "Section", kKind, " 1", kIni), "");
    EXPECT_EQ(files.Changes().size(), 2u);
    EXPECT_EQ(WriteIni(files, "Section", "a=b", " 1", kIni), "");
    EXPECT_EQ(files.Changes().size(), 2u) << "refused by the codec";
}

TEST_F(Settings, NamesCountUpToNulAndWriteIniCutsThemTo127Characters) {
    using namespace std::string_literals;
    files.files[kIni] = Ini(" 2", " 0", kSong);
    EXPECT_EQ(ReadIni(files, "Section\0x"s, kKind + "\0y"s, kIni + "\0z"s), "2");

    files.files.erase(kIni);
    std::string kanji;  // "曲" 130 times: 127 characters are 254 bytes
    for (int i = 0; i < 130; ++i) kanji += "\x8B\xC8";
    WriteIni(files, "Section", kanji, "3", kIni);
    EXPECT_EQ(files.files[kIni], "[Section]\r\n" + kanji.substr(0, 254) + "=3\r\n");
}

// What a failed save reports, so the dialog can say so; the old file stays.
TEST_F(Settings, ASaveThatFailsSaysHowAndLeavesTheFile) {
    struct Case {
        const char* what;
        std::function<void(FakeFiles&)> arrange;
        SaveOutcome outcome;
        std::uint32_t systemError;
    };
    const Case cases[] = {
        {"saved", [](FakeFiles&) {}, SaveOutcome::Saved, 0},
        {"unreadable", [](FakeFiles& f) { f.unreadable.insert(kIni); }, SaveOutcome::Unreadable, 5},
        {"too large", [](FakeFiles& f) { f.files[kIni].resize(kMaxSettingsFileBytes + 1, ';'); }, SaveOutcome::TooLarge,
         0},
        {"read-only folder", [](FakeFiles& f) { f.folders.insert(TemporaryPathFor(kIni)); }, SaveOutcome::NotWritten,
         5},
        {"disk full", [](FakeFiles& f) { f.writeFailsHalfway = true; }, SaveOutcome::NotWritten, 5},
        {"rename refused", [](FakeFiles& f) { f.moveFails = true; }, SaveOutcome::NotWritten, 5},
        {"linked folder", [](FakeFiles& f) { f.links.insert(kFolder); }, SaveOutcome::NotWritten, 0},
    };
    for (const Case& c : cases) {
        FakeFiles f;
        f.files[kIni] = Ini(" 0", " 0", "");
        c.arrange(f);
        f.failureCode = 5;  // ERROR_ACCESS_DENIED, as the system would give it
        const std::string before = f.files[kIni];
        const SaveReport report = SaveSettings(f, kFolder, {MusicKind::File, 0, kSong, ""});
        EXPECT_EQ(report.outcome, c.outcome) << c.what;
        EXPECT_EQ(report.systemError, c.outcome == SaveOutcome::Saved ? 0 : c.systemError) << c.what;
        EXPECT_EQ(report.file, kIni) << c.what;
        if (c.outcome != SaveOutcome::Saved) {
            EXPECT_EQ(f.files[kIni], before) << c.what;
        }
        EXPECT_EQ(f.files.count(TemporaryPathFor(kIni)), 0u) << c.what << ": no temporary file left";
    }
}

// A stored path is kept as its ANSI bytes, found in the file system by its
// UTF-8 name, and its folder is found in the code page it is written in.
TEST(LoadSettingsCodePages, TheMusicFileIsWalkedInTheSystemsCodePage) {
    const auto same = [](std::string_view text) { return std::string(text); };
    // é, the one letter of these paths beyond ASCII, as code page 1252 reads it.
    const auto western = [](std::string_view text) {
        std::string utf8(text);
        for (std::size_t at = utf8.find('\xE9'); at != std::string::npos; at = utf8.find('\xE9', at))
            utf8.replace(at, 1, "\xC3\xA9");
        return utf8;
    };
    struct Case {
        AnsiText ansi;
        std::string stored, fileName, folder;
    };
    const Case cases[] = {
        {{ShiftJis(), same}, "C:\\\x83\x5C\\a.wav", "C:\\\x83\x5C\\a.wav", "C:\\\x83\x5C"},
        {{CodePage::Numbered(936), same}, "C:\\\xD5\x5C\\a.wav", "C:\\\xD5\x5C\\a.wav", "C:\\\xD5\x5C"},
        {{CodePage::Numbered(1252), western}, "C:\\Ren\xE9\\a.wav", "C:\\Ren\xC3\xA9\\a.wav", "C:\\Ren\xC3\xA9"},
    };
    for (const Case& c : cases) {
        FakeFiles files;
        files.files[c.fileName] = "RIFF";
        files.files[kIni] = "[Section]\r\n" + kKind + "= 2\r\n" + kFile + "=" + c.stored + "\r\n";
        const StoredSettings s = LoadSettings(files, c.ansi, kFolder);
        EXPECT_EQ(Kind(s), 2) << c.ansi.codePage.Number();
        EXPECT_EQ(s.BgmFile, c.stored) << c.ansi.codePage.Number() << ": kept as stored";
        EXPECT_EQ(s.BgmFolder, c.folder) << c.ansi.codePage.Number();
    }
}
