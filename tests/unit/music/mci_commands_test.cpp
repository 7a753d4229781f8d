#include <gtest/gtest.h>

#include "nimbel_bgm.h"
#include "scripted_multimedia.h"

TEST(MciSend, RepliesWithTheTextOrTheErrorText) {
    // "コマンド文字列が指定されていません" and "Error (文字列が取れません)" in code page 932
    const std::string noCommand =
        "\x83\x52\x83\x7d\x83\x93\x83\x68\x95\xb6\x8e\x9a\x97\xf1\x82\xaa\x8e\x77\x92\xe8\x82\xb3"
        "\x82\xea\x82\xc4\x82\xa2\x82\xdc\x82\xb9\x82\xf1";
    const std::string noErrorText = "Error (\x95\xb6\x8e\x9a\x97\xf1\x82\xaa\x8e\xe6\x82\xea\x82\xdc\x82\xb9\x82\xf1)";
    ScriptedMultimedia mci;
    Nimbel_BGM bgm(mci, {});
    std::string reply;
    EXPECT_EQ(bgm.MciSend("", reply), -1);
    EXPECT_EQ(reply, noCommand);

    mci.Expect("status cdaudio current track", 512, 0, std::string("12\0junk", 7));
    EXPECT_EQ(bgm.MciSend("status cdaudio current track", reply), 0);
    EXPECT_EQ(reply, "12");

    mci.Expect("status cdaudio mode", 512, 263).Expect("status cdaudio mode", 512, 263);
    EXPECT_EQ(bgm.MciSend("status cdaudio mode", reply), 263);
    EXPECT_EQ(reply, mci.errorText);
    mci.errorStringWorks = false;
    EXPECT_EQ(bgm.MciSend("status cdaudio mode", reply), 263);
    EXPECT_EQ(reply, noErrorText);
    EXPECT_EQ(mci.errorCodesAsked, (std::vector<std::uint32_t>{263, 263}));
}

TEST(MciStatusAndPlay, ErrorCodeInPlaceOfTheReplyAndPlayFromNonEmptyParts) {
    ScriptedMultimedia mci;
    Nimbel_BGM bgm(mci, {});
    mci.Expect("status cdaudio position track 3", 512, 275);
    EXPECT_EQ(bgm.MciStatus("status cdaudio position track 3"), "Error:275");
    EXPECT_EQ(bgm.MciStatus(""), "Error:-1");

    mci.Expect("play cdaudio from 1 to 2", 512)
        .Expect("play cdaudio from 1", 512)
        .Expect("play cdaudio to 2", 512)
        .Expect("play cdaudio", 512, 275);
    EXPECT_EQ(bgm.MciPlay("cdaudio", "1", "2"), 0);
    EXPECT_EQ(bgm.MciPlay("cdaudio", "1", ""), 0);
    EXPECT_EQ(bgm.MciPlay("cdaudio", "", "2"), 0);
    EXPECT_EQ(bgm.MciPlay("cdaudio", "", ""), 275);
}
