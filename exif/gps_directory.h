// The GPS directory: its entries printed into the Exif pane and the
// latitude, longitude and altitude texts of the summary record.
#pragma once

#include <cstdint>
#include <string>

#include "core/analysis.h"
#include "exif/exif_walk.h"
#include "core/byte_view.h"

// directoryOffset counts from the walk's block start. The GPS directory
// follows no links.
void DecodeGpsDirectory(ExifWalk& walk, int64_t directoryOffset, int level);

// Degrees, minutes and seconds of a coordinate value (three components of
// the given format from the start of value), each printed with as many
// decimals as its denominator has digits after the first, at most 6. The
// coordinate in degrees goes to *degrees when that is given.
std::string GpsCoordinateText(Report& report, ByteView value, int format, int bigEndian, double* degrees = nullptr);
