#include <gtest/gtest.h>

#include <string>

#include "async_read.h"

TEST(AsyncRead, PathsNameTheNetworkAFileOrNothing) {
    const struct {
        std::string path;
        ReadSource source;
        std::string location;
    } cases[] = {
        {"http://example.invalid/a.gif", ReadSource::Http, "http://example.invalid/a.gif"},
        {"HTTPS://127.0.0.1:8080/a.gif?x=1", ReadSource::Http, "HTTPS://127.0.0.1:8080/a.gif?x=1"},
        {"C:\\dir\\a.gif", ReadSource::File, "C:\\dir\\a.gif"},
        {"\\\\server\\share\\a.gif", ReadSource::File, "\\\\server\\share\\a.gif"},
        {"a.gif", ReadSource::File, "a.gif"},
        {"file:///C:/dir/my%20a.gif", ReadSource::File, "C:\\dir\\my a.gif"},
        {"FILE://localhost/d:/x.gif", ReadSource::File, "d:\\x.gif"},
        {"file://server/share/x.gif", ReadSource::File, "\\\\server\\share\\x.gif"},
        {"file:///%83%5C%95%5C.gif", ReadSource::Unsupported, ""},  // no drive
        {"file:///C:/%83%5C%95%5C.gif", ReadSource::File, "C:\\\x83\x5C\x95\x5C.gif"},
        {"file:///C:/bad%2", ReadSource::Unsupported, ""},
        {"file:///C:/bad%zz", ReadSource::Unsupported, ""},
        {"file:///C:/nul%00.gif", ReadSource::Unsupported, ""},
        {"file://server", ReadSource::Unsupported, ""},
        {"file:C:/x.gif", ReadSource::Unsupported, ""},
        {"http:/a.gif", ReadSource::Unsupported, ""},
        {"http:///a.gif", ReadSource::Unsupported, ""},
        {"http://", ReadSource::Unsupported, ""},
        {"ftp://host/a.gif", ReadSource::Unsupported, ""},
        {"mailto:x@y", ReadSource::Unsupported, ""},
        {"", ReadSource::Unsupported, ""},
        {"http://host/a\r\n.gif", ReadSource::Unsupported, ""},
        {std::string("C:\\a\0b", 6), ReadSource::Unsupported, ""},
        {"http://h/" + std::string(kMaxReadPathBytes - 9, 'a'), ReadSource::Http,
         "http://h/" + std::string(kMaxReadPathBytes - 9, 'a')},
        {"http://h/" + std::string(kMaxReadPathBytes - 8, 'a'), ReadSource::Unsupported, ""},
    };
    for (const auto& c : cases) {
        const ReadTarget target = ClassifyReadPath(c.path);
        EXPECT_EQ(target.source, c.source) << c.path;
        EXPECT_EQ(target.location, c.location) << c.path;
    }
}

TEST(AsyncRead, OnlyTheNetFailOptionLetsTheCacheIn) {
    const CachePolicy plain = CachePolicyFor(0), other = CachePolicyFor(0x10 | 0x200);
    EXPECT_TRUE(plain.reload && !plain.writeCache && !plain.cacheFallback);
    EXPECT_TRUE(other.reload && !other.writeCache && !other.cacheFallback);
    const CachePolicy cached = CachePolicyFor(kReadCacheIfNetFails | 1);
    EXPECT_TRUE(!cached.reload && cached.writeCache && cached.cacheFallback);
}

TEST(AsyncRead, ContentLengthIsDigitsOnly) {
    EXPECT_EQ(ParseContentLength("1234"), 1234u);
    EXPECT_EQ(ParseContentLength(" \t0 "), 0u);
    EXPECT_EQ(ParseContentLength("99999999999999999999999"), UINT64_MAX) << "saturates, so any cap refuses it";
    for (const char* bad : {"", "  ", "-1", "+5", "12, 12", "0x10", "1e3", "12 3"})
        EXPECT_EQ(ParseContentLength(bad), std::nullopt) << bad;
}

TEST(AsyncRead, LedgerHoldsTheCapAndJudgesTheEnd) {
    ReadLedger unannounced(100);
    EXPECT_TRUE(unannounced.Announce(std::nullopt));
    EXPECT_TRUE(unannounced.Add(60));
    EXPECT_FALSE(unannounced.Add(41)) << "one byte past the cap";
    EXPECT_EQ(unannounced.Received(), 60u) << "refused bytes are not counted";
    EXPECT_TRUE(unannounced.Add(40));
    EXPECT_EQ(unannounced.AtEnd(), ReadFault::None);

    ReadLedger announced(100);
    EXPECT_FALSE(announced.Announce(101));
    EXPECT_TRUE(announced.Announce(100));
    EXPECT_EQ(announced.Announced(), 100u);
    announced.Add(99);
    EXPECT_EQ(announced.AtEnd(), ReadFault::Short);
    announced.Add(1);
    EXPECT_EQ(announced.AtEnd(), ReadFault::None);

    ReadLedger longer;
    longer.Announce(0);
    longer.Add(1);
    EXPECT_EQ(longer.AtEnd(), ReadFault::Long);
    EXPECT_FALSE(ReadLedger().Announce(std::uint64_t{kMaxReadBytes} + 1));
    EXPECT_FALSE(ReadLedger().Add(std::size_t{kMaxReadBytes} + 1));
}
