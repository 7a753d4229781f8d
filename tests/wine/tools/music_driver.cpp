// Test helper run under Wine: drives the music player (Nimbel_BGM) over the real
// multimedia calls, one step at a time, and prints what it did. Console program:
//   music_driver devices                   waveOutGetNumDevs
//   music_driver wav FILE PLAY AFTER       StartWavMusic, PLAY seconds, StopWavMusic, AFTER seconds
//   music_driver mp3 FILE PLAY AFTER       StartMp3Music; every 250 ms the reply of
//                                          "status MP3Play mode", every 1000 ms RepeatMp3Music (as the
//                                          run form's timer does); after PLAY seconds StopMp3Music, one
//                                          more status query, then AFTER seconds
//   music_driver cd POLLS [REPEAT]         StartCdMusic (BgmRepeat = REPEAT, default 0), then
//                                          PollCdMusic every 200 ms while CdPollActive stays true,
//                                          at most POLLS times; StopCdMusic only if still active
// Seconds may have a fraction. Every multimedia call the player makes is printed
// with its result as it happens, one line each:
//   t=1.25 send "status MP3Play mode" len=30 rc=0 reply="playing"
// (len: the reply buffer's length, 0 when no reply is wanted)
// and the driver's own steps as "t=... step NAME ..." lines. Times are seconds
// since the program started. Waits pump window messages, like the launcher's
// message loop would.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <span>
#include <string>

#include "nimbel_bgm.h"
#include "probe_runner_win32.h"
#include "system_multimedia.h"

namespace {
double Now() { return probe::ElapsedSeconds(); }

// Bytes as they are, with quotes and control characters escaped so one call stays one line.
std::string Quoted(const char* text, std::size_t length) {
    std::string out = "\"";
    for (std::size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string Quoted(const std::string& text) { return Quoted(text.data(), text.size()); }

std::string UpToNul(std::span<const char> buffer) {
    return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
}

void Line(const std::string& text) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "t=%.2f ", Now());
    probe::Log(stamp + text);
}

// The real calls, each printed with its result.
class LoggingMultimedia final : public MultimediaApi {
public:
    explicit LoggingMultimedia(MultimediaApi& real) : real_(real) {}

