// Any bytes as a control's design data: Parse must refuse or accept cleanly,
// and an accepted bag has exactly one serialised form, so writing it out gives
// the input back and parsing that gives the same bag. Icons and cursors in it
// are looked into as well.
#include <cstdint>
#include <cstring>

#include "icon_file.h"
#include "property_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PropertyStore store;
    if (!store.Parse(std::span<const std::uint8_t>(data, size))) {
        if (store.Count() != 0) __builtin_trap();
        return 0;
    }
    const std::vector<std::uint8_t> bytes = store.Serialize();
    if (bytes.size() != size || store.SerializedSize() != size) __builtin_trap();
    if (size != 0 && std::memcmp(bytes.data(), data, size) != 0) __builtin_trap();

    PropertyStore again;
    if (!again.Parse(bytes) || again.Entries() != store.Entries()) __builtin_trap();
    // Every stored key is found again, in any letter case, with its own type.
    for (const auto& entry : store.Entries()) {
        std::string upper = entry.key;
        for (char& c : upper)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (again.ReadValue(upper, entry.value) != entry.value || !again.Find(upper)) __builtin_trap();
        if (TypeOf(*again.Find(upper)) != TypeOf(entry.value)) __builtin_trap();
        // A stored icon or cursor is read as untrusted too.
        if (const auto* picture = std::get_if<PictureData>(&entry.value)) {
            if (const auto image = PickIconImage(picture->bytes, 32))
                if (image->offset + image->size > picture->bytes.size()) __builtin_trap();
        }
    }
    return 0;
}
