// Picture objects of the platform (OLE pictures): a GIF's bytes loaded as a
// picture, and the file bytes a loaded picture keeps, back again.
#pragma once
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

// One reference to an IPicture, released with the owner.
class OlePicture {
public:
    OlePicture() = default;
    explicit OlePicture(IPicture* picture) : picture_(picture) {}  // takes the reference
    ~OlePicture() { Reset(); }
    OlePicture(const OlePicture& other) : picture_(other.picture_) {
        if (picture_) picture_->AddRef();
    }
    OlePicture& operator=(OlePicture other) {
        std::swap(picture_, other.picture_);
        return *this;
    }
    void Reset() {
        if (picture_) picture_->Release();
        picture_ = nullptr;
    }
    IPicture* Get() const { return picture_; }
    explicit operator bool() const { return picture_ != nullptr; }

private:
    IPicture* picture_ = nullptr;
};

// LoadPictureFromBytes: the bytes copied into a movable memory block, wrapped
// in a stream that frees it, loaded with OleLoadPicture. None on any failure.
OlePicture LoadPictureFromBytes(const std::uint8_t* bytes, std::size_t length);

// The file a picture was loaded from (its memory copy), or none. Throws
// std::bad_alloc when memory cannot hold the copy (nothing is left open).
std::optional<std::vector<std::uint8_t>> PictureFileBytes(IPicture* picture);
