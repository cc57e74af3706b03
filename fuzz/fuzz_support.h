// What every fuzz target shares: an analysis whose report sink keeps all pane
// text (so the whole report path runs, colour runs included), reset for
// each input, and the wrapping of raw bytes into a segment as the reader
// would keep it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/analysis.h"
#include "core/image_summary.h"

// The analysis for one input: a fresh start, writing to a pane sink that
// keeps all text.
Analysis& BeginFuzzInput();

// A kept segment: the two length bytes (high first), then prefix, then the
// input. The length field holds what fits in 16 bits, as in a real file;
// longer inputs are cut so that data and length always agree.
JpegSegment WrapAsSegment(int marker, const char* prefix, size_t prefixLength, const uint8_t* data,
                          size_t size);
