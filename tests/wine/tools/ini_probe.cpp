// Test helper run under Wine: puts the system's profile functions and the
// launcher's own INI codec side by side over a batch of cases, so that one
// program start judges hundreds of them. Console program:
//   ini_probe BATCH OUTPUT
// BATCH holds one case a line, fields separated by one blank. Byte strings
// are hexadecimal ("" is written as "."); "-" stands for a file that does
// not exist. Every R and W case works in its own files under C:\ini_probe,
// so the system's profile cache never serves one case's file to another.
//
//   R id file section key size
//       file on disk as C:\ini_probe\r<id>.ini; the system reader asked with
//       a buffer of `size` zero bytes, as ReadIni hands it, against
//       IniGetString and (size 256) ReadIni through the real file layer;
//       and IniGetString once more over the file's text as this system's
//       profile functions load it (see SystemView), "=" when that is the
//       file itself.
//       out: R id ret system ours readini view ours-on-view
//   W id file section key value [section:key ...]
//       WritePrivateProfileStringA on one copy of the file, WriteIni on
//       another, IniSetString on the bytes. Each result file is then read
//       back by the system reader: its outline and, for every section:key
//       listed, the value (a buffer of 4096 bytes); our reader reads the
//       listed values from our file too.
//       out: W id ok system-file ours-file pure system-outline ours-outline
//            system-on-system... system-on-ours... ours-on-ours...
//       An outline is what GetPrivateProfileSectionNamesA lists and, for
//       each name, what GetPrivateProfileSectionA gives: name NUL 01
//       section-text 02, one after another.
//   S id folder file kind repeat bgmfile
//       SaveSettings into folder\Velmora.ini, starting from `file` (kind,
//       repeat and bgmfile as the settings); then the saved bytes, what the
//       system reader reads for the three keys, and the settings that
//       LoadSettings gives from that folder (BgmFolder in UTF-8, as the
//       launcher holds it).
//       out: S id saved-file system-kind system-repeat system-file
//            BgmKind BgmRepeat BgmFile BgmFolder
//   L id folder
//       LoadSettings from folder\Velmora.ini as it is on disk.
//       out: L id BgmKind BgmRepeat BgmFile BgmFolder
//   F id path
//       creates an empty file of that (ANSI) name and the folders on its
//       way: the music files of the settings cases, named through the ANSI
//       code page as the launcher names them.
//       out: F id ok
// The output starts with "acp <GetACP()>" and ends with "overruns <n>", the
// number of system reads that wrote past the buffer they were given.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "code_page.h"
#include "ini_codec.h"
#include "settings.h"
#include "file_access.h"

namespace {
const char kWork[] = "C:\\ini_probe";
int overruns = 0;  // system reads that wrote past the buffer they were given

std::string Hex(const std::string& bytes) {
    if (bytes.empty()) return ".";
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

bool Unhex(const std::string& text, std::string& bytes) {
    bytes.clear();
    if (text == ".") return true;
    if (text.size() % 2) return false;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const std::string pair = text.substr(i, 2);
        char* end = nullptr;
        const long value = std::strtol(pair.c_str(), &end, 16);
        if (end != pair.c_str() + 2) return false;
        bytes += static_cast<char>(value);
    }
    return true;
}

// One more blank-separated field on an output line.
void Add(std::string& line, const std::string& field) {
    line += ' ';
    line += field;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t at = 0;
    while (at <= line.size()) {
        const std::size_t blank = line.find(' ', at);
        const std::size_t end = blank == std::string::npos ? line.size() : blank;
        if (end > at) fields.push_back(line.substr(at, end - at));
        at = end + 1;
    }
    return fields;
}

bool ReadFileBytes(const std::string& path, std::string& bytes) {
    bytes.clear();
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    char chunk[65536];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, n);
    std::fclose(file);
    return true;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

// The file of a case as it should be before the case runs: given bytes, or
// none at all ("-").
bool Prepare(const std::string& path, const std::string& field) {
    DeleteFileA(path.c_str());
    if (field == "-") return true;
    std::string bytes;
    return Unhex(field, bytes) && WriteFileBytes(path, bytes);
}

std::string FileField(const std::string& path) {
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) return "-";
    return Hex(bytes);
}

