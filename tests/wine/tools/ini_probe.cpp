// Test helper run under Wine: puts the system's profile functions and the
// launcher's own INI codec side by side over a batch of cases, so that one
// program start judges hundreds of them. Console program:
//   ini_probe BATCH OUTPUT
// BATCH holds one case a line, fields separated by one blank. Byte strings
// are hexadecimal ("" is written as "."); "-" stands for a file that does
// not exist. Every case works in its own files under C:\ini_probe, so the
// system's profile cache never serves one case's file to another.
//
//   R id file section key size
//       file on disk as C:\ini_probe\r<id>.ini; the system reader asked with
//       a buffer of `size` zero bytes, as ReadIni hands it, against
//       IniGetString and (size 256) ReadIni through the real file layer.
//       out: R id ret system ours readini
//   W id file section key value [section:key ...]
//       WritePrivateProfileStringA on one copy of the file, WriteIni on
//       another, IniSetString on the bytes. Each result file is then read
//       back by the system reader: its section names and, for every
//       section:key listed, the value (a buffer of 4096 bytes).
//       out: W id ok system-file ours-file pure
//            system-names ours-names system-value... ours-value...
//       (names: the section names list of GetPrivateProfileSectionNamesA,
//       NULs as they come, hex)
//   S id folder file kind repeat bgmfile
//       SaveSettings into folder\Velmora.ini, starting from `file`; then the
//       system reader's view of the three keys and the saved bytes; then
//       LoadSettings from that folder.
//       out: S id saved kind repeat bgmfile BgmKind BgmRepeat BgmFile BgmFolder
//   L id folder
//       LoadSettings from folder\Velmora.ini as it is on disk.
//       out: L id BgmKind BgmRepeat BgmFile BgmFolder
// The output starts with "acp <GetACP()>" and ends with "overruns <n>", the
// number of system reads that wrote past the buffer they were given.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ini_codec.h"
#include "settings.h"
#include "settings_file.h"

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
std::string SystemRead(const std::string& section, const std::string& key, const std::string& path,
                       DWORD size, DWORD* result = nullptr) {
    std::vector<char> buffer(size + 1, '\0');  // one spare byte: a guard, never handed over
    const DWORD got = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(), size,
                                               path.c_str());
    if (result) *result = got;
    if (buffer[size] != '\0') ++overruns;
    return std::string(buffer.data());
}

std::string SectionNames(const std::string& path) {
    std::vector<char> buffer(65536, '\0');
    const DWORD got = GetPrivateProfileSectionNamesA(buffer.data(), static_cast<DWORD>(buffer.size()),
                                                     path.c_str());
    return std::string(buffer.data(), got);
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
    return "R " + f[1] + " " + std::to_string(ret) + " " + Hex(system) + " " + Hex(ours) + " " + Hex(readIni);
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

    std::string line = "W " + f[1] + " " + (ok ? "1" : "0") + " " + FileField(systemPath) + " " +
                       FileField(oursPath) + " " + (pure ? Hex(*pure) : "-");
    line += " " + Hex(SectionNames(systemPath)) + " " + Hex(SectionNames(oursPath));
    std::vector<std::pair<std::string, std::string>> queries;
    for (std::size_t i = 6; i < f.size(); ++i) {
        const std::size_t colon = f[i].find(':');
        std::string s, k;
        if (colon == std::string::npos || !Unhex(f[i].substr(0, colon), s) || !Unhex(f[i].substr(colon + 1), k))
            return "bad";
        queries.emplace_back(s, k);
    }
    for (const char* path : {systemPath.c_str(), oursPath.c_str()})
        for (const auto& [s, k] : queries) line += " " + Hex(SystemRead(s, k, path, 4096));
    return line;
}

std::string Globals() {
    return std::to_string(BgmKind) + " " + std::to_string(BgmRepeat) + " " + Hex(BgmFile) + " " + Hex(BgmFolder);
}

std::string SaveCase(const std::vector<std::string>& f) {
    if (f.size() != 7) return "bad";
    std::string folder, bgmFile;
    if (!Unhex(f[2], folder) || !Unhex(f[6], bgmFile)) return "bad";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string path = SettingsFilePath(folder);
    if (!Prepare(path, f[3])) return "bad";
    BgmKind = static_cast<std::int16_t>(std::atoi(f[4].c_str()));
    BgmRepeat = static_cast<std::int16_t>(std::atoi(f[5].c_str()));
    BgmFile = bgmFile;
    SaveSettings(SystemFileAccess(), folder);
    std::string line = "S " + f[1] + " " + FileField(path);
    for (std::string_view key : {kKeyBgmKind, kKeyBgmRepeat, kKeyBgmFile})
        line += " " + Hex(SystemRead(std::string(kSettingsSection), std::string(key), path, 256));
    BgmKind = BgmRepeat = 0;
    BgmFile.clear();
    BgmFolder.clear();
    LoadSettings(SystemFileAccess(), folder);
    return line + " " + Globals();
}

std::string LoadCase(const std::vector<std::string>& f) {
    if (f.size() != 3) return "bad";
    std::string folder;
    if (!Unhex(f[2], folder)) return "bad";
    BgmKind = 7;
    BgmRepeat = 7;
    BgmFile = "stale";
    BgmFolder = "stale";
    LoadSettings(SystemFileAccess(), folder);
    return "L " + f[1] + " " + Globals();
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
        if (f[0] == "R") result = ReadCase(f);
        else if (f[0] == "W") result = WriteCase(f);
        else if (f[0] == "S") result = SaveCase(f);
        else if (f[0] == "L") result = LoadCase(f);
        else result = "bad";
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
