#include <gtest/gtest.h>

#include <cstdint>

#include "ini_codec.h"
#include "settings.h"

namespace {
// Shorthands in code page 932 bytes.
const std::string kKind(kKeyBgmKind);      // "BGM区分"
const std::string kRepeat(kKeyBgmRepeat);  // "BGMﾘﾋﾟｰﾄ"
const std::string kFile(kKeyBgmFile);      // "BGMﾌｧｲﾙ"
const std::string kA = "\x83\x41";         // "ア"
const std::string kDi = "\x83\x61";        // "ヂ": trail byte 'a'
const std::string kSo = "\x83\x5C";        // "ソ": trail byte '\'

std::string Get(std::string_view file, std::string_view key, std::string_view section = "Section") {
    return IniGetString(file, section, key, 256);
}

std::string Set(std::string_view file, std::string_view key, std::string_view value,
                std::string_view section = "Section") {
    const auto out = IniSetString(file, section, key, value);
    EXPECT_TRUE(out.has_value()) << "refused: " << key << "=" << value;
    return out.value_or("<refused>");
}
}  // namespace

TEST(IniRead, BlanksAroundKeysAndValuesAndNamesAskedForAreTrimmed) {
    const std::string file = "[Section]\r\n  \t" + kKind + " \t=  \t 2 \t \r\n" + kRepeat + "=-1\r\n";
    EXPECT_EQ(Get(file, kKind), "2");
    EXPECT_EQ(Get(file, kRepeat), "-1");
    EXPECT_EQ(Get(file, " " + kKind + "\t", "  Section "), "2");
    EXPECT_EQ(Get("[Section]\r\n" + kFile + "=   \r\n", kFile), "");
    EXPECT_EQ(Get("[Section]\r\nk=a = b\r\n", "k"), "a = b") << "only the first '=' separates";
    EXPECT_EQ(Get("  [ Section\t]  \r\nk=1\r\n", "k"), "1");
    EXPECT_EQ(Get("[Section]\r\n\x1A\vk\f=\x1A 1\x1A\r\n", "k"), "1") << "VT, FF and Ctrl-Z are blanks";
}

TEST(IniRead, LineEndsAndTheEndOfTheFile) {
    EXPECT_EQ(Get("[Section]\nk=1\nj=2\n", "j"), "2");
    EXPECT_EQ(Get("[Section]\rk=1\rj=2", "j"), "2");
    EXPECT_EQ(Get("[Section]\r\nk=1\r\n\r\n\nj=2", "j"), "2") << "no final line end";
    EXPECT_EQ(Get("[Section]\r\nk=1\r", "k"), "1");
    EXPECT_EQ(Get("[Section]\r\nk=" + kA + "\r\nj=2\r\n", "k"), kA);
    // A lead byte at the end of a line does not take the line end with it.
    EXPECT_EQ(Get("[Section]\r\nk=ab\x81\r\nj=2\r\n", "k"), "ab\x81");
    EXPECT_EQ(Get("[Section]\nk=ab\x81\nj=2\n", "j"), "2");
}

TEST(IniRead, SectionsCommentsAndOtherLines) {
    const std::string file =
        "; settings\r\n"
        "k=top\r\n"
        "[Other]\r\n"
        "k=other\r\n"
        "[Section]\r\n"
        "; k=comment\r\n"
        "k=mine\r\n"
        "k=second\r\n"
        "bare\r\n"
        "bare=shadowed\r\n"
        "[Later]\r\n"
        "j=later\r\n"
        "[Section]\r\n"
        "j=duplicate\r\n";
    EXPECT_EQ(Get(file, "k"), "mine") << "first entry of the section wins";
    EXPECT_EQ(Get(file, "k", "Other"), "other");
    EXPECT_EQ(Get(file, "; k"), "comment") << "a comment is an entry like any other to the reader";
    EXPECT_EQ(Get(file, "bare"), "") << "a line without '=' is the key, without a value";
    EXPECT_EQ(Get(file, "j"), "") << "only the first section of a name is searched";
    EXPECT_EQ(Get(file, "j", "Later"), "later");
    EXPECT_EQ(Get("[Section\r\nk=1\r\n", "k", "Section"), "") << "no ']': no header";
    EXPECT_EQ(Get("[Section] ; note\r\nk=1\r\n", "k"), "1") << "text after the last ']' is ignored";
    EXPECT_EQ(Get("[Sec]tion]\r\nk=1\r\n", "k", "Sec]tion"), "1") << "the name ends at the last ']'";
    EXPECT_EQ(Get("[Sec]tion]\r\nk=1\r\n", "k", "Sec"), "");
}