// What ReadIni's call leaves in the buffer, up to its first NUL.
std::string SystemRead(const std::string& section, const std::string& key, const std::string& path, DWORD size,
                       DWORD* result = nullptr) {
    std::vector<char> buffer(size + 1, '\0');  // one spare byte: a guard, never handed over
    const DWORD got = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(), size, path.c_str());
    if (result) *result = got;
    if (buffer[size] != '\0') ++overruns;
    return std::string(buffer.data());
}

// The file as the system reader sees it: its sections in order, each with
// the entries of the first section of that name.
std::string Outline(const std::string& path) {
    std::vector<char> names(65536, '\0');
    const DWORD got = GetPrivateProfileSectionNamesA(names.data(), static_cast<DWORD>(names.size()), path.c_str());
    std::string outline;
    std::vector<char> section(65536, '\0');
    for (std::size_t at = 0; at < got;) {
        const std::string name(names.data() + at);
        at += name.size() + 1;
        const DWORD length =
            GetPrivateProfileSectionA(name.c_str(), section.data(), static_cast<DWORD>(section.size()), path.c_str());
        outline += name;
        outline += '\0';
        outline += '\1';
        outline.append(section.data(), length);
        outline += '\2';
    }
    return outline;
}

// The text of a profile file as Wine's profile functions hold it, brought
// back to the ANSI code page: they take a UTF-8 or UTF-16 file by its
// byte-order mark, and anything else as ANSI text, turn it into UTF-16 and
// give values back through the ANSI code page again. Byte sequences that are
// no character, or one of two codes for the same character, do not survive
// that round trip unchanged.
std::string SystemView(const std::string& bytes) {
    std::wstring wide;
    const auto starts = [&bytes](const char* mark, std::size_t n) { return bytes.compare(0, n, mark, n) == 0; };
    if (starts("\xFF\xFE", 2) || starts("\xFE\xFF", 2)) {
        const bool big = bytes[0] == '\xFE';
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const unsigned char a = bytes[i], b = bytes[i + 1];
            wide += static_cast<wchar_t>(big ? (a << 8 | b) : (b << 8 | a));
        }
    } else {
        const bool utf8 = starts("\xEF\xBB\xBF", 3);
        const std::string text = utf8 ? bytes.substr(3) : bytes;
        wide = ToUtf16(text, utf8 ? kUtf8CodePage : kAnsiCodePage);
    }
    return FromUtf16(wide, kAnsiCodePage);
}

std::string ReadCase(const std::vector<std::string>& f) {
    if (f.size() != 6) return "bad";
    const std::string path = std::string(kWork) + "\\r" + f[1] + ".ini";
    std::string file, section, key;
    if (!Unhex(f[3], section) || !Unhex(f[4], key) || !Prepare(path, f[2])) return "bad";
    if (f[2] != "-") Unhex(f[2], file);
    const DWORD size = static_cast<DWORD>(std::strtoul(f[5].c_str(), nullptr, 10));
    DWORD ret = 0;
    const std::string system = SystemRead(section, key, path, size, &ret);
    const std::string ours = IniGetString(file, section, key, size);
    const std::string readIni = size == kReadIniBufferSize ? ReadIni(SystemFileAccess(), section, key, path) : "";
    std::string line = "R " + f[1];
    Add(line, std::to_string(ret));
    Add(line, Hex(system));
    Add(line, Hex(ours));
    Add(line, Hex(readIni));
    const std::string view = SystemView(file);
    Add(line, view == file ? "=" : Hex(view));
    Add(line, Hex(IniGetString(view, section, key, size)));
    return line;
}

std::string WriteCase(const std::vector<std::string>& f) {
    if (f.size() < 6) return "bad";
    const std::string systemPath = std::string(kWork) + "\\w" + f[1] + "s.ini";
    const std::string oursPath = std::string(kWork) + "\\w" + f[1] + "o.ini";
    std::string file, section, key, value;
    if (!Unhex(f[3], section) || !Unhex(f[4], key) || !Unhex(f[5], value)) return "bad";
    if (!Prepare(systemPath, f[2]) || !Prepare(oursPath, f[2])) return "bad";
    if (f[2] != "-") Unhex(f[2], file);

    const BOOL ok = WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), systemPath.c_str());
    WriteIni(SystemFileAccess(), section, key, value, oursPath);
    const auto pure = IniSetString(file, section, key, value);

    std::string line = "W " + f[1] + " " + (ok ? "1" : "0") + " " + FileField(systemPath) + " " + FileField(oursPath) +
                       " " + (pure ? Hex(*pure) : "-");
    Add(line, Hex(Outline(systemPath)));
    Add(line, Hex(Outline(oursPath)));
    std::vector<std::pair<std::string, std::string>> queries;
    for (std::size_t i = 6; i < f.size(); ++i) {
        const std::size_t colon = f[i].find(':');
        std::string s, k;
        if (colon == std::string::npos || !Unhex(f[i].substr(0, colon), s) || !Unhex(f[i].substr(colon + 1), k))
            return "bad";
        queries.emplace_back(s, k);
    }
    for (const std::string* path : {&systemPath, &oursPath})
        for (const auto& [s, k] : queries) Add(line, Hex(SystemRead(s, k, *path, 4096)));
    std::string oursBytes;
    ReadFileBytes(oursPath, oursBytes);
    for (const auto& [s, k] : queries) Add(line, Hex(IniGetString(oursBytes, s, k, 4096)));
    return line;
}

