#include "fake_files.h"

FileRead FakeFiles::ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& bytes) {
    log.push_back("read " + path);
    bytes.clear();
    if (folders.count(path) || unreadable.count(path)) return FileRead::Failed;
    const auto found = files.find(path);
    if (found == files.end()) return FileRead::Missing;
    if (found->second.size() > maxBytes) return FileRead::TooLarge;
    bytes = found->second;
    return FileRead::Ok;
}

bool FakeFiles::CanOpenForReading(const std::string& path) {
    log.push_back("probe " + path);
    return files.count(path) && !unreadable.count(path);
}

bool FakeFiles::IsReparsePoint(const std::string& path) {
    log.push_back("probe link " + path);
    return links.count(path) != 0;
}

NewFile FakeFiles::WriteNewFile(const std::string& path, std::string_view bytes) {
    log.push_back("write " + path);
    if (files.count(path) || folders.count(path) || links.count(path)) return NewFile::NotCreated;
    if (writeFailsHalfway) {
        files[path] = std::string(bytes.substr(0, bytes.size() / 2));
        return NewFile::Failed;
    }
    files[path] = std::string(bytes);
    return NewFile::Written;
}

bool FakeFiles::MoveReplacing(const std::string& from, const std::string& to) {
    log.push_back("move " + from + " > " + to);
    const auto found = files.find(from);
    if (moveFails || found == files.end() || folders.count(to)) return false;
    files[to] = found->second;
    files.erase(from);
    return true;
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
