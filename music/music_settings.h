// The music settings the player works from. The launcher owns the stored
// values (BgmKind, BgmRepeat, BgmFile of the settings file) and fills one of
// these after loading them; the music module never reads the launcher's state.
#pragma once
#include <cstdint>
#include <string>

struct MusicSettings {
    std::int16_t bgmKind = 0;    // 0 no music, 1 CD audio, 2 music file; others play nothing
    std::int16_t bgmRepeat = 0;  // CD track to repeat; 0 plays the whole disc
    std::string bgmFile;         // full path of the MP3 or WAV file, ANSI bytes
};

enum class MusicSource { None, Cd, Wav, Mp3 };

// Which source a run plays, for the run form's load and close handlers: CD for
// kind 1; for kind 2 the last three characters of the file name, upper-cased,
// "WAV" or "MP3"; nothing otherwise.
MusicSource MusicSourceFor(const MusicSettings& settings);
