#include "settings.h"

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
}  // namespace

std::string SettingsFilePath(std::string_view launcherFolder) {
    std::string path(launcherFolder);
    if (!EndsWithBackslash(path)) path += '\\';
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
    const std::string path(UpToNul(file));
    std::string old;
    const FileRead read = files.ReadWholeFile(path, kMaxSettingsFileBytes, old);
    if (read != FileRead::Ok && read != FileRead::Missing) return {};
    const auto edited = IniSetString(old, FirstCharacters(UpToNul(section), kWriteIniNameChars),
                                     FirstCharacters(UpToNul(key), kWriteIniNameChars), UpToNul(value));
    if (!edited || edited->size() > kMaxSettingsFileBytes) return {};
    if (read == FileRead::Ok && *edited == old) return {};
    ReplaceFileAtomically(files, path, *edited);  // a failure is silent; the old file stays
    return {};
}

StoredSettings LoadSettings(FileAccess& files, std::string_view launcherFolder) {
    const std::string file = SettingsFilePath(launcherFolder);
    StoredSettings settings;
    settings.BgmKind = static_cast<MusicKind>(ReadNumber(files, kKeyBgmKind, file));
    settings.BgmRepeat = ReadNumber(files, kKeyBgmRepeat, file);

    settings.BgmFile = ReadIni(files, kSettingsSection, kKeyBgmFile, file);
    // A CD setting keeps its kind whatever the path says.
    if (!settings.BgmFile.empty() && !FileExists(files, settings.BgmFile)) settings.BgmFile.clear();
    if (settings.BgmFile.empty() && settings.BgmKind == MusicKind::File) settings.BgmKind = MusicKind::None;

    settings.BgmFolder = settings.BgmFile.empty() ? std::string(launcherFolder) : FolderOf(settings.BgmFile);
    return settings;
}

void SaveSettings(FileAccess& files, std::string_view launcherFolder, const StoredSettings& settings) {
    const std::string file = SettingsFilePath(launcherFolder);
    WriteIni(files, kSettingsSection, kKeyBgmKind, SignPositionText(static_cast<std::int16_t>(settings.BgmKind)), file);
    WriteIni(files, kSettingsSection, kKeyBgmRepeat, SignPositionText(settings.BgmRepeat), file);
    WriteIni(files, kSettingsSection, kKeyBgmFile, settings.BgmFile, file);
}
