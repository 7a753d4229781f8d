// Nimbel_BGM: background music during a saver run. CD audio and the music
// file go through MCI command strings, a WAV file through PlaySoundA. Only WAV
// keeps going by itself; for CD and MP3 the run form calls PollCdMusic every
// 200 ms and RepeatMp3Music every second.
//
// Every failure is silent: a step that fails is skipped and nothing is
// reported. Nothing here throws except on allocation failure, and noexcept
// turns that into termination rather than an exception unwinding through a
// window procedure or timer callback.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "multimedia_api.h"
#include "music_settings.h"

class Nimbel_BGM {
public:
    static constexpr std::int16_t kTrue = -1;
    static constexpr std::int16_t kFalse = 0;

    // mci must outlive the player; settings are copied as the launcher loaded them.
    Nimbel_BGM(MultimediaApi& mci, MusicSettings settings) noexcept;

    void StartCdMusic() noexcept;  // opens the CD device; plays nothing yet
    void PollCdMusic() noexcept;   // one status-and-repeat step; verdict in CdPollActive()
    void StopCdMusic() noexcept;

    void StartMp3Music() noexcept;
    bool IsMp3Playing() noexcept;
    void RepeatMp3Music() noexcept;  // restarts the file from 0 once it is no longer playing
    void StopMp3Music() noexcept;

    void StartWavMusic() noexcept;  // loops the file in the background
    void StopWavMusic() noexcept;

    // -1 while CD polling should go on; 0 once the CD can no longer be polled
    // (the run form then stops its CD timer for good). 0 before the first poll.
    std::int16_t CdPollActive() const noexcept { return cdPollActive_; }

    // Building blocks of the steps above.
    // Sends command with a 512-character reply buffer. 0 and the reply on
    // success; the MCI error code and its text on failure; -1 for an empty command.
    std::int32_t MciSend(const std::string& command, std::string& reply) noexcept;
    // The reply of a status command, or "Error:" and the code when it fails.
    std::string MciStatus(const std::string& command) noexcept;
    // "play <device>[ from <from>][ to <to>]" through MciSend.
    std::int32_t MciPlay(const std::string& device, const std::string& from, const std::string& to) noexcept;

    static constexpr std::size_t kReplySize = 512;
    static constexpr std::size_t kCdModeSize = 255;
    static constexpr std::size_t kMp3ModeSize = 30;
    static constexpr std::size_t kErrorTextSize = 256;

private:
    // A command whose reply is not wanted (no buffer, length 0).
    std::uint32_t Send(const std::string& command) noexcept;
    void EndCdPolling() noexcept { cdPollActive_ = kFalse; }

    MultimediaApi& mci_;
    MusicSettings settings_;
    std::int16_t cdPollActive_ = kFalse;
    // The mode buffers live as long as the player: a mode query that fails
    // leaves the last mode the device reported in place.
    std::array<char, kCdModeSize> cdMode_{};
    std::array<char, kMp3ModeSize> mp3Mode_{};
};
