// The entry points of the decoding logic: one call per file, from a path,
// an open stream or bytes in memory, into an analysis the caller made. All
// three give the same panes and data for the same bytes and facts.
#pragma once

#include <cstdint>
#include <cstdio>

#include "core/analysis.h"
#include "core/byte_view.h"

// What the caller knows of a stream or of bytes in memory. Nothing unknown
// is made up: the summary leaves out the size or the date it is not given.
struct SourceFacts {
    bool sizeKnown = false;
    uint64_t size = 0;
    bool modifiedTimeKnown = false;
    uint64_t modifiedTime = 0;  // 100 ns ticks since 1601-01-01 UTC
};

// Checks the path, reads the file's segments, runs the decoders and prints
// the summary, all through the analysis's report. True when the summary
// was reached (analysis.reachedSummary says the same afterwards), false
// when the file was refused or was not a readable JPEG.
bool AnalyzeFile(Analysis& analysis, const char* path);

// The same for a stream open at the first byte of a JPEG file, shown under
// displayName. The stream is read up to the first start of scan and left
// open where reading stopped.
bool AnalyzeStream(Analysis& analysis, FILE* stream, const char* displayName, const SourceFacts& facts);

// The same for a whole file in memory; its size is the number of bytes.
bool AnalyzeBytes(Analysis& analysis, ByteView bytes, const char* displayName, const SourceFacts& facts);

// Hands the kept segments to their decoders and prints the summary: the
// Photoshop resources and XMP into the IPTC/XMP pane, the EXIF block into
// the Exif pane, the summary lines into the Jpeg pane.
void RunDecoders(Analysis& analysis);
