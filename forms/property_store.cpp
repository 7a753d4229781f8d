#include "property_store.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr std::uint8_t kMagic[4] = {'V', 'P', 'B', 1};
// u16 key length + u8 type + u32 value length.
constexpr std::size_t kRecordOverhead = 2 + 1 + 4;
constexpr std::size_t kFontFixedBytes = 8;
constexpr std::uint8_t kFontItalic = 1, kFontUnderline = 2, kFontStrikethrough = 4;

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool KeysMatch(std::string_view lowerKey, std::string_view key) {
    if (lowerKey.size() != key.size()) return false;
    for (std::size_t i = 0; i < key.size(); ++i)
        if (lowerKey[i] != LowerAscii(key[i])) return false;
    return true;
}

bool ValidKeyLength(std::size_t length) { return length >= 1 && length <= kMaxPropertyKeyBytes; }

std::size_t EncodedValueSize(const PropertyValue& value) {
    switch (TypeOf(value)) {
    case PropertyType::Bool:
    case PropertyType::Byte: return 1;
    case PropertyType::Int16: return 2;
    case PropertyType::Int32:
    case PropertyType::Colour: return 4;
    case PropertyType::String: return std::get<std::string>(value).size();
    case PropertyType::Bytes: return std::get<PropertyBytes>(value).size();
    case PropertyType::Font: return kFontFixedBytes + std::get<FontSpec>(value).name.size();
    case PropertyType::Picture: return 1 + std::get<PictureData>(value).bytes.size();
    }
    return 0;
}

std::size_t RecordSize(std::string_view key, const PropertyValue& value) {
    return kRecordOverhead + key.size() + EncodedValueSize(value);
}

// --- writing -----------------------------------------------------------------

void PutU8(std::vector<std::uint8_t>& out, std::uint8_t v) { out.push_back(v); }
void PutU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}
void PutBytes(std::vector<std::uint8_t>& out, const void* data, std::size_t size) {
    if (size == 0) return;
    const std::size_t at = out.size();
    out.resize(at + size);
    std::memcpy(out.data() + at, data, size);
}

void PutValue(std::vector<std::uint8_t>& out, const PropertyValue& value) {
    switch (TypeOf(value)) {
    case PropertyType::Bool: PutU8(out, std::get<bool>(value) ? 1 : 0); break;
    case PropertyType::Byte: PutU8(out, std::get<std::uint8_t>(value)); break;
    case PropertyType::Int16: PutU16(out, static_cast<std::uint16_t>(std::get<std::int16_t>(value))); break;
    case PropertyType::Int32: PutU32(out, static_cast<std::uint32_t>(std::get<std::int32_t>(value))); break;
    case PropertyType::Colour: PutU32(out, std::get<Colour>(value).value); break;
    case PropertyType::String: {
        const auto& text = std::get<std::string>(value);
        PutBytes(out, text.data(), text.size());
        break;
    }
    case PropertyType::Bytes: {
        const auto& bytes = std::get<PropertyBytes>(value);
        PutBytes(out, bytes.data(), bytes.size());
        break;
    }
    case PropertyType::Font: {
        const auto& font = std::get<FontSpec>(value);
        PutU32(out, static_cast<std::uint32_t>(font.sizeCentipoints));
        PutU16(out, font.weight);
        PutU8(out, static_cast<std::uint8_t>((font.italic ? kFontItalic : 0) | (font.underline ? kFontUnderline : 0) |
                                             (font.strikethrough ? kFontStrikethrough : 0)));
        PutU8(out, font.charset);
        PutBytes(out, font.name.data(), font.name.size());
        break;
    }
    case PropertyType::Picture: {
        const auto& picture = std::get<PictureData>(value);
        PutU8(out, static_cast<std::uint8_t>(picture.format));
        PutBytes(out, picture.bytes.data(), picture.bytes.size());
        break;
    }
    }
}

// --- reading -----------------------------------------------------------------