    std::uint32_t SendString(const std::string& command, std::span<char> reply) noexcept override {
        const std::uint32_t rc = real_.SendString(command, reply);
        std::string line =
            "send " + Quoted(command) + " len=" + std::to_string(reply.size()) + " rc=" + std::to_string(rc);
        if (!reply.empty()) line += " reply=" + Quoted(UpToNul(reply));
        Line(line);
        return rc;
    }
    bool GetErrorString(std::uint32_t code, std::span<char> text) noexcept override {
        const bool ok = real_.GetErrorString(code, text);
        Line("errortext code=" + std::to_string(code) + " ok=" + (ok ? "1" : "0") +
             " text=" + (ok ? Quoted(UpToNul(text)) : std::string("\"\"")));
        return ok;
    }
    bool PlayWaveSound(const char* sound, std::uint32_t flags) noexcept override {
        const bool ok = real_.PlayWaveSound(sound, flags);
        Line(std::string("playsound sound=") + (sound ? Quoted(sound, std::strlen(sound)) : "NULL") +
             " flags=" + std::to_string(flags) + " ok=" + (ok ? "1" : "0"));
        return ok;
    }
    std::uint32_t WaveOutDeviceCount() noexcept override {
        const std::uint32_t n = real_.WaveOutDeviceCount();
        Line("wavedevices n=" + std::to_string(n));
        return n;
    }

private:
    MultimediaApi& real_;
};

double Seconds(const std::string& text) { return std::atof(text.c_str()); }

int Devices() {
    Line("step devices n=" + std::to_string(SystemMultimedia().WaveOutDeviceCount()));
    return 0;
}

// A music file's run: started, `playing` while it plays, stopped, then
// `after` seconds more with the process alive (and `stopped` first, if any).
int PlayFile(const std::string& file, void (Nimbel_BGM::*start)() noexcept,
             const std::function<void(Nimbel_BGM&)>& playing, void (Nimbel_BGM::*stop)() noexcept, double after,
             const std::function<void(Nimbel_BGM&)>& stopped = {}) {
    LoggingMultimedia mci(SystemMultimedia());
    Nimbel_BGM music(mci, MusicSettings{MusicKind::File, 0, file, SystemAnsiCodePage()});
    Line("step start");
    (music.*start)();
    Line("step started");
    playing(music);
    Line("step stopping");
    (music.*stop)();
    Line("step stopped");
    if (stopped) stopped(music);
    probe::PumpUntil(Now() + after);
    Line("step end");
    return 0;
}

int Wav(const std::string& file, double play, double after) {
    return PlayFile(
        file, &Nimbel_BGM::StartWavMusic, [play](Nimbel_BGM&) { probe::PumpUntil(Now() + play); },
        &Nimbel_BGM::StopWavMusic, after);
}

// Status every 250 ms; the repeat step on the 1000 ms marks, as the run form's timer.
void PlayMp3(Nimbel_BGM& music, double play) {
    const double started = Now();
    for (int tick = 1;; ++tick) {
        const double at = started + tick * 0.25;
        if (at > started + play) break;
        probe::PumpUntil(at);
        if (tick % 4 == 0) {
            Line("step repeat");
            music.RepeatMp3Music();
        } else {
            Line("step query");
            Line("step mode reply=" + Quoted(music.MciStatus("status MP3Play mode")));
        }
    }
    probe::PumpUntil(started + play);
}

int Mp3(const std::string& file, double play, double after) {
    return PlayFile(
        file, &Nimbel_BGM::StartMp3Music, [play](Nimbel_BGM& music) { PlayMp3(music, play); },
        &Nimbel_BGM::StopMp3Music, after,
        [](Nimbel_BGM& music) { Line("step after-close reply=" + Quoted(music.MciStatus("status MP3Play mode"))); });
}

int Cd(int polls, std::int16_t repeat) {
    LoggingMultimedia mci(SystemMultimedia());
    Nimbel_BGM music(mci, MusicSettings{MusicKind::Cd, repeat, "", SystemAnsiCodePage()});
    Line("step start");
    music.StartCdMusic();
    Line("step started active=" + std::to_string(music.CdPollActive()));
    const double started = Now();
    int done = 0;
    // As the run form's CD timer: one step every 200 ms while polling stays active.
    while (done < polls) {
        probe::PumpUntil(started + (done + 1) * 0.2);
        music.PollCdMusic();
        ++done;
        Line("step poll n=" + std::to_string(done) + " active=" + std::to_string(music.CdPollActive()));
        if (music.CdPollActive() == 0) break;
    }
    // As the run form's close: the CD device is stopped only while polling still goes on.
    if (music.CdPollActive() != 0) {
        Line("step stopping");
        music.StopCdMusic();
    }
    Line("step end polls=" + std::to_string(done));
    return 0;
}
}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    using Words = std::vector<std::string>;
    return probe::RunCommand({{"devices", 0, 0, [](const Words&) { return Devices(); }},
                              {"wav", 3, 3, [](const Words& w) { return Wav(w[0], Seconds(w[1]), Seconds(w[2])); }},
                              {"mp3", 3, 3, [](const Words& w) { return Mp3(w[0], Seconds(w[1]), Seconds(w[2])); }},
                              {"cd", 1, 2,
                               [](const Words& w) {
                                   const int repeat = w.size() == 2 ? std::atoi(w[1].c_str()) : 0;
                                   return Cd(std::atoi(w[0].c_str()), static_cast<std::int16_t>(repeat));
                               }}},
                             "music_driver devices | wav FILE PLAY AFTER | mp3 FILE PLAY AFTER | cd POLLS [REPEAT]");
}
