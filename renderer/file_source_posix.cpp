// POSIX stand-in for the Windows file reader, for the native build.
#include <cstdio>
#include <sys/stat.h>

#include "byte_source.h"

namespace {
class PosixFileSource final : public ByteSource {
public:
    explicit PosixFileSource(std::FILE* file) : file_(file) {}
    ~PosixFileSource() override { std::fclose(file_); }
    std::size_t Read(void* destination, std::size_t n) override { return std::fread(destination, 1, n, file_); }
    std::uint64_t Size() const override {
        struct stat info {};
        if (fstat(fileno(file_), &info) != 0 || info.st_size < 0) return 0;
        return static_cast<std::uint64_t>(info.st_size);
    }

private:
    std::FILE* file_;
};
}  // namespace

std::unique_ptr<ByteSource> OpenSequentialFile(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return nullptr;
    return std::make_unique<PosixFileSource>(file);
}