// A cursor over the input that never reads past its end.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::size_t Remaining() const { return bytes_.size() - position_; }
    bool Take(std::size_t n, const std::uint8_t*& at) {
        if (n > Remaining()) return false;
        at = bytes_.data() + position_;
        position_ += n;
        return true;
    }
    bool U8(std::uint8_t& v) {
        const std::uint8_t* p;
        if (!Take(1, p)) return false;
        v = p[0];
        return true;
    }
    bool U16(std::uint16_t& v) {
        const std::uint8_t* p;
        if (!Take(2, p)) return false;
        v = static_cast<std::uint16_t>(p[0] | p[1] << 8);
        return true;
    }
    bool U32(std::uint32_t& v) {
        const std::uint8_t* p;
        if (!Take(4, p)) return false;
        v = LoadU32(p);
        return true;
    }
    static std::uint32_t LoadU32(const std::uint8_t* p) {
        return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
               static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

// Decodes one value of a known type from exactly `size` bytes at p.
bool DecodeValue(std::uint8_t type, const std::uint8_t* p, std::size_t size, PropertyValue& value) {
    switch (static_cast<PropertyType>(type)) {
    case PropertyType::Bool:
        if (size != 1 || p[0] > 1) return false;
        value.emplace<bool>(p[0] == 1);
        return true;
    case PropertyType::Byte:
        if (size != 1) return false;
        value.emplace<std::uint8_t>(p[0]);
        return true;
    case PropertyType::Int16:
        if (size != 2) return false;
        value.emplace<std::int16_t>(static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | p[1] << 8)));
        return true;
    case PropertyType::Int32:
        if (size != 4) return false;
        value.emplace<std::int32_t>(static_cast<std::int32_t>(Reader::LoadU32(p)));
        return true;
    case PropertyType::Colour:
        if (size != 4) return false;
        value.emplace<Colour>(Colour{Reader::LoadU32(p)});
        return true;
    case PropertyType::String: value.emplace<std::string>(reinterpret_cast<const char*>(p), size); return true;
    case PropertyType::Bytes: value.emplace<PropertyBytes>(p, p + size); return true;
    case PropertyType::Font: {
        if (size < kFontFixedBytes) return false;
        const std::uint8_t flags = p[6];
        if (flags & ~(kFontItalic | kFontUnderline | kFontStrikethrough)) return false;
        FontSpec font;
        font.sizeCentipoints = static_cast<std::int32_t>(Reader::LoadU32(p));
        font.weight = static_cast<std::uint16_t>(p[4] | p[5] << 8);
        font.italic = flags & kFontItalic;
        font.underline = flags & kFontUnderline;
        font.strikethrough = flags & kFontStrikethrough;
        font.charset = p[7];
        font.name.assign(reinterpret_cast<const char*>(p + kFontFixedBytes), size - kFontFixedBytes);
        value.emplace<FontSpec>(std::move(font));
        return true;
    }
    case PropertyType::Picture: {
        if (size < 1 || p[0] > kMaxPictureFormat) return false;
        // A picture is either none, with no bytes, or a file, with some.
        if ((p[0] == 0) != (size == 1)) return false;
        value.emplace<PictureData>(PictureData{static_cast<PictureFormat>(p[0]), PropertyBytes(p + 1, p + size)});
        return true;
    }
    }
    return false;  // unknown type code
}
}  // namespace

PropertyType TypeOf(const PropertyValue& value) {
    // The variant's alternatives are declared in the order of the type codes.
    return static_cast<PropertyType>(value.index() + 1);
}

std::vector<PropertyEntry>::iterator PropertyStore::Locate(std::string_view key) {
    return std::find_if(entries_.begin(), entries_.end(),
                        [key](const PropertyEntry& e) { return KeysMatch(e.key, key); });
}

std::vector<PropertyEntry>::const_iterator PropertyStore::Locate(std::string_view key) const {
    return std::find_if(entries_.begin(), entries_.end(),
                        [key](const PropertyEntry& e) { return KeysMatch(e.key, key); });
}

const PropertyValue* PropertyStore::Find(std::string_view key) const {
    const auto it = Locate(key);
    return it == entries_.end() ? nullptr : &it->value;
}

PropertyValue PropertyStore::ReadValue(std::string_view key, const PropertyValue& defaultValue) const {
    const PropertyValue* stored = Find(key);
    if (stored && stored->index() == defaultValue.index()) return *stored;
    return defaultValue;
}

bool PropertyStore::WriteValue(std::string_view key, PropertyValue value, const PropertyValue& defaultValue) {
    if (!ValidKeyLength(key.size())) return false;
    // The caller's key may point into the entry that is about to go.
    const std::string name(key);
    const auto it = Locate(name);
    if (value == defaultValue) {
        if (it == entries_.end()) return true;
        serializedSize_ -= RecordSize(it->key, it->value);
        entries_.erase(it);
        Notify(name);
        return true;
    }
    const std::size_t newRecord = RecordSize(name, value);
    if (it != entries_.end()) {
        if (it->value == value) return true;
        const std::size_t size = serializedSize_ - RecordSize(it->key, it->value) + newRecord;
        if (size > kMaxPropertyBagBytes) return false;
        it->value = std::move(value);
        serializedSize_ = size;
    } else {
        if (entries_.size() >= kMaxPropertyKeys) return false;
        if (newRecord > kMaxPropertyBagBytes - serializedSize_) return false;
        std::string lower(name);
        for (char& c : lower) c = LowerAscii(c);
        entries_.push_back({std::move(lower), std::move(value)});
        serializedSize_ += newRecord;
    }
    Notify(name);
    return true;
}

