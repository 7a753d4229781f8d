#include "ole_picture_win32.h"

#include <cstring>

namespace {
// OLE is started once for the user-interface thread, on first use, and left
// running until the process ends.
void EnsureOle() {
    static bool started = false;
    if (!started) started = SUCCEEDED(OleInitialize(nullptr));
}
}  // namespace

OlePicture LoadPictureFromBytes(const std::uint8_t* bytes, std::size_t length) {
    if (!bytes || length == 0) return {};
    EnsureOle();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, length);
    if (!block) return {};
    void* at = GlobalLock(block);
    if (!at) {
        GlobalFree(block);
        return {};
    }
    std::memcpy(at, bytes, length);
    GlobalUnlock(block);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream))) {  // the stream frees the block
        GlobalFree(block);
        return {};
    }
    IPicture* picture = nullptr;
    const HRESULT loaded = OleLoadPicture(stream, 0, FALSE, IID_IPicture, reinterpret_cast<void**>(&picture));
    stream->Release();
    if (FAILED(loaded)) return {};
    return OlePicture(picture);
}

std::optional<std::vector<std::uint8_t>> PictureFileBytes(IPicture* picture) {
    if (!picture) return std::nullopt;
    EnsureOle();
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return std::nullopt;
    LONG size = 0;
    std::optional<std::vector<std::uint8_t>> bytes;
    // The memory-copy form writes the bytes the picture was loaded from.
    if (SUCCEEDED(picture->SaveAsFile(stream, TRUE, &size)) && size > 0) {
        HGLOBAL block = nullptr;
        STATSTG stat = {};
        if (SUCCEEDED(GetHGlobalFromStream(stream, &block)) && SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME))) {
            const std::size_t length = static_cast<std::size_t>(stat.cbSize.QuadPart);
            if (const auto* at = static_cast<const std::uint8_t*>(GlobalLock(block))) {
                bytes.emplace(at, at + length);
                GlobalUnlock(block);
            }
        }
    }
    stream->Release();
    return bytes;
}
