#include "settings.h"

#include <optional>
#include <span>
#include <utility>

#include "code_page.h"
#include "ini_codec.h"
#include "number_text.h"
#include "path_parts.h"

namespace {
// A number setting: empty, not a number or out of range all give 0.
std::int16_t ReadNumber(FileAccess& files, std::string_view key, const std::string& file) {
    const std::string text = ReadIni(files, kSettingsSection, key, file);
    if (text.empty()) return 0;
    return ReadSettingNumber(text).value_or(0);
}
struct IniValue {
    std::string_view section, key, value;
};

// Sets the values, in order, on one copy of the file and replaces the file
// once, and only when that changes it: a failure leaves the old file exactly
// as it was, never with some values new and some old.
SaveReport StoreValues(FileAccess& files, std::string path, std::span<const IniValue> values) {
    SaveReport report;
    report.file = std::move(path);
    std::string old;
    const FileRead read = files.ReadWholeFile(report.file, kMaxSettingsFileBytes, old);
    if (read == FileRead::TooLarge) {
        report.outcome = SaveOutcome::TooLarge;
        return report;
    }
    if (read == FileRead::Failed) {
        report.outcome = SaveOutcome::Unreadable;
        report.systemError = files.LastError();
        return report;
    }
    std::optional<std::string> edited = old;
    for (const IniValue& v : values)
        if (edited) edited = IniSetString(*edited, v.section, v.key, v.value);
    // The codec refuses only what would not read back (a line break in a
    // value, say), so such a file is not written.
    if (!edited || edited->size() > kMaxSettingsFileBytes) {
        report.outcome = edited ? SaveOutcome::TooLarge : SaveOutcome::NotWritten;
        return report;
    }
    if (read == FileRead::Ok && *edited == old) return report;
    if (!ReplaceFileAtomically(files, report.file, *edited)) {
        report.outcome = SaveOutcome::NotWritten;
        report.systemError = files.LastError();
    }
    return report;
}
}  // namespace

std::string SettingsFilePath(std::string_view launcherFolder) {
    std::string path(launcherFolder);
    if (!EndsWithBackslash(path, Utf8())) path += '\\';
    path += kSettingsFileName;
    return path;
}

std::string ReadIni(FileAccess& files, std::string_view section, std::string_view key, std::string_view file) {
    std::string bytes;
    if (files.ReadWholeFile(std::string(UpToNul(file)), kMaxSettingsFileBytes, bytes) != FileRead::Ok) return {};
    return IniGetString(bytes, UpToNul(section), UpToNul(key), kReadIniBufferSize);
}

std::string WriteIni(FileAccess& files, std::string_view section, std::string_view key, std::string_view value,
                     std::string_view file) {
    // The names are the file's own, in code page 932 on every system.
    const IniValue one[] = {{FirstCharacters(UpToNul(section), kWriteIniNameChars, ShiftJis()),
                             FirstCharacters(UpToNul(key), kWriteIniNameChars, ShiftJis()), UpToNul(value)}};
    StoreValues(files, std::string(UpToNul(file)), one);  // a failure is silent; the old file stays
    return {};
}

StoredSettings LoadSettings(FileAccess& files, const AnsiText& ansi, std::string_view launcherFolder) {
    const std::string file = SettingsFilePath(launcherFolder);
    StoredSettings settings;
    settings.BgmKind = static_cast<MusicKind>(ReadNumber(files, kKeyBgmKind, file));
    settings.BgmRepeat = ReadNumber(files, kKeyBgmRepeat, file);

    settings.BgmFile = ReadIni(files, kSettingsSection, kKeyBgmFile, file);
    // A CD setting keeps its kind whatever the path says.
    if (!settings.BgmFile.empty() && !FileExists(files, ansi.toUtf8(settings.BgmFile))) settings.BgmFile.clear();
    if (settings.BgmFile.empty() && settings.BgmKind == MusicKind::File) settings.BgmKind = MusicKind::None;

    // The folder is found in the code page the path is in, then named as
    // the browser takes it.
    settings.BgmFolder =
        settings.BgmFile.empty() ? std::string(launcherFolder) : ansi.toUtf8(FolderOf(settings.BgmFile, ansi.codePage));
    return settings;
}

SaveReport SaveSettings(FileAccess& files, std::string_view launcherFolder, const StoredSettings& settings) {
    const std::string kind = SignPositionText(static_cast<std::int16_t>(settings.BgmKind));
    const std::string repeat = SignPositionText(settings.BgmRepeat);
    const IniValue values[] = {
        {kSettingsSection, kKeyBgmKind, kind},
        {kSettingsSection, kKeyBgmRepeat, repeat},
        {kSettingsSection, kKeyBgmFile, UpToNul(settings.BgmFile)},
    };
    return StoreValues(files, SettingsFilePath(launcherFolder), values);
}
