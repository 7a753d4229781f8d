// What the Wine tests' probes share, so each probe holds only what it
// exercises: the command word that picks what a console probe does, the log
// the test reads while the probe runs, the clocks its lines are stamped with,
// a script of steps with the hand-shake that lets the test look between two
// of them, and the message loop. The test's side is harness.Probe.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace probe {

// --- the log ---------------------------------------------------------------------
// One line per observation. A named file is opened, appended to and closed
// for every line, so the test reads it while the probe runs and keeps every
// line even when the probe is killed; with no file named the lines go to
// standard output, flushed at once.
inline std::string& LogPath() {
    static std::string path;
    return path;
}

inline void LogTo(std::string path) { LogPath() = std::move(path); }

inline void Log(const std::string& line) {
    if (LogPath().empty()) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    } else if (FILE* f = std::fopen(LogPath().c_str(), "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

// --- clocks ------------------------------------------------------------------------
// The system's tick, which the test compares lines of one run by.
inline std::string Tick() { return std::to_string(GetTickCount64()); }

inline const ULONGLONG kStartTick = GetTickCount64();

inline unsigned long long ElapsedMs() { return GetTickCount64() - kStartTick; }

inline double ElapsedSeconds() { return static_cast<double>(ElapsedMs()) / 1000.0; }

// --- the command line ----------------------------------------------------------------
// The words after the program's name, for console and window programs alike.
inline std::vector<std::string> Arguments() { return std::vector<std::string>(__argv + 1, __argv + __argc); }

// The same words as UTF-8, from the wide command line: they reach the probe
// whole whatever the system's ANSI code page cannot spell.
inline std::vector<std::string> Utf8Arguments() {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> words;
    for (int i = 1; wide && i < count; ++i) {
        char utf8[4096] = {};
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, utf8, sizeof utf8, nullptr, nullptr);
        words.emplace_back(utf8);
    }
    if (wide) LocalFree(wide);
    return words;
}

// A number in C notation (0x10, 010, 16).
inline unsigned long long Number(const std::string& text) { return std::strtoull(text.c_str(), nullptr, 0); }

// The key=value words among words, the values as numbers.
inline std::map<std::string, unsigned long long> NumberOptions(const std::vector<std::string>& words) {
    std::map<std::string, unsigned long long> options;
    for (const std::string& word : words) {
        const std::size_t eq = word.find('=');
        if (eq != std::string::npos) options[word.substr(0, eq)] = Number(word.substr(eq + 1));
    }
    return options;
}

// One command word of a console probe: the least and most words that may
// follow it, and what it does with them (its exit code).
struct Command {
    const char* name;
    std::size_t least, most;
    std::function<int(const std::vector<std::string>&)> run;
};

// Runs the command the first argument names; a missing or unknown one, or one
// with too few or too many words, prints the usage and gives 64.
inline int RunCommand(std::initializer_list<Command> commands, const char* usage,
                      const std::vector<std::string>& words = Arguments()) {
    for (const Command& command : commands) {
        if (words.empty() || words[0] != command.name) continue;
        const std::vector<std::string> rest(words.begin() + 1, words.end());
        if (rest.size() < command.least || rest.size() > command.most) break;
        return command.run(rest);
    }
    std::fprintf(stderr, "usage: %s\n", usage);
    return 64;
}

// --- a script of steps -----------------------------------------------------------------
// One step, "name" or "name:argument".
struct Step {
    std::string name, arg;
    int Int() const { return std::atoi(arg.c_str()); }
};

inline Step ParseStep(const std::string& text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) return {text, ""};
    return {text.substr(0, colon), text.substr(colon + 1)};
}

// Steps given on the command line, run one at a time at the probe's own pace.
// The step "ready" logs "ready TICK" and holds the script until the test's go
// file (the log's path and ".go") appears, so the test can look meanwhile.
class Script {
public:
    explicit Script(std::vector<std::string> steps) : steps_(std::move(steps)) {}

    const std::vector<std::string>& Steps() const { return steps_; }

    // The next step, or nothing while held or once every step has run.
    std::optional<Step> Next() {
        if (next_ >= steps_.size()) return std::nullopt;
        if (held_) {
            const std::string go = LogPath() + ".go";
            if (GetFileAttributesA(go.c_str()) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
            DeleteFileA(go.c_str());
            held_ = false;
        }
        Step step = ParseStep(steps_[next_++]);
        if (step.name == "ready") {
            Log("ready " + Tick());
            held_ = true;
        }
        return step;
    }

private:
    std::vector<std::string> steps_;
    std::size_t next_ = 0;
    bool held_ = false;
};

// --- windows -------------------------------------------------------------------------------
// Handles window messages until WM_QUIT; its exit code.
inline int RunMessageLoop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

// Handles window messages until `until` (ElapsedSeconds), as a message loop would meanwhile.
inline void PumpUntil(double until) {
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        const double left = until - ElapsedSeconds();
        if (left <= 0) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left * 1000) + 1, QS_ALLINPUT);
    }
}

// The default window procedure, except that a destroyed window ends the message loop.
inline LRESULT CALLBACK QuitOnDestroy(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, w, l);
}

}  // namespace probe