std::string SettingsFields(const StoredSettings& settings) {
    return std::to_string(static_cast<int>(settings.BgmKind)) + " " + std::to_string(settings.BgmRepeat) + " " +
           Hex(settings.BgmFile) + " " + Hex(settings.BgmFolder);
}

std::string SaveCase(const std::vector<std::string>& f) {
    if (f.size() != 7) return "bad";
    std::string folder, bgmFile;
    if (!Unhex(f[2], folder) || !Unhex(f[6], bgmFile)) return "bad";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string path = SettingsFilePath(folder);
    if (!Prepare(path, f[3])) return "bad";
    StoredSettings settings;
    settings.BgmKind = static_cast<MusicKind>(std::atoi(f[4].c_str()));
    settings.BgmRepeat = static_cast<std::int16_t>(std::atoi(f[5].c_str()));
    settings.BgmFile = bgmFile;
    // The launcher names its folder in UTF-8; the batch gives it in ANSI.
    const std::string launcherFolder = SystemAnsiText().toUtf8(folder);
    SaveSettings(SystemFileAccess(), launcherFolder, settings);
    std::string line = "S " + f[1] + " " + FileField(path);
    for (std::string_view key : {kKeyBgmKind, kKeyBgmRepeat, kKeyBgmFile})
        Add(line, Hex(SystemRead(std::string(kSettingsSection), std::string(key), path, 256)));
    Add(line, SettingsFields(LoadSettings(SystemFileAccess(), SystemAnsiText(), launcherFolder)));
    return line;
}

std::string CreateCase(const std::vector<std::string>& f) {
    std::string path;
    if (f.size() != 3 || !Unhex(f[2], path)) return "bad";
    for (std::size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    const HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const bool ok = file != INVALID_HANDLE_VALUE;
    if (ok) CloseHandle(file);
    return "F " + f[1] + (ok ? " 1" : " 0");
}

std::string LoadCase(const std::vector<std::string>& f) {
    if (f.size() != 3) return "bad";
    std::string folder;
    if (!Unhex(f[2], folder)) return "bad";
    return "L " + f[1] + " " +
           SettingsFields(LoadSettings(SystemFileAccess(), SystemAnsiText(), SystemAnsiText().toUtf8(folder)));
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: ini_probe BATCH OUTPUT\n");
        return 64;
    }
    std::string batch;
    if (!ReadFileBytes(argv[1], batch)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 66;
    }
    CreateDirectoryA(kWork, nullptr);
    FILE* out = std::fopen(argv[2], "wb");
    if (!out) return 73;
    std::fprintf(out, "acp %u\n", GetACP());
    int bad = 0;
    std::size_t at = 0;
    while (at < batch.size()) {
        std::size_t end = batch.find('\n', at);
        if (end == std::string::npos) end = batch.size();
        std::string line = batch.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::vector<std::string> f = Fields(line);
        if (f.empty()) continue;
        std::string result;
        if (f[0] == "R")
            result = ReadCase(f);
        else if (f[0] == "W")
            result = WriteCase(f);
        else if (f[0] == "S")
            result = SaveCase(f);
        else if (f[0] == "L")
            result = LoadCase(f);
        else if (f[0] == "F")
            result = CreateCase(f);
        else
            result = "bad";
        if (result == "bad") {
            ++bad;
            result = "bad " + (f.size() > 1 ? f[1] : std::string("?"));
        }
        std::fprintf(out, "%s\n", result.c_str());
    }
    std::fprintf(out, "overruns %d\n", overruns);
    std::fclose(out);
    return bad ? 65 : 0;
}