TEST(IniRead, CaseIsIgnoredForAsciiLettersOnly) {
    const std::string file = "[sECTION]\r\nbgm" + kKind.substr(3) + "=1\r\nx" + kDi + "=2\r\n\x82\x60=3\r\n";
    EXPECT_EQ(Get(file, kKind), "1");
    EXPECT_EQ(Get(file, "X" + kDi), "2");
    // "ア" (83 41) and "ヂ" (83 61) differ only in a trail byte that has the
    // value of 'A' / 'a': they are different characters.
    EXPECT_EQ(Get(file, "x" + kA), "");
    EXPECT_EQ(Get(file, "\x82\x81"), "") << "full-width letters compare as bytes";
}

TEST(IniRead, DoubleByteCharactersAreNotTakenForBrackets) {
    // 83 5D is one character whose trail byte has the value of ']'.
    EXPECT_EQ(Get("[ab\x83]cd]\r\nk=1\r\n", "k", "ab\x83]cd"), "1");
    EXPECT_EQ(Get("[ab\x83]\r\nk=1\r\n", "k", "ab\x83"), "") << "no ']' of its own: no header";
    EXPECT_EQ(Get("[ab]\x83]\r\nk=1\r\n", "k", "ab"), "1");
    EXPECT_EQ(Get("[Section]\r\nC:\\" + kSo + "=" + kSo + "\r\n", "c:\\" + kSo), kSo);
}

TEST(IniRead, OnePairOfMatchingQuotesIsRemoved) {
    const auto value = [](std::string_view v) { return Get("[Section]\r\nk=" + std::string(v) + "\r\n", "k"); };
    EXPECT_EQ(value("\"C:\\My Music\\a.mp3\""), "C:\\My Music\\a.mp3");
    EXPECT_EQ(value("'x'"), "x");
    EXPECT_EQ(value("  \" 2 \"  "), " 2 ") << "blanks inside the quotes stay";
    EXPECT_EQ(value("\"\"x\"\""), "\"x\"") << "one pair only";
    EXPECT_EQ(value("\"\""), "");
    EXPECT_EQ(value("\""), "\"");
    EXPECT_EQ(value("\"x'"), "\"x'");
    EXPECT_EQ(value("\"a\" b"), "\"a\" b");
}

TEST(IniRead, ValueIsCutToTheBufferByByteCount) {
    const std::string ascii(300, 'p');
    EXPECT_EQ(Get("[Section]\r\nk=" + ascii + "\r\n", "k"), ascii.substr(0, 255));
    EXPECT_EQ(IniGetString("[Section]\r\nk=abc\r\n", "Section", "k", 3), "ab");
    EXPECT_EQ(IniGetString("[Section]\r\nk=abc\r\n", "Section", "k", 1), "");
    EXPECT_EQ(IniGetString("[Section]\r\nk=abc\r\n", "Section", "k", 0), "");

    // 254 single bytes, then a double-byte character across the cut: its
    // lead byte is kept, its trail byte is not.
    const std::string split = std::string(254, 'p') + kA + "tail";
    const std::string got = Get("[Section]\r\nk=" + split + "\r\n", "k");
    ASSERT_EQ(got.size(), 255u);
    EXPECT_EQ(got, split.substr(0, 255));
    EXPECT_EQ(got.back(), '\x83');

    // Quotes go before the cut: the 255 bytes are all the value's own.
    const std::string quoted = "\"" + ascii + "\"";
    EXPECT_EQ(Get("[Section]\r\nk=" + quoted + "\r\n", "k"), ascii.substr(0, 255));
    const std::string inner(255, 'q');
    EXPECT_EQ(Get("[Section]\r\nk=\"" + inner + "\"\r\n", "k"), inner);
}

TEST(IniRead, MissingPartsAndNulBytes) {
    EXPECT_EQ(Get("", "k"), "");
    EXPECT_EQ(Get("k=1\r\n", "k"), "") << "entries before any section belong to none";
    EXPECT_EQ(Get("[Other]\r\nk=1\r\n", "k"), "");
    EXPECT_EQ(Get("[Section]\r\nj=1\r\n", "k"), "");
    EXPECT_EQ(Get("[Section]\r\nk=1\r\n", ""), "");
    EXPECT_EQ(Get("[Section]\r\nk=1\r\n", "k", ""), "");
    using namespace std::string_literals;
    EXPECT_EQ(Get("[Section]\r\nk=ab\0cd\r\n"s, "k"), "ab") << "a value ends at NUL";
    EXPECT_EQ(Get("[Section]\r\nk\0junk=1\r\n"s, "k"), "1") << "so does a key";
    EXPECT_EQ(Get("[Section]\r\nk=\"ab\0c\"\r\n"s, "k"), "\"ab");
}

