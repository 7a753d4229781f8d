#include "fake_files.h"

FileRead FakeFiles::ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& bytes) {
    log.push_back("read " + path);
    bytes.clear();
    if (folders.count(path) || unreadable.count(path)) return Answer(FileRead::Failed, true);
    const auto found = files.find(path);
    if (found == files.end()) return Answer(FileRead::Missing, false);
    if (found->second.size() > maxBytes) return Answer(FileRead::TooLarge, false);
    bytes = found->second;
    return Answer(FileRead::Ok, false);
}

bool FakeFiles::CanOpenForReading(const std::string& path) {
    log.push_back("probe " + path);
    return Answer(files.count(path) && !unreadable.count(path), false);
}

bool FakeFiles::IsReparsePoint(const std::string& path) {
    log.push_back("probe link " + path);
    return Answer(links.count(path) != 0, false);
}

NewFile FakeFiles::WriteNewFile(const std::string& path, std::string_view bytes) {
    log.push_back("write " + path);
    if (files.count(path) || folders.count(path) || links.count(path)) return Answer(NewFile::NotCreated, true);
    if (writeFailsHalfway) {
        files[path] = std::string(bytes.substr(0, bytes.size() / 2));
        return Answer(NewFile::Failed, true);
    }
    files[path] = std::string(bytes);
    return Answer(NewFile::Written, false);
}

bool FakeFiles::MoveReplacing(const std::string& from, const std::string& to) {
    log.push_back("move " + from + " > " + to);
    const auto found = files.find(from);
    if (moveFails || found == files.end() || folders.count(to)) return Answer(false, true);
    files[to] = found->second;
    files.erase(from);
    return Answer(true, false);
}

void FakeFiles::Remove(const std::string& path) {
    log.push_back("remove " + path);
    files.erase(path);
}

std::vector<std::string> FakeFiles::Changes() const {
    std::vector<std::string> changes;
    for (const auto& entry : log)
        if (entry.rfind("read ", 0) != 0 && entry.rfind("probe ", 0) != 0) changes.push_back(entry);
    return changes;
}
