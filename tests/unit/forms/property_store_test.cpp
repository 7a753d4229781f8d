#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "property_store.h"

namespace {
using Bytes = std::vector<std::uint8_t>;

struct Recorded {
    PropertyStore store;
    std::vector<std::string> heard;
    Recorded() {
        store.AddChangedListener([this](std::string_view name) { heard.emplace_back(name); });
    }
};

Bytes Record(std::string_view key, std::uint8_t type, const Bytes& value) {
    Bytes out{static_cast<std::uint8_t>(key.size()), static_cast<std::uint8_t>(key.size() >> 8)};
    out.insert(out.end(), key.begin(), key.end());
    out.push_back(type);
    for (int s = 0; s < 32; s += 8) out.push_back(static_cast<std::uint8_t>(value.size() >> s));
    out.insert(out.end(), value.begin(), value.end());
    return out;
}

Bytes Bag(std::uint32_t count, const std::vector<Bytes>& records) {
    Bytes out{'V', 'P', 'B', 1};
    for (int s = 0; s < 32; s += 8) out.push_back(static_cast<std::uint8_t>(count >> s));
    for (const auto& r : records) out.insert(out.end(), r.begin(), r.end());
    return out;
}

// Parses into a store that held something; a refusal must leave it empty.
bool Parses(const Bytes& bytes) {
    PropertyStore store;
    store.Write("left", std::int32_t{7}, std::int32_t{0});
    const bool ok = store.Parse(bytes);
    EXPECT_TRUE(ok || store.Count() == 0);
    return ok;
}
}  // namespace

TEST(PropertyStore, KeysIgnoreAsciiCaseDefaultsAreNotStoredTypesMustMatch) {
    PropertyStore store;
    store.Write("FontColour", Colour{0x00FF0000}, Colour{0});
    store.Write("FONTcolour", Colour{0x000000FF}, Colour{0});
    ASSERT_EQ(store.Count(), 1u);
    EXPECT_EQ(store.Entries()[0].key, "fontcolour");
    EXPECT_EQ(store.Read("fontCOLOUR", Colour{0}), Colour{0x000000FF});
    store.Write("\xC3\x84x", std::int32_t{1}, std::int32_t{0});
    EXPECT_EQ(store.Read("\xC3\xA4X", std::int32_t{0}), 0) << "only ASCII letters fold";

    store.Write("Caption", "Command", "Command");
    EXPECT_EQ(store.Find("caption"), nullptr);
    store.Write("Caption", "OK", "Command");
    EXPECT_EQ(store.Read("Caption", "Command"), "OK");
    store.Write("caption", "Command", "Command");
    EXPECT_EQ(store.Find("caption"), nullptr) << "back at its default: removed";

    store.Write("Delay", std::int16_t{120}, std::int16_t{50});
    EXPECT_EQ(store.Read("Delay", std::int16_t{50}), 120);
    EXPECT_EQ(store.Read("Delay", std::int32_t{50}), 50) << "another type reads as the default";
    EXPECT_EQ(store.ReadValue("Delay", PropertyValue(true)), PropertyValue(true));
    store.WriteValue("Stretch", std::int16_t{1}, std::int32_t{1});
    EXPECT_NE(store.Find("stretch"), nullptr) << "equal to the default means the same type too";
}

TEST(PropertyStore, ListenersHearChangesOnly) {
    Recorded r;
    r.store.Write("Stretch", std::int32_t{4}, std::int32_t{1});  // added
    r.store.Write("Stretch", std::int32_t{4}, std::int32_t{1});  // unchanged: silent
    r.store.Write("STRETCH", std::int32_t{2}, std::int32_t{1});  // changed
    r.store.Write("Stretch", std::int32_t{1}, std::int32_t{1});  // removed
    r.store.Write("Stretch", std::int32_t{1}, std::int32_t{1});  // absent and default: silent
    r.store.NotifyChanged("DelayAnimation");                     // a name that is no key
    EXPECT_FALSE(r.store.Write("", std::int32_t{2}, std::int32_t{1}));
    EXPECT_TRUE(r.store.Parse(r.store.Serialize()));
    EXPECT_EQ(r.heard, (std::vector<std::string>{"Stretch", "STRETCH", "Stretch", "DelayAnimation"}));

    // A key too long for the string's inline buffer: the name heard must not
    // be read from the entry that the write removed.
    r.store.Write("CaptionOfTheBanner", "OK", "Command");
    r.store.Write(r.store.Entries()[0].key, "Command", "Command");
    EXPECT_EQ(r.heard.back(), "captionofthebanner");
}