TEST(IniWrite, NewFileIsSectionThenKeysInOrderWithCrLf) {
    std::string file;
    file = Set(file, kKind, " 2");
    file = Set(file, kRepeat, " 0");
    file = Set(file, kFile, "C:\\Music\\song.mp3");
    EXPECT_EQ(file,
              "[Section]\r\n"
              "BGM\x8B\xE6\x95\xAA= 2\r\n"
              "BGM\xD8\xCB\xDF\xB0\xC4= 0\r\n"
              "BGM\xCC\xA7\xB2\xD9=C:\\Music\\song.mp3\r\n");
    EXPECT_EQ(Set(file, kFile, ""),
              "[Section]\r\n"
              "BGM\x8B\xE6\x95\xAA= 2\r\n"
              "BGM\xD8\xCB\xDF\xB0\xC4= 0\r\n"
              "BGM\xCC\xA7\xB2\xD9=\r\n")
        << "an empty value keeps its key";
}

TEST(IniWrite, ValueIsReplacedInPlaceAndEveryOtherByteSurvives) {
    const std::string before =
        "; Velmora\n"
        "[Other]\n"
        "bgm" +
        kKind.substr(3) +
        "=9\n"
        "\n"
        "[section]   ; mine\n"
        "  Bgm" +
        kKind.substr(3) +
        "  =\t 1  \n"
        "x=\"keep\"\n"
        "[Section]\n" +
        kKind + "=shadowed\n";
    const std::string after =
        "; Velmora\n"
        "[Other]\n"
        "bgm" +
        kKind.substr(3) +
        "=9\n"
        "\n"
        "[section]   ; mine\n"
        "  Bgm" +
        kKind.substr(3) +
        "  = 2\n"
        "x=\"keep\"\n"
        "[Section]\n" +
        kKind + "=shadowed\n";
    EXPECT_EQ(Set(before, kKind, " 2"), after);
    EXPECT_EQ(Get(after, kKind), "2");

    EXPECT_EQ(Set("[Section]\r\nk=old", "k", "new"), "[Section]\r\nk=new") << "no line end added";
    EXPECT_EQ(Set("[Section]\r\nk=old\r\nk=second\r\n", "k", "new"), "[Section]\r\nk=new\r\nk=second\r\n");
}

TEST(IniWrite, NewKeyGoesAfterTheLastNonBlankLineOfItsSection) {
    EXPECT_EQ(Set("[Section]\nk=1\n; end of mine\n\n\n[Next]\nj=2\n", "n", "3"),
              "[Section]\nk=1\n; end of mine\nn=3\n\n\n[Next]\nj=2\n");
    EXPECT_EQ(Set("[Section]\r\n\r\n[Next]\r\n", "n", "3"), "[Section]\r\nn=3\r\n\r\n[Next]\r\n");
    EXPECT_EQ(Set("[Section]\r\nk=1", "n", "3"), "[Section]\r\nk=1\r\nn=3\r\n");
    EXPECT_EQ(Set("[Section]\rk=1\r", "n", "3"), "[Section]\rk=1\rn=3\r");
    EXPECT_EQ(Set("[section]\r\n  k  \r\nj=1\r\n", "K", "3"), "[section]\r\n  k=3\r\nj=1\r\n")
        << "a bare key gets its '='";
}

TEST(IniWrite, NewSectionIsAppendedInTheFilesLineEndStyle) {
    EXPECT_EQ(Set("[Other]\nj=1\n", "k", "v"), "[Other]\nj=1\n[Section]\nk=v\n");
    EXPECT_EQ(Set("[Other]\nj=1", "k", "v"), "[Other]\nj=1\n[Section]\nk=v\n");
    EXPECT_EQ(Set("; only a comment", "k", "v"), "; only a comment\r\n[Section]\r\nk=v\r\n");
    EXPECT_EQ(Set("\xEF\xBB\xBF[Section]\r\n", "k", "v"), "\xEF\xBB\xBF[Section]\r\n[Section]\r\nk=v\r\n")
        << "a UTF-8 mark is just bytes before the '['";
}

