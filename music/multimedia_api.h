// The four Windows multimedia services the music player needs, behind one
// narrow interface so that the command sequencing is plain C++ and can be
// driven by a scripted fake. The shipped program always passes the real calls
// (SystemMultimedia, mci_win32.cpp); fakes live in the tests only.
#pragma once
#include <cstdint>
#include <span>
#include <string>

// PlaySoundA flags the player passes (same values as <mmsystem.h>).
constexpr std::uint32_t kSndAsync = 0x0001;
constexpr std::uint32_t kSndNoDefault = 0x0002;
constexpr std::uint32_t kSndLoop = 0x0008;
constexpr std::uint32_t kSndFileName = 0x00020000;

class MultimediaApi {
public:
    virtual ~MultimediaApi() = default;

    // mciSendStringA(command, reply.data(), reply.size(), NULL); an empty
    // reply means no reply is wanted (NULL, 0). Returns the MCI error code,
    // 0 on success. What the device writes into reply is left as it wrote it.
    virtual std::uint32_t SendString(const std::string& command, std::span<char> reply) noexcept = 0;

    // mciGetErrorStringA(code, text.data(), text.size()); false when it fails.
    virtual bool GetErrorString(std::uint32_t code, std::span<char> text) noexcept = 0;

    // PlaySoundA(sound, NULL, flags); a null sound stops any sound it started.
    virtual bool PlayWaveSound(const char* sound, std::uint32_t flags) noexcept = 0;

    // waveOutGetNumDevs().
    virtual std::uint32_t WaveOutDeviceCount() noexcept = 0;
};
