// A file opened for one sequential pass. The texture reader sees only this, so
// the same parsing runs on the Windows file API, on POSIX files in tests and on
// fuzzer input.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to n bytes at the current position; returns how many were read.
    virtual std::size_t Read(void* destination, std::size_t n) = 0;
    // Size of the whole file in bytes; lets a reader refuse sizes the file
    // cannot hold before it allocates for them.
    virtual std::uint64_t Size() const = 0;
};

// Opens a file for reading in sequential-scan mode; null when it cannot be
// opened. Closing happens when the object is destroyed.
std::unique_ptr<ByteSource> OpenSequentialFile(const char* path);
