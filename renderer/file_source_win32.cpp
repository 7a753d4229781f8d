#include <windows.h>

#include "byte_source.h"

namespace {
class Win32FileSource final : public ByteSource {
public:
    explicit Win32FileSource(HANDLE file) : file_(file) {}
    ~Win32FileSource() override { CloseHandle(file_); }
    Win32FileSource(const Win32FileSource&) = delete;
    Win32FileSource& operator=(const Win32FileSource&) = delete;

    std::size_t Read(void* destination, std::size_t n) override {
        // One ReadFile per call; the reader's requests are bounded far below 4 GiB.
        if (n > 0xFFFFFFFFu) return 0;
        DWORD got = 0;
        if (!ReadFile(file_, destination, static_cast<DWORD>(n), &got, nullptr)) return 0;
        return got;
    }
    std::uint64_t Size() const override {
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file_, &size) || size.QuadPart < 0) return 0;
        return static_cast<std::uint64_t>(size.QuadPart);
    }

private:
    HANDLE file_;
};
}  // namespace

std::unique_ptr<ByteSource> OpenSequentialFile(const char* path) {
    HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32FileSource>(file);
}
