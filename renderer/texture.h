// The one mipmapped texture that every ring is drawn with.
#pragma once
#include <cstdint>

class Texture {
public:
    Texture() = default;
    ~Texture() { Release(); }
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // Releases any held name, then makes, binds and parameterises a new one.
    bool Create(const char* path);
    // Deletes the held texture name, if any.
    void Release();
    void Bind();
    // Create, then read the hand-off bitmap and build its mipmap chain into the
    // bound texture. False (with the name still held and bound, but empty) for
    // a file that cannot be opened or is not a well-formed 24-bit bitmap.
    bool LoadBMP(const char* path);

    const char* Name() const { return name_; }
    std::uint32_t GlName() const { return glName_; }
    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }

private:
    char name_[64] = {};
    std::uint32_t glName_ = 0;  // GL texture name + 1; 0 holds nothing
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
};
