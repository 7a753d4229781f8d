#include <windows.h>
#include <mmsystem.h>

#include "system_multimedia.h"

static_assert(SND_ASYNC == kSndAsync && SND_LOOP == kSndLoop && SND_NODEFAULT == kSndNoDefault &&
              SND_FILENAME == kSndFileName);

namespace {
// A straight pass-through: every decision is the player's, so this layer has
// nothing to test beyond the calls themselves.
class Win32Multimedia final : public MultimediaApi {
public:
    std::uint32_t SendString(const std::string& command, std::span<char> reply) noexcept override {
        return mciSendStringA(command.c_str(), reply.empty() ? nullptr : reply.data(), static_cast<UINT>(reply.size()),
                              nullptr);
    }
    bool GetErrorString(std::uint32_t code, std::span<char> text) noexcept override {
        return mciGetErrorStringA(code, text.data(), static_cast<UINT>(text.size())) != FALSE;
    }
    bool PlayWaveSound(const char* sound, std::uint32_t flags) noexcept override {
        return PlaySoundA(sound, nullptr, flags) != FALSE;
    }
    std::uint32_t WaveOutDeviceCount() noexcept override { return waveOutGetNumDevs(); }
};
}  // namespace

MultimediaApi& SystemMultimedia() {
    static Win32Multimedia instance;
    return instance;
}
