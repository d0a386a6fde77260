// Snapshots of the shown picture: a .bmp or .jpg file in a folder, named after the local time.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "platform/clock.h"

// "YYMMDDThhmmssmm": each part through FormatTwoDigits, so the year and the milliseconds are
// taken modulo 100 (261207T21390512 for 7 December 2026, 21:39:05.312).
std::string SnapshotBaseName(const platform::LocalTime& when);

// Saves a bottom-up BGR picture (width x height pixels, 3 bytes each, rows packed) to
// folder + name + ".bmp" (format 0) or ".jpg" (any other format). A folder without a closing
// "/" gets one appended in the caller's text. The file is always new: when the name is taken
// (two snapshots in the same second), "_1", "_2", ... is added before the extension. Returns 1
// when the file was written, 0 when it could not be (the picture is then not left half written).
int MakeSnapshotFileName(std::string& folder, std::span<const std::uint8_t> image, int width,
                         int height, int format);
// The same at a given time; `writtenPath`, when given, receives the path of the new file.
int MakeSnapshotFileName(std::string& folder, std::span<const std::uint8_t> image, int width,
                         int height, int format, const platform::LocalTime& when,
                         std::string* writtenPath);