TEST(PropertyStore, ListenersMayChangeTheListAndTheStoreWhileNotified) {
    PropertyStore store;
    std::vector<std::string> log;
    PropertyStore::ListenerId second = 0;
    store.AddChangedListener([&](std::string_view name) {
        log.push_back("1:" + std::string(name));
        store.RemoveChangedListener(second);
        store.AddChangedListener([&](std::string_view n) { log.push_back("new:" + std::string(n)); });
        if (name == "Loops") store.Write("Mirror", std::int32_t{1}, std::int32_t{0});
    });
    second = store.AddChangedListener([&](std::string_view name) { log.push_back("2:" + std::string(name)); });
    store.Write("Loops", std::int32_t{3}, std::int32_t{0});
    EXPECT_EQ(log, (std::vector<std::string>{"1:Loops", "1:Mirror", "new:Mirror"}))
        << "the removed listener is skipped; one added during a notification joins from the next one";
}

TEST(PropertyStore, WritesBeyondTheCapsAreRefusedAndChangeNothing) {
    Recorded r;
    EXPECT_FALSE(r.store.Write(std::string(256, 'k'), true, false));
    EXPECT_TRUE(r.store.Write(std::string(255, 'k'), true, false));
    for (std::size_t i = 1; i < kMaxPropertyKeys; ++i) r.store.Write("k" + std::to_string(i), true, false);
    EXPECT_FALSE(r.store.Write("onemore", true, false));
    EXPECT_TRUE(r.store.Write("k1", std::int32_t{2}, std::int32_t{0})) << "replacing a value needs no new slot";
    r.store.Clear();
    r.heard.clear();

    const std::size_t room = kMaxPropertyBagBytes - kPropertyBagHeaderBytes - (7 + 3);  // record overhead, "gif"
    EXPECT_FALSE(r.store.Write("gif", Bytes(room + 1), Bytes{}));
    ASSERT_TRUE(r.store.Write("gif", Bytes(room), Bytes{}));
    EXPECT_FALSE(r.store.Write("x", true, false));
    EXPECT_FALSE(r.store.Write("gif", Bytes(room + 1, 1), Bytes{}));
    EXPECT_EQ(r.store.Find("gif") ? std::get<Bytes>(*r.store.Find("gif")).size() : 0, room);
    EXPECT_EQ(r.heard.size(), 1u);
    EXPECT_TRUE(r.store.Parse(r.store.Serialize())) << "a bag at the cap still parses";
}

TEST(PropertyStore, SerialisesToTheDocumentedBytes) {
    PropertyStore store;
    store.Write("Enabled", false, true);
    store.Write("FontColour", Colour{0x00C0FFEE}, Colour{0});
    store.Write("Font", FontSpec{"MS", 975, 700, true, false, true, 128}, FontSpec{});
    const Bytes expected = Bag(3, {Record("enabled", 1, {0}), Record("fontcolour", 5, {0xEE, 0xFF, 0xC0, 0x00}),
                                   Record("font", 8, {0xCF, 0x03, 0, 0, 0xBC, 0x02, 5, 128, 'M', 'S'})});
    EXPECT_EQ(store.Serialize(), expected);
    PropertyStore parsed;
    ASSERT_TRUE(parsed.Parse(expected));
    EXPECT_EQ(parsed.Entries(), store.Entries());
}

