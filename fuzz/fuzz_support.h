// What every fuzz target shares: a report sink that keeps all pane text (so
// the whole report path runs, colour runs included), reset for each input,
// and the wrapping of raw bytes into a segment as the reader would keep it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "jpeg/image_summary.h"

// Installs a fresh pane sink for one input (the first call installs it).
void BeginFuzzInput();

// A kept segment: the two length bytes (high first), then prefix, then the
// input. The length field holds what fits in 16 bits, as in a real file;
// longer inputs are cut so that data and length always agree.
JpegSegment WrapAsSegment(int marker, const char* prefix, size_t prefixLength, const uint8_t* data,
                          size_t size);
