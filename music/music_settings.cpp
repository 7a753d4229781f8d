#include "music_settings.h"

#include "code_page.h"

MusicSource MusicSourceFor(const MusicSettings& settings) {
    if (settings.bgmKind == 1) return MusicSource::Cd;
    if (settings.bgmKind != 2) return MusicSource::None;
    const std::string ending = UpperCased(LastCharacters(settings.bgmFile, 3));
    if (ending == "WAV") return MusicSource::Wav;
    if (ending == "MP3") return MusicSource::Mp3;
    return MusicSource::None;
}
