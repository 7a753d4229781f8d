// The launcher's music settings and the INI file beside the launcher that
// keeps them: section "Section", three keys, read once at start and written
// only by the settings dialog's save.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "code_page.h"
#include "file_access.h"

// BGM区分, what the run plays. The file holds it as a 16-bit number; a
// number without a name here (5, -1) is kept as it is, plays nothing and
// marks no source in the dialog, and is written back unchanged.
enum class MusicKind : std::int16_t { None = 0, Cd = 1, File = 2 };

// The settings as the program holds them: LoadSettings fills a record, the
// settings dialog edits a copy and hands it to SaveSettings, and the run form
// and the music player read it.
struct StoredSettings {
    MusicKind BgmKind = MusicKind::None;
    std::int16_t BgmRepeat = 0;  // CD track to repeat; 0 repeats the whole disc
    std::string BgmFile;         // full path of the MP3 or WAV file in the system's ANSI code page, "" for none
    std::string BgmFolder;       // where the dialog's file browse starts (UTF-8): derived, never stored
};

// Names in the file: code page 932 bytes (the sources are UTF-8).
inline constexpr std::string_view kSettingsFileName = "Velmora.ini";
inline constexpr std::string_view kSettingsSection = "Section";
inline constexpr std::string_view kKeyBgmKind = "BGM\x8B\xE6\x95\xAA";        // "BGM区分"
inline constexpr std::string_view kKeyBgmRepeat = "BGM\xD8\xCB\xDF\xB0\xC4";  // "BGMﾘﾋﾟｰﾄ", half-width kana
inline constexpr std::string_view kKeyBgmFile = "BGM\xCC\xA7\xB2\xD9";        // "BGMﾌｧｲﾙ", half-width kana

// The settings file holds a few short lines. Anything larger is not ours:
// it reads as if it were empty and is never rewritten, so a big foreign file
// is neither loaded whole into memory nor destroyed.
constexpr std::size_t kMaxSettingsFileBytes = 1024 * 1024;

// ReadIni hands the profile reader a buffer of this many bytes, so values
// come back cut to 255 bytes.
constexpr std::size_t kReadIniBufferSize = 256;
// WriteIni passes section and key through fields of 128 characters that hold
// the name and its NUL, so longer names are cut to 127 characters.
constexpr std::size_t kWriteIniNameChars = 127;

// launcherFolder + "\Velmora.ini". The folder is the one that holds the
// launcher (UTF-8, as the file access takes paths), with or without a
// trailing backslash (a drive root is "C:\").
std::string SettingsFilePath(std::string_view launcherFolder);

// The value of key in section of the file, cut to 255 bytes; "" when the
// file, section or key is missing or the file is unreadable or over the size
// limit. Each argument counts up to its first NUL.
std::string ReadIni(FileAccess& files, std::string_view section, std::string_view key, std::string_view file);

// Sets one value and saves the file by replacing it whole (see
// ReplaceFileAtomically). Nothing is written when the file exists but cannot
// be read, is over the size limit or would grow over it, or when the codec
// refuses the edit: the old file always survives. The result is always "".
std::string WriteIni(FileAccess& files, std::string_view section, std::string_view key, std::string_view value,
                     std::string_view file);

// The settings in the file beside the launcher. Never fails: what is missing
// or unreadable falls back to no music. Values are bytes in the system's
// ANSI code page (ansi), kept as they are. A music file that cannot be opened
// is dropped, and music kind File then becomes None. BgmFolder is the music
// file's folder, or the launcher's folder when there is no file.
StoredSettings LoadSettings(FileAccess& files, const AnsiText& ansi, std::string_view launcherFolder);

// What became of a save.
enum class SaveOutcome {
    Saved,       // the file holds the three values (or held them already)
    Unreadable,  // the file exists but cannot be read, so it is not rewritten
    TooLarge,    // the file is over the size limit, or would grow over it
    NotWritten,  // the file could not be replaced: the folder is a link, or the system refused
};

struct SaveReport {
    SaveOutcome outcome = SaveOutcome::Saved;
    std::uint32_t systemError = 0;  // the system's reason when it gave one, else 0
    std::string file;               // the settings file's path
};

// The settings dialog's save: BgmKind, BgmRepeat and BgmFile, in this order,
// the numbers with a sign position (BGM区分= 2). The three values replace
// the file in one step, so a save that fails leaves the old file exactly as
// it was, never with some values new and some old.
SaveReport SaveSettings(FileAccess& files, std::string_view launcherFolder, const StoredSettings& settings);