void PropertyStore::NotifyChanged(std::string_view name) { Notify(std::string(name)); }

PropertyStore::ListenerId PropertyStore::AddChangedListener(Listener listener) {
    const ListenerId id = nextListenerId_++;
    listeners_.push_back({id, std::move(listener)});
    return id;
}

void PropertyStore::RemoveChangedListener(ListenerId id) {
    for (auto& slot : listeners_)
        if (slot.id == id) slot.listener = nullptr;
    // While a notification walks the list, slots only go blank; they are
    // dropped once it has finished.
    if (notifyDepth_ == 0) std::erase_if(listeners_, [](const ListenerSlot& s) { return !s.listener; });
}

void PropertyStore::Notify(const std::string& name) {
    ++notifyDepth_;
    // Listeners added meanwhile are appended and heard from the next
    // notification on; indices stay valid because nothing is erased here.
    const std::size_t count = listeners_.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (!listeners_[i].listener) continue;
        Listener call = listeners_[i].listener;  // survives its own removal
        call(name);
    }
    if (--notifyDepth_ == 0) std::erase_if(listeners_, [](const ListenerSlot& s) { return !s.listener; });
}

void PropertyStore::Clear() {
    entries_.clear();
    serializedSize_ = kPropertyBagHeaderBytes;
}

std::vector<std::uint8_t> PropertyStore::Serialize() const {
    std::vector<std::uint8_t> out;
    out.reserve(serializedSize_);
    PutBytes(out, kMagic, sizeof kMagic);
    PutU32(out, static_cast<std::uint32_t>(entries_.size()));
    for (const auto& entry : entries_) {
        PutU16(out, static_cast<std::uint16_t>(entry.key.size()));
        PutBytes(out, entry.key.data(), entry.key.size());
        PutU8(out, static_cast<std::uint8_t>(TypeOf(entry.value)));
        PutU32(out, static_cast<std::uint32_t>(EncodedValueSize(entry.value)));
        PutValue(out, entry.value);
    }
    return out;
}

bool PropertyStore::Parse(std::span<const std::uint8_t> bytes) {
    Clear();
    if (bytes.size() > kMaxPropertyBagBytes) return false;
    Reader in(bytes);
    const std::uint8_t* magic;
    std::uint32_t count;
    if (!in.Take(sizeof kMagic, magic) || std::memcmp(magic, kMagic, sizeof kMagic) != 0) return false;
    if (!in.U32(count) || count > kMaxPropertyKeys) return false;
    // Every record takes at least its overhead and a 1-byte key, so a count
    // the bytes cannot hold is refused before anything is reserved for it.
    if (count > in.Remaining() / (kRecordOverhead + 1)) return false;

    std::vector<PropertyEntry> entries;
    entries.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint16_t keyLength;
        const std::uint8_t* key;
        std::uint8_t type;
        std::uint32_t valueLength;
        const std::uint8_t* value;
        if (!in.U16(keyLength) || !ValidKeyLength(keyLength) || !in.Take(keyLength, key)) return false;
        if (!in.U8(type) || !in.U32(valueLength) || !in.Take(valueLength, value)) return false;
        PropertyEntry entry;
        entry.key.assign(reinterpret_cast<const char*>(key), keyLength);
        if (std::any_of(entry.key.begin(), entry.key.end(), [](char c) { return c != LowerAscii(c); })) return false;
        if (!DecodeValue(type, value, valueLength, entry.value)) return false;
        entries.push_back(std::move(entry));
    }
    if (in.Remaining() != 0) return false;

    // Duplicate keys would make the bag mean two things; refuse them.
    std::vector<std::string_view> keys;
    keys.reserve(entries.size());
    for (const auto& e : entries) keys.push_back(e.key);
    std::sort(keys.begin(), keys.end());
    if (std::adjacent_find(keys.begin(), keys.end()) != keys.end()) return false;

    entries_ = std::move(entries);
    serializedSize_ = bytes.size();
    return true;
}