TEST(PropertyStore, EveryTypeRoundTripsInWriteOrderAndEveryCutIsRefused) {
    PropertyStore store;
    store.Write("Enabled", false, true);
    store.Write("FirstRun", std::uint8_t{1}, std::uint8_t{0});
    store.Write("Delay", std::int16_t{-32768}, std::int16_t{50});
    store.Write("Stretch", std::int32_t{-2147483647 - 1}, std::int32_t{1});
    store.Write("FontColour", Colour{0x80000006}, Colour{0});
    store.Write("Caption", "\xE8\xA8\xAD\xE5\xAE\x9A", "Command");
    store.Write("Empty", std::string(), std::string("x"));
    store.Write("GIF", Bytes{'G', 'I', 'F', 0, 0xFF}, Bytes{});
    store.Write("NoData", Bytes{}, Bytes{1});
    store.Write("Font", FontSpec{"\xEF\xBC\xAD\xEF\xBC\xB3", 975, 400, false, true, false, 128}, FontSpec{});
    store.Write("MouseIcon", PictureData{PictureFormat::Cursor, {0, 0, 2, 0}}, PictureData{});
    store.Write("Enabled", true, true);   // removed: the others keep their order
    store.Write("Enabled", false, true);  // written again: now last
    const Bytes bytes = store.Serialize();
    EXPECT_EQ(bytes.size(), store.SerializedSize());

    PropertyStore parsed;
    ASSERT_TRUE(parsed.Parse(bytes));
    EXPECT_EQ(parsed.Entries(), store.Entries());
    EXPECT_EQ(parsed.Entries().back().key, "enabled");
    EXPECT_EQ(parsed.SerializedSize(), bytes.size());

    for (std::size_t length = 0; length < bytes.size(); ++length)
        EXPECT_FALSE(Parses(Bytes(bytes.begin(), bytes.begin() + length))) << "length " << length;
    Bytes longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(Parses(longer));
}

TEST(PropertyStore, MalformedBagsAreRefused) {
    const Bytes ok = Record("delay", 3, {50, 0});
    EXPECT_TRUE(Parses(Bag(1, {ok})));
    EXPECT_FALSE(Parses({'V', 'P', 'B', 2, 0, 0, 0, 0})) << "another format version";
    EXPECT_FALSE(Parses(Bag(2, {ok}))) << "count beyond the records";
    EXPECT_FALSE(Parses(Bag(0xFFFFFFFF, {ok})));
    EXPECT_FALSE(Parses(Bag(1, {Record("", 1, {1})})));
    EXPECT_FALSE(Parses(Bag(1, {Record(std::string(256, 'k'), 1, {1})})));
    EXPECT_FALSE(Parses(Bag(1, {Record("Delay", 3, {50, 0})}))) << "keys are stored in lower case";
    EXPECT_FALSE(Parses(Bag(2, {ok, Record("delay", 4, {1, 0, 0, 0})}))) << "duplicate key";
    for (std::uint8_t type : {0, 10, 255}) EXPECT_FALSE(Parses(Bag(1, {Record("k", type, {1})}))) << int(type);
    EXPECT_FALSE(Parses(Bag(1, {Record("k", 1, {2})}))) << "a boolean is 0 or 1";
    for (const auto& [type, size] : {std::pair{1, 1}, {2, 1}, {3, 2}, {4, 4}, {5, 4}, {8, 8}}) {
        EXPECT_FALSE(Parses(Bag(1, {Record("k", type, Bytes(size - 1))}))) << type;
        if (type != 8) {  // a longer font has a longer name
            EXPECT_FALSE(Parses(Bag(1, {Record("k", type, Bytes(size + 1))}))) << type;
        }
    }
    EXPECT_FALSE(Parses(Bag(1, {Record("k", 8, {0, 0, 0, 0, 0, 0, 8, 0})}))) << "unknown font flag";
    EXPECT_TRUE(Parses(Bag(1, {Record("k", 9, {3, 0})})));
    for (const Bytes& picture : {Bytes{}, Bytes{5, 0}, Bytes{0, 0}, Bytes{3}})
        EXPECT_FALSE(Parses(Bag(1, {Record("k", 9, picture)}))) << "picture format and bytes must agree";

    Bytes pastTheEnd = Bag(1, {Record("gif", 7, {1, 2, 3})});
    pastTheEnd[14] = 0xFF, pastTheEnd[15] = 0xFF, pastTheEnd[16] = 0xFF, pastTheEnd[17] = 0xFF;
    EXPECT_FALSE(Parses(pastTheEnd)) << "a value length of 4 GiB";
    const std::size_t room = kMaxPropertyBagBytes - kPropertyBagHeaderBytes - (7 + 3);
    EXPECT_FALSE(Parses(Bag(1, {Record("gif", 7, Bytes(room + 1))}))) << "one byte over the size cap";
    EXPECT_TRUE(Parses(Bag(1, {Record("gif", 7, Bytes(room))})));

    std::vector<Bytes> records;
    for (std::size_t i = 0; i <= kMaxPropertyKeys; ++i) records.push_back(Record("k" + std::to_string(i), 2, {0}));
    EXPECT_FALSE(Parses(Bag(kMaxPropertyKeys + 1, records)));
    records.pop_back();
    EXPECT_TRUE(Parses(Bag(kMaxPropertyKeys, records)));
}
