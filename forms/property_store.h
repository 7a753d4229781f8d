// The property store of a reusable control: the named, typed design-time
// values that the container keeps for each control instance. A control reads
// each key with its default when it is loaded and writes each key with its
// default when it is stored; a value equal to its default is not kept, so a
// control left at its defaults stores nothing.
//
// Keys match without regard to the case of ASCII letters and are kept (and
// serialised) in lower case. Values are typed: reading a key with a default
// of another type than the stored value gives the default, so a control never
// sees a value it did not write.
//
// The design data embedded in the program are bags in the format below. They
// come from the program's own resources, but they are parsed as untrusted
// bytes anyway: every length is checked against the buffer and against fixed
// caps before anything is allocated, and a bag that is not exactly well formed
// is refused as a whole.
//
// Serialised format (all integers little-endian):
//
//   header   4 bytes  'V' 'P' 'B' 1          (magic and format version 1)
//            u32      record count            (at most kMaxPropertyKeys)
//   record   u16      key length              (1 .. kMaxPropertyKeyBytes)
//            bytes    key                     (no ASCII upper-case letters)
//            u8       type                    (a PropertyType code)
//            u32      value length
//            bytes    value, by type:
//              Bool    1 byte, 0 or 1
//              Byte    1 byte
//              Int16   2 bytes, signed
//              Int32   4 bytes, signed
//              Colour  4 bytes, &H00BBGGRR (top bit set: a system colour)
//              String  the bytes of the text (not NUL-terminated; may be empty)
//              Bytes   the bytes themselves (may be empty)
//              Font    i32 size in 1/100 point, u16 weight, u8 flags
//                      (bit 0 italic, bit 1 underline, bit 2 strikethrough,
//                      other bits 0), u8 character set, then the face name
//                      bytes (value length - 8 of them)
//              Picture u8 format (0 none, 1 Windows bitmap file, 2 icon
//                      file, 3 cursor file, 4 GIF file), then the whole file's
//                      bytes; none carries no bytes, the others at least one
//
// Records follow each other in the order the keys were first written; the
// buffer ends exactly after the last one. A bag is refused when it is
// truncated, has bytes after the last record, has a length that runs past
// the buffer or is wrong for its type, an unknown type, a Bool other than 0 or
// 1, unknown font flags, an unknown picture format or one whose bytes do not
// match it (none with bytes, a file without), a key with upper-case letters, a key that occurs
// twice, more than kMaxPropertyKeys records, or more than
// kMaxPropertyBagBytes in all. Thanks to these rules a bag has exactly one
// serialised form: Serialize() of a parsed bag gives back the parsed bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

constexpr std::size_t kMaxPropertyKeys = 1024;
constexpr std::size_t kMaxPropertyKeyBytes = 255;
constexpr std::size_t kMaxPropertyBagBytes = 16u * 1024 * 1024;  // a whole serialised bag
constexpr std::size_t kPropertyBagHeaderBytes = 8;

// Type codes of the serialised format; never renumber.
enum class PropertyType : std::uint8_t {
    Bool = 1,
    Byte = 2,
    Int16 = 3,
    Int32 = 4,
    Colour = 5,
    String = 6,
    Bytes = 7,
    Font = 8,
    Picture = 9,
};

// A 32-bit colour &H00BBGGRR; values with the top bit set name system colours
// (&H80000006 is the window-frame colour).
struct Colour {
    std::uint32_t value = 0;
    bool IsSystemColour() const { return (value & 0x80000000u) != 0; }
    bool operator==(const Colour&) const = default;
};

// A font as a control stores it: face name, size and style.
struct FontSpec {
    std::string name;                  // face name, as the design data give it
    std::int32_t sizeCentipoints = 0;  // 975 = 9.75 point
    std::uint16_t weight = 400;        // 400 regular, 700 bold
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    std::uint8_t charset = 1;  // 1 the default set, 128 Shift-JIS
    bool operator==(const FontSpec&) const = default;
};

using PropertyBytes = std::vector<std::uint8_t>;

// A picture as a control stores it: the file it was loaded from, byte for
// byte, so that storing it again gives the same bytes (an icon stays an icon,
// a cursor keeps its hot spot, a GIF keeps its frames).
enum class PictureFormat : std::uint8_t { None = 0, Bitmap = 1, Icon = 2, Cursor = 3, Gif = 4 };
constexpr std::uint8_t kMaxPictureFormat = 4;

struct PictureData {
    PictureFormat format = PictureFormat::None;
    PropertyBytes bytes;  // empty exactly when format is None
    bool Empty() const { return format == PictureFormat::None; }
    bool operator==(const PictureData&) const = default;
};

// The alternatives in the order of PropertyType, Bool first.
using PropertyValue = std::variant<bool, std::uint8_t, std::int16_t, std::int32_t, Colour, std::string, PropertyBytes,
                                   FontSpec, PictureData>;

