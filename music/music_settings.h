// The music settings the player works from: the part of the stored settings
// a run plays, derived once by MusicSettingsFrom. The music module never
// reads the launcher's state.
#pragma once
#include <cstdint>
#include <string>

#include "code_page.h"
#include "settings.h"

struct MusicSettings {
    MusicKind bgmKind = MusicKind::None;  // what plays; a kind without a name plays nothing
    std::int16_t bgmRepeat = 0;           // CD track to repeat; 0 plays the whole disc
    std::string bgmFile;                  // full path of the MP3 or WAV file, as stored
    CodePage ansi;                        // the system's ANSI code page: bgmFile's and the device's replies'
};

MusicSettings MusicSettingsFrom(const StoredSettings& settings, const CodePage& ansi);

enum class MusicSource { None, Cd, Wav, Mp3 };

// Which source a run plays, for the run form's load and close handlers: CD for
// kind Cd; for kind File the last three characters of the file name,
// upper-cased, "WAV" or "MP3"; nothing otherwise.
MusicSource MusicSourceFor(const MusicSettings& settings);
