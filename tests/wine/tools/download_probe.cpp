// A form that reads one path through the asynchronous read while a 50 ms
// form timer ticks, for the read's Wine tests. Everything goes to the log
// file, one line each, with milliseconds since the start:
//   start ok|refused T
//   tick T
//   progress STATUS READ TOTAL FAULT CODE T
//   complete COUNT CRC32 T              (CRC32 in hex, as zlib computes it)
//   cancel T | quit T
//   end threads=N jobs=N T              (live workers and read states at the end)
//   retries ok=N T, others ok=N T       (retries=N: N starts, each replacing the one before, then 8 other names)
//   download_probe LOG PATH [cancel=MS] [cancelat=BYTES] [quit=MS] [options=N] [linger=MS] [retries=N]
// cancel=MS cancels the read MS after the start; cancelat=BYTES cancels it
// from the first Receiving report at or past BYTES, after keeping the
// user-interface thread busy for 300 ms; quit=MS unloads the form
// then, whatever the read is doing. Otherwise the form unloads `linger` ms
// (default 400) after the read failed, completed or was cancelled. Like a
// control, the probe cancels a read whose report says Failed.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app_win32.h"
#include "async_read_win32.h"
#include "form_win32.h"
#include "probe_runner_win32.h"

namespace {
unsigned long long Now() { return probe::ElapsedMs(); }

void Log(const std::string& line) { probe::Log(line + " " + std::to_string(Now())); }

std::uint32_t Crc32(const std::vector<std::uint8_t>& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::uint8_t b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

struct Options {
    std::string path;
    unsigned long long cancelAt = 0, quitAt = 0, linger = 400, cancelAtBytes = 0;
    unsigned options = 0;
    unsigned long long retries = 0;
};

// LOG PATH [key=value...]; false without a path.
bool ReadArguments(Options& options) {
    const std::vector<std::string> words = probe::Arguments();
    if (words.size() < 2) return false;
    probe::LogTo(words[0]);
    options.path = words[1];
    for (const auto& [key, value] : probe::NumberOptions({words.begin() + 2, words.end()})) {
        if (key == "cancel") options.cancelAt = value;
        if (key == "cancelat") options.cancelAtBytes = value;
        if (key == "quit") options.quitAt = value;
        if (key == "options") options.options = static_cast<unsigned>(value);
        if (key == "linger") options.linger = value;
        if (key == "retries") options.retries = value;
    }
    return true;
}

class ProbeForm : public forms::Form {
public:
    explicit ProbeForm(Options options)
        : Form(L"Download Probe", forms::FormStyle{WS_POPUP, 0, RGB(0xFB, 0xF6, 0xDC)}), options_(std::move(options)) {
        reader_.onProgress = [this](const std::string& name, const forms::ReadProgress& p) {
            char line[128];
            std::snprintf(line, sizeof line, "progress %d %u %u %d %lu", static_cast<int>(p.status), p.bytesRead,
                          p.bytesTotal, static_cast<int>(p.fault), p.code);
            Log(line);
            if (p.status == ReadStatus::Failed) {
                reader_.Cancel(name);
                EndIn(options_.linger);
            }
            if (options_.cancelAtBytes && p.status == ReadStatus::Receiving && p.bytesRead >= options_.cancelAtBytes) {
                // Busy for a while first, so that the worker's next reports
                // (its result, from a fast server) are already queued.
                Sleep(300);
                reader_.Cancel(name);
                Log("cancel");
                EndIn(options_.linger);
            }
        };
        reader_.onComplete = [this](const std::string&, std::vector<std::uint8_t> bytes) {
            char line[64];
            std::snprintf(line, sizeof line, "complete %zu %08x", bytes.size(), Crc32(bytes));
            Log(line);
            EndIn(options_.linger);
        };
        ticker_.SetEnabled(true);
    }

protected:
    void OnLoad() override {
        if (options_.retries) Retry();
        Log(reader_.Reading("probe") || reader_.Start(options_.path, "probe", options_.options) ? "start ok"
                                                                                                : "start refused");
        if (!reader_.Reading("probe")) EndIn(options_.linger);
    }

private:
    void Retry() {
        int ok = 0, others = 0;
        for (unsigned long long i = 0; i < options_.retries; ++i) ok += reader_.Start(options_.path, "probe");
        for (int i = 0; i < 8; ++i) others += reader_.Start(options_.path, "other" + std::to_string(i));
        Log("retries ok=" + std::to_string(ok));
        Log("others ok=" + std::to_string(others));
    }

    void EndIn(unsigned long long ms) {
        if (!endAt_) endAt_ = Now() + ms;
    }

    void Tick() {
        Log("tick");
        const unsigned long long now = Now();
        if (options_.cancelAt && now >= options_.cancelAt && reader_.Reading("probe")) {
            reader_.Cancel("probe");
            Log("cancel");
            EndIn(options_.linger);
        }
        if (options_.quitAt && now >= options_.quitAt) {
            Log("quit");
            Unload();
        } else if (endAt_ && now >= endAt_) {
            Unload();
        }
    }

    Options options_;
    forms::AsyncReader reader_;
    forms::Timer ticker_{*this, 50, [this] { Tick(); }};
    unsigned long long endAt_ = 0;
};
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Options options;
    if (!ReadArguments(options)) return 64;
    static ProbeForm form(options);
    form.Move(0, 0, static_cast<int>(200 * forms::TwipsPerPixelX()), static_cast<int>(60 * forms::TwipsPerPixelY()));
    form.Show(false);
    const int code = forms::RunMessageLoop();
    char line[64];
    std::snprintf(line, sizeof line, "end threads=%ld jobs=%ld", forms::LiveReadThreads(), forms::LiveReadJobs());
    Log(line);
    return code;
}
