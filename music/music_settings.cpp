#include "music_settings.h"

#include "code_page.h"

MusicSettings MusicSettingsFrom(const StoredSettings& settings, const CodePage& ansi) {
    return {settings.BgmKind, settings.BgmRepeat, settings.BgmFile, ansi};
}

MusicSource MusicSourceFor(const MusicSettings& settings) {
    if (settings.bgmKind == MusicKind::Cd) return MusicSource::Cd;
    if (settings.bgmKind != MusicKind::File) return MusicSource::None;
    const std::string ending = UpperCased(LastCharacters(settings.bgmFile, 3, settings.ansi), settings.ansi);
    if (ending == "WAV") return MusicSource::Wav;
    if (ending == "MP3") return MusicSource::Mp3;
    return MusicSource::None;
}
