// A scripted stand-in for the multimedia calls. Every SendString must be the
// next scripted command with the scripted reply length (0: no reply wanted);
// it answers with the scripted code and writes the scripted reply into the
// caller's buffer, as the device would. A failing command with no scripted
// reply leaves the buffer untouched.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "multimedia_api.h"

class ScriptedMultimedia final : public MultimediaApi {
public:
    ~ScriptedMultimedia() override { ExpectAllSent(); }

    ScriptedMultimedia& Expect(std::string command, std::size_t replyLength, std::uint32_t code = 0,
                               std::string reply = {}) {
        script_.push_back({std::move(command), replyLength, code, std::move(reply)});
        return *this;
    }
    // Reports every scripted command that was not sent, then starts a new script.
    void ExpectAllSent() {
        for (std::size_t i = next_; i < script_.size(); ++i)
            ADD_FAILURE() << "never sent: \"" << script_[i].command << "\"";
        script_.clear();
        next_ = 0;
    }

    std::uint32_t SendString(const std::string& command, std::span<char> reply) noexcept override {
        if (next_ == script_.size()) {
            ADD_FAILURE() << "unexpected command \"" << command << "\"";
            return kOffScript;
        }
        const Step& step = script_[next_++];
        if (command != step.command || reply.size() != step.replyLength) {
            ADD_FAILURE() << "sent \"" << command << "\" with reply length " << reply.size() << ", expected \""
                          << step.command << "\" with " << step.replyLength;
            return kOffScript;
        }
        if (step.code == 0 || !step.reply.empty()) Write(step.reply, reply);
        return step.code;
    }
    bool GetErrorString(std::uint32_t code, std::span<char> text) noexcept override {
        EXPECT_EQ(text.size(), 256u);
        errorCodesAsked.push_back(code);
        if (errorStringWorks) Write(errorText, text);
        return errorStringWorks;
    }
    bool PlayWaveSound(const char* sound, std::uint32_t flags) noexcept override {
        sounds.push_back({sound ? std::optional<std::string>(sound) : std::nullopt, flags});
        return true;
    }
    std::uint32_t WaveOutDeviceCount() noexcept override { return waveDevices; }

    bool errorStringWorks = true;
    std::string errorText = "The device is not open.";
    std::vector<std::uint32_t> errorCodesAsked;
    std::uint32_t waveDevices = 1;
    struct Sound {
        std::optional<std::string> name;  // nullopt for a null name
        std::uint32_t flags;
    };
    std::vector<Sound> sounds;

private:
    static constexpr std::uint32_t kOffScript = 0xDEAD;
    static void Write(const std::string& text, std::span<char> buffer) {
        if (buffer.empty()) return;
        const std::size_t n = std::min(text.size(), buffer.size() - 1);
        std::copy_n(text.begin(), n, buffer.begin());
        buffer[n] = '\0';
    }
    struct Step {
        std::string command;
        std::size_t replyLength;
        std::uint32_t code;
        std::string reply;
    };
    std::vector<Step> script_;
    std::size_t next_ = 0;
};
