#include "nimbel_bgm.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

#include "code_page.h"
#include "number_text.h"

namespace {
// MciSend's reply texts are ANSI, so they are kept as code page 932 bytes.
// "コマンド文字列が指定されていません" (no command string was given)
constexpr char kNoCommandText[] =
    "\x83\x52\x83\x7d\x83\x93\x83\x68\x95\xb6\x8e\x9a\x97\xf1\x82\xaa\x8e\x77"
    "\x92\xe8\x82\xb3\x82\xea\x82\xc4\x82\xa2\x82\xdc\x82\xb9\x82\xf1";
// "Error (文字列が取れません)" (the error text could not be fetched)
constexpr char kNoErrorText[] = "Error (\x95\xb6\x8e\x9a\x97\xf1\x82\xaa\x8e\xe6\x82\xea\x82\xdc\x82\xb9\x82\xf1)";

std::string TextUpToNul(std::span<const char> buffer) {
    return std::string(UpToNul(std::string_view(buffer.data(), buffer.size())));
}

// The first seven characters of a mode buffer, compared case-sensitively.
bool ModeIs(std::span<const char> buffer, const char (&mode)[8]) { return std::memcmp(buffer.data(), mode, 7) == 0; }

// Replies are in the system's ANSI code page: walked in it, a trail byte never
// makes an "ERR".
bool IsFailure(std::string_view statusReply, const CodePage& ansi) {
    return ContainsUpperCased(statusReply, "ERR", ansi);
}

// The file name goes between double quotes in the open command. A quote would
// end the name early and let the rest of it be read as command words, and
// control characters have no place in a path, so such a name is not opened.
// Checking single bytes is safe in every ANSI code page: the trail bytes of
// the double-byte ones (932, 936, 949, 950) are 0x40 and above, never 0x7F,
// so no part of a double-byte character is mistaken for '"' (0x22), a
// control byte or DEL.
bool IsQuotableFileName(std::string_view name) {
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F || byte == '"';
    });
}
}  // namespace

Nimbel_BGM::Nimbel_BGM(MultimediaApi& mci, MusicSettings settings) noexcept
    : mci_(mci), settings_(std::move(settings)) {}

std::uint32_t Nimbel_BGM::Send(const std::string& command) noexcept { return mci_.SendString(command, {}); }

std::int32_t Nimbel_BGM::MciSend(const std::string& command, std::string& reply) noexcept {
    if (command.empty()) {
        reply = kNoCommandText;
        return -1;
    }
    std::array<char, kReplySize> buffer{};
    const std::uint32_t result = mci_.SendString(command, buffer);
    if (result == 0) {
        reply = TextUpToNul(buffer);
        return 0;
    }
    std::array<char, kErrorTextSize> text{};
    reply = mci_.GetErrorString(result, text) ? TextUpToNul(text) : std::string(kNoErrorText);
    return static_cast<std::int32_t>(result);
}

std::string Nimbel_BGM::MciStatus(const std::string& command) noexcept {
    std::string reply;
    const std::int32_t result = MciSend(command, reply);
    if (result != 0) return "Error:" + std::to_string(result);
    return reply;
}

std::int32_t Nimbel_BGM::MciPlay(const std::string& device, const std::string& from, const std::string& to) noexcept {
    std::string command = "play " + device;
    if (!from.empty()) command += " from " + from;
    if (!to.empty()) command += " to " + to;
    std::string reply;
    return MciSend(command, reply);
}

void Nimbel_BGM::StartCdMusic() noexcept {
    Send("open cdaudio");
    Send("set cdaudio time format tmst");
}

void Nimbel_BGM::StopCdMusic() noexcept {
    Send("stop cdaudio");
    Send("close cdaudio");
}

void Nimbel_BGM::PollCdMusic() noexcept {
    cdPollActive_ = kTrue;
    const std::string current = MciStatus("status cdaudio current track");
    if (IsFailure(current, settings_.ansi)) {
        EndCdPolling();
        return;
    }
    if (IsFailure(MciStatus("status cdaudio number of tracks"), settings_.ansi)) {
        EndCdPolling();
        return;
    }

    mci_.SendString("status cdaudio mode", cdMode_);  // a failed query keeps the last mode
    const bool stopped = ModeIs(cdMode_, "stopped");

    if (settings_.bgmRepeat == 0) {
        if (stopped) MciPlay("cdaudio", "", "");
        return;
    }
    // Repeat one track: restart it when the disc has stopped or play has run
    // on into another track. A current track that is no number means the
    // device no longer answers sensibly.
    const std::optional<double> track = ReadReplyNumber(current);
    if (!track) {
        EndCdPolling();
        return;
    }
    if (!stopped && *track == settings_.bgmRepeat) return;
    // The position comes back in the device's time format and goes straight
    // into the play command. A failed query must not become the command
    // "play cdaudio from Error:275"; this step plays nothing and the next
    // poll, 200 ms later, asks again.
    const std::string from = MciStatus("status cdaudio position track " + std::to_string(settings_.bgmRepeat));
    if (IsFailure(from, settings_.ansi)) return;
    MciPlay("cdaudio", from, "");
}

void Nimbel_BGM::StartMp3Music() noexcept {
    if (!IsQuotableFileName(settings_.bgmFile)) return;
    if (Send("open \"" + settings_.bgmFile + "\" type MPEGVideo Alias MP3Play") != 0) return;
    Send("play MP3Play");
}

bool Nimbel_BGM::IsMp3Playing() noexcept {
    mci_.SendString("status MP3Play mode", mp3Mode_);
    return ModeIs(mp3Mode_, "playing");
}

void Nimbel_BGM::RepeatMp3Music() noexcept {
    if (IsMp3Playing()) return;
    Send("stop MP3Play");
    Send("play MP3Play from 0");
}

void Nimbel_BGM::StopMp3Music() noexcept {
    Send("stop MP3Play");
    Send("close MP3Play");
}

void Nimbel_BGM::StartWavMusic() noexcept {
    // The count is read as a signed 32-bit value: "0 or less" means no device.
    if (static_cast<std::int32_t>(mci_.WaveOutDeviceCount()) <= 0) return;
    // A file that cannot be played plays nothing: without NODEFAULT the
    // system's default sound would ring in a loop until Esc.
    mci_.PlayWaveSound(settings_.bgmFile.c_str(), kSndAsync | kSndLoop | kSndFileName | kSndNoDefault);
}

void Nimbel_BGM::StopWavMusic() noexcept { mci_.PlayWaveSound(nullptr, 0); }
