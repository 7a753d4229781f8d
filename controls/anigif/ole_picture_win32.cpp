#include "ole_picture_win32.h"

#include <cstring>
#include <memory>

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
    IStream* raw = nullptr;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &raw))) return std::nullopt;
    const std::unique_ptr<IStream, void (*)(IStream*)> stream(raw, [](IStream* s) { s->Release(); });
    LONG size = 0;
    // The memory-copy form writes the bytes the picture was loaded from.
    if (FAILED(picture->SaveAsFile(raw, TRUE, &size)) || size <= 0) return std::nullopt;
    HGLOBAL block = nullptr;
    STATSTG stat = {};
    if (FAILED(GetHGlobalFromStream(raw, &block)) || FAILED(raw->Stat(&stat, STATFLAG_NONAME))) return std::nullopt;
    // Allocated before the block is locked: running out of memory here
    // leaves nothing locked or open.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stat.cbSize.QuadPart));
    const auto* at = static_cast<const std::uint8_t*>(GlobalLock(block));
    if (!at) return std::nullopt;
    if (!bytes.empty()) std::memcpy(bytes.data(), at, bytes.size());
    GlobalUnlock(block);
    return bytes;
}