TEST(IniWrite, ValuesAreWrittenAsGivenAndReadBack) {
    const std::string values[] = {
        " 2", "-1", "", kA + kSo + "\\x.mp3", "C:\\" + kSo + "\\" + kDi + ".wav", "a=b", "[x]", "; not a comment"};
    for (const auto& value : values) {
        const std::string file = Set("", "k", value);
        EXPECT_EQ(file, "[Section]\r\nk=" + value + "\r\n");
        EXPECT_EQ(Get(file, "k"), value.substr(value[0] == ' ' ? 1 : 0));
    }
    EXPECT_EQ(Set("", " k ", "v", " Section "), "[Section]\r\nk=v\r\n") << "names are trimmed";
}

TEST(IniWrite, EditsThatWouldReadBackAsSomethingElseAreRefused) {
    using namespace std::string_literals;
    const std::string file = "[Section]\r\nk=1\r\n";
    EXPECT_FALSE(IniSetString(file, "Section", "", "v"));
    EXPECT_FALSE(IniSetString(file, "", "k", "v"));
    EXPECT_FALSE(IniSetString(file, "Section", "k", "a\r\nj=2"));
    EXPECT_FALSE(IniSetString(file, "Section", "k\nj", "v"));
    EXPECT_FALSE(IniSetString(file, "Sec]tion", "k", "v"));
    EXPECT_FALSE(IniSetString(file, "Section", "a=b", "v"));
    EXPECT_FALSE(IniSetString(file, "Section", "[k", "v"));
    EXPECT_FALSE(IniSetString(file, "Section", "k\x81", "v")) << "lead byte would swallow '='";
    EXPECT_FALSE(IniSetString(file, "Sec\x81", "k", "v")) << "lead byte would swallow ']'";
    EXPECT_FALSE(IniSetString("\xFF\xFE[\0S\0"s, "Section", "k", "v")) << "UTF-16 file";
    // Double-byte characters whose trail bytes look like ']' or '=' are fine.
    EXPECT_EQ(Set(file, "k", "v", "S\x83]"), file + "[S\x83]]\r\nk=v\r\n");
    // NUL ends each string, as for the system call.
    EXPECT_EQ(Set(file, "k\0x"s, "v\0w"s, "Section\0y"s), "[Section]\r\nk=v\r\n");
}

TEST(IniWrite, TheEqualsGivenToABareKeyIsNeverTakenAsATrailByte) {
    using namespace std::string_literals;
    // The name ends at the NUL, so this damaged line is the bare key k. Its
    // text ends in a lead byte with nothing after it: a '=' put right there
    // would be that character's trail byte, and the key would stay bare.
    const std::string file = "[Section]\r\nk\0junk\x81\r\nj=2\r\n"s;
    const std::string after = Set(file, "k", "v");
    EXPECT_EQ(after, "[Section]\r\nk\0junk\x81 =v\r\nj=2\r\n"s);
    EXPECT_EQ(Get(after, "k"), "v");
    EXPECT_EQ(Get(after, "j"), "2");
    EXPECT_EQ(Set(after, "k", "v"), after) << "the second save changes nothing";
    // A lead byte with its trail byte ends a character: nothing goes between.
    EXPECT_EQ(Set("[Section]\r\nk\0x"s + kSo + "\r\n", "k", "v"), "[Section]\r\nk\0x"s + kSo + "=v\r\n");
}

// Any bytes at all: reading is bounded, and a write that is accepted reads
// back as written.
TEST(IniCodec, ArbitraryBytesGiveBoundedResultsAndWritesReadBack) {
    const char alphabet[] = {'[',    ']',    '=', '\r', '\n', ' ', '\t', '"', '\'', '\0', '\x81', '\x83', '\x5C',
                             '\xFC', '\xFF', 'k', 'K',  'S',  'e', 'c',  't', 'i',  'o',  'n',    'v',    ';'};
    std::uint32_t state = 12345;
    const auto next = [&state] { return state = state * 1103515245u + 12345u; };
    for (int round = 0; round < 3000; ++round) {
        std::string file(next() % 200, '\0');
        for (char& c : file) c = alphabet[(next() >> 16) % sizeof alphabet];
        const std::string read = IniGetString(file, "Section", "k", 256);
        ASSERT_LE(read.size(), 255u);
        ASSERT_EQ(read.find('\0'), std::string::npos);
        ASSERT_NE(file.find(read), std::string::npos) << "a value is bytes of the file";

        const std::string value = round % 2 ? "v" + kA : " 2";
        const auto written = IniSetString(file, "Section", "k", value);
        if (!written) continue;
        ASSERT_EQ(IniGetString(*written, "Section", "k", 256), value.substr(value[0] == ' ' ? 1 : 0))
            << "round " << round;
    }
}
