#include "file_access.h"

#include "path_parts.h"

std::string TemporaryPathFor(const std::string& path) {
    return path + "." + std::to_string(CurrentProcessId()) + ".new";
}

bool ReplaceFileAtomically(FileAccess& files, const std::string& path, std::string_view bytes) {
    if (path.empty()) return false;
    const std::string folder = FolderOf(path, Utf8());
    if (!folder.empty() && files.IsReparsePoint(folder)) return false;
    const std::string temporary = TemporaryPathFor(path);
    switch (files.WriteNewFile(temporary, bytes)) {
    case NewFile::Written: break;
    case NewFile::NotCreated: return false;  // what lies there is not ours to remove
    case NewFile::Failed: files.Remove(temporary); return false;
    }
    if (!files.MoveReplacing(temporary, path)) {
        files.Remove(temporary);
        return false;
    }
    return true;
}

bool FileExists(FileAccess& files, std::string_view path) {
    if (path.find('\0') != std::string_view::npos) return false;
    path = WithoutTrailingBackslash(path, Utf8());
    if (path.empty()) return false;
    return files.CanOpenForReading(std::string(path));
}