PropertyType TypeOf(const PropertyValue& value);

// The C++ types a value can have, for the typed Read and Write below.
template <class T>
concept PropertyValueType =
    std::is_same_v<T, bool> || std::is_same_v<T, std::uint8_t> || std::is_same_v<T, std::int16_t> ||
    std::is_same_v<T, std::int32_t> || std::is_same_v<T, Colour> || std::is_same_v<T, std::string> ||
    std::is_same_v<T, PropertyBytes> || std::is_same_v<T, FontSpec> || std::is_same_v<T, PictureData>;

struct PropertyEntry {
    std::string key;  // lower case
    PropertyValue value;
    bool operator==(const PropertyEntry&) const = default;
};

class PropertyStore {
public:
    // Hears the name of a property that changed (see Write and NotifyChanged).
    using Listener = std::function<void(std::string_view name)>;
    using ListenerId = std::uint32_t;

    PropertyStore() = default;
    // A store belongs to one control instance; its listeners are not copied.
    PropertyStore(const PropertyStore&) = delete;
    PropertyStore& operator=(const PropertyStore&) = delete;
    PropertyStore(PropertyStore&&) = default;
    PropertyStore& operator=(PropertyStore&&) = default;

    // The stored value, or defaultValue when the key is not stored or holds a
    // value of another type than defaultValue.
    PropertyValue ReadValue(std::string_view key, const PropertyValue& defaultValue) const;
    template <PropertyValueType T>
    T Read(std::string_view key, const T& defaultValue) const {
        if (const PropertyValue* stored = Find(key))
            if (const T* value = std::get_if<T>(stored)) return *value;
        return defaultValue;
    }
    std::string Read(std::string_view key, std::string_view defaultValue) const {
        return Read<std::string>(key, std::string(defaultValue));
    }
    std::string Read(std::string_view key, const char* defaultValue) const {
        return Read(key, std::string_view(defaultValue));
    }
    // The stored value itself; null when the key is not stored.
    const PropertyValue* Find(std::string_view key) const;

    // Stores value under key, or removes the key when value equals
    // defaultValue (same type and same value). Listeners hear the key, as
    // spelt here, when what the store holds changed; writing what is already
    // there (as a save of unchanged settings does) is silent. False, with the
    // store unchanged, for an empty key or one longer than
    // kMaxPropertyKeyBytes, and when the bag would exceed kMaxPropertyKeys or
    // kMaxPropertyBagBytes. Removing a value always succeeds.
    bool WriteValue(std::string_view key, PropertyValue value, const PropertyValue& defaultValue);
    template <PropertyValueType T>
    bool Write(std::string_view key, const T& value, const T& defaultValue) {
        return WriteValue(key, PropertyValue(std::in_place_type<T>, value),
                          PropertyValue(std::in_place_type<T>, defaultValue));
    }
    bool Write(std::string_view key, std::string_view value, std::string_view defaultValue) {
        return WriteValue(key, PropertyValue(std::in_place_type<std::string>, value),
                          PropertyValue(std::in_place_type<std::string>, defaultValue));
    }
    bool Write(std::string_view key, const char* value, const char* defaultValue) {
        return Write(key, std::string_view(value), std::string_view(defaultValue));
    }

    // A control's "this property changed, the form needs saving". Names need
    // not be keys (a control may announce "Delay" for a key it stores as
    // "delay", or a property it does not store at all).
    void NotifyChanged(std::string_view name);

    // Listeners are called in the order they were added. One removed while a
    // notification runs is not called again, not even by that notification.
    ListenerId AddChangedListener(Listener listener);
    void RemoveChangedListener(ListenerId id);

    const std::vector<PropertyEntry>& Entries() const { return entries_; }
    std::size_t Count() const { return entries_.size(); }
    void Clear();  // silent: no notification
    std::size_t SerializedSize() const { return serializedSize_; }

    std::vector<std::uint8_t> Serialize() const;
    // Replaces the contents with the bag in bytes; silent. On any malformed
    // input the store is left empty and the result is false. Listeners stay.
    bool Parse(std::span<const std::uint8_t> bytes);

private:
    struct ListenerSlot {
        ListenerId id;
        Listener listener;  // empty once removed
    };

    std::vector<PropertyEntry>::iterator Locate(std::string_view key);
    std::vector<PropertyEntry>::const_iterator Locate(std::string_view key) const;
    void Notify(const std::string& name);

    std::vector<PropertyEntry> entries_;
    std::size_t serializedSize_ = kPropertyBagHeaderBytes;
    std::vector<ListenerSlot> listeners_;
    ListenerId nextListenerId_ = 1;
    int notifyDepth_ = 0;
};
