// Any bytes as the settings file: huge lines, binary bytes, NUL bytes, lead
// bytes anywhere, no final line end, keys without '='. Reading is bounded and
// gives bytes of the file; an accepted write reads back as the value written,
// the same whatever else the file holds, touches no other key, and writing
// the same value again changes nothing. The launcher's own writes (our three
// keys in "Section", a value without a line end) are never refused.
//
// Input: the whole input is one file for the reads. For the write, the input
// is taken apart: a key choice and a buffer size from its end, then a key, a
// value and the file from its start.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "code_page.h"
#include "ini_codec.h"
#include "settings.h"

namespace {
constexpr std::string_view kOurKeys[] = {kKeyBgmKind, kKeyBgmRepeat, kKeyBgmFile};
constexpr std::size_t kWholeValue = std::size_t{1} << 24;

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A'; }

// A read gives at most size - 1 bytes, no NUL, and bytes that stand in the
// file in that order.
void CheckRead(std::string_view file, std::string_view section, std::string_view key, std::size_t size) {
    const std::string value = IniGetString(file, section, key, size);
    Require(value.size() < size || (size == 0 && value.empty()));
    Require(value.find('\0') == std::string::npos);
    Require(file.find(value) != std::string_view::npos);
}

// What reading gives for a value written as `value`: up to its NUL, without
// the blanks around it (a blank after a lead byte is that character's trail
// byte), and without one pair of matching quotes around the whole.
std::string ReadBackOf(std::string_view value) {
    value = value.substr(0, value.find('\0'));
    std::size_t start = 0;
    while (start < value.size() && IsBlank(value[start])) ++start;
    value.remove_prefix(start);
    std::size_t end = 0, last = 0;
    for (std::size_t i = 0; i < value.size();) {
        const std::size_t n = ShiftJis().CharLength(value, i);
        if (n == 2 || !IsBlank(value[i])) end = i + n;
        last = i;
        i += n;
    }
    value = value.substr(0, end);
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'')) {
        for (std::size_t i = 0; i < value.size(); i += ShiftJis().CharLength(value, i)) last = i;
        if (last == value.size() - 1 && value[last] == value[0]) value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

// The same name as the codec takes it: up to NUL, blanks trimmed.
std::string_view Name(std::string_view name) {
    name = name.substr(0, name.find('\0'));
    while (!name.empty() && IsBlank(name.front())) name.remove_prefix(1);
    while (!name.empty() && IsBlank(name.back())) name.remove_suffix(1);
    return name;
}

bool StartsWithUtf16Mark(std::string_view file) {
    return file.size() >= 2 && ((file[0] == '\xFF' && file[1] == '\xFE') || (file[0] == '\xFE' && file[1] == '\xFF'));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view whole(reinterpret_cast<const char*>(data), size);
    FuzzedDataProvider input(data, size);
    const int keyChoice = input.ConsumeIntegralInRange<int>(0, 3);
    const std::size_t readSize = input.ConsumeIntegralInRange<std::size_t>(0, 300);
    const std::string randomKey = input.ConsumeRandomLengthString(24);
    const std::string value = input.ConsumeRandomLengthString(400);
    const std::string file = input.ConsumeRemainingBytesAsString();

    for (std::string_view bytes : {whole, std::string_view(file)}) {
        for (std::string_view key : kOurKeys) {
            CheckRead(bytes, kSettingsSection, key, kReadIniBufferSize);
            CheckRead(bytes, kSettingsSection, key, readSize);
        }
        CheckRead(bytes, kSettingsSection, randomKey, kReadIniBufferSize);
        CheckRead(bytes, randomKey, randomKey, readSize);
    }

    const std::string key = keyChoice < 3 ? std::string(kOurKeys[keyChoice]) : randomKey;
    const auto written = IniSetString(file, kSettingsSection, key, value);
    const std::string_view settled = std::string_view(value).substr(0, value.find('\0'));
    if (keyChoice < 3 && settled.find_first_of("\r\n") == std::string_view::npos && !StartsWithUtf16Mark(file))
        Require(written.has_value());
    if (!written) return 0;

    // The value reads back, and reads back the same as from a new file.
    const std::string readBack = IniGetString(*written, kSettingsSection, key, kWholeValue);
    Require(readBack == ReadBackOf(value));
    const auto fresh = IniSetString("", kSettingsSection, key, value);
    Require(fresh.has_value());
    Require(IniGetString(*fresh, kSettingsSection, key, kWholeValue) == readBack);
    Require(IniGetString(*written, kSettingsSection, key, kReadIniBufferSize) == readBack.substr(0, 255));

    // Setting the same value again leaves the bytes as they are.
    const auto again = IniSetString(*written, kSettingsSection, key, value);
    Require(again.has_value() && *again == *written);

    // Every other key reads as before, in our section and in another one.
    for (std::string_view other : kOurKeys) {
        if (EqualsIgnoringAsciiCase(Name(other), Name(key), ShiftJis())) continue;
        Require(IniGetString(*written, kSettingsSection, other, kWholeValue) ==
                IniGetString(file, kSettingsSection, other, kWholeValue));
    }
    if (!Name(randomKey).empty() && !EqualsIgnoringAsciiCase(Name(randomKey), kSettingsSection, ShiftJis()))
        Require(IniGetString(*written, randomKey, key, kWholeValue) == IniGetString(file, randomKey, key, kWholeValue));
    return 0;
}
