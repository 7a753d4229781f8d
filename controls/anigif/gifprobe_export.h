// `gifprobe --export K OUT FILE`: writes the GIF that the current-frame export
// builds when frame K (1-based) of FILE is on show, byte for byte as it would
// go to the picture loader. The maintainer tool wires it in; the scanning and
// frame building come in through a callback so this file needs only the
// exporter.
#pragma once
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <span>
#include <string>

#include "gif_export.h"

// Fills `source` with frame `frame` (1-based) of the GIF in `gifBytes` as the
// export reads it when that frame is current: the built frame strip (width,
// ActualHeight rows, bits), the frame's stripX, width, height, palette and
// transparency. The strip and the palette must stay valid until the loader is
// called again or destroyed. Returns false, with a message in `error`, when
// the bytes are not a usable GIF or have no such frame.
using ExportFrameLoader = std::function<bool(std::span<const std::uint8_t> gifBytes, std::int32_t frame,
                                             ExportSource& source, std::string& error)>;

// Larger files are refused rather than read.
constexpr std::uintmax_t kMaxProbeFileBytes = 64u << 20;

// `args` are the three words after "--export": K, OUT, FILE. Reads FILE,
// asks `loadFrame` for frame K, writes the exported bytes to OUT and prints one
// line on `out`. Returns 0 on success, 1 when a step fails (one line on
// `err`: unreadable file, loader refusal, no picture, unwritable OUT), 2 for
// wrong arguments (usage on `err`).
int RunExportCommand(std::span<const char* const> args, const ExportFrameLoader& loadFrame, std::ostream& out,
                     std::ostream& err);
