// Icon and cursor files (.ico, .cur) as a control's MouseIcon or a picture
// store them: a directory of images, each a device-independent bitmap with
// its mask. This finds the image to use; the Windows layer turns it into a
// handle. The bytes come from design data or a user's file, so every offset
// and size is checked against the buffer.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

enum class IconFileKind : std::uint16_t { Icon = 1, Cursor = 2 };

struct IconFileImage {
    IconFileKind kind = IconFileKind::Icon;
    std::int32_t width = 0, height = 0;        // 0 in the file means 256
    std::uint16_t hotspotX = 0, hotspotY = 0;  // cursors only
    std::size_t offset = 0, size = 0;          // the image's bytes within the file
};

// The image whose size is closest to wanted (an exact match first, then the
// smallest larger one, then the largest), or nothing when the file is not a
// well-formed icon or cursor file.
std::optional<IconFileImage> PickIconImage(std::span<const std::uint8_t> file, std::int32_t wanted);

// An icon group as a program's resources hold it (the directory of an .ico
// file whose entries name RT_ICON resources instead of offsets): the width
// of the image closest to wanted by the rule above, or nothing when the
// directory is not well formed.
std::optional<std::int32_t> PickIconGroupSize(std::span<const std::uint8_t> directory, std::int32_t wanted);
