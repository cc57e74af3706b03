// One file's analysis as a value: everything the analysis of one file
// touches, made by the caller and handed to every decoder. Analyses share
// nothing, so any number of them may run at once on different threads.
#pragma once

#include <cstddef>

#include "core/decoded_data.h"
#include "core/image_summary.h"
#include "core/jpeg_segment.h"
#include "core/thumbnail.h"
#include "report/report.h"

struct Analysis {
    Report report;            // the sink and the current pane, colour and counts
    ImageSummary summary;     // the facts the summary pane prints
    SegmentList segments;     // a JPEG file's segments kept for the decoders, during its analysis
    ThumbnailState thumbnail;
    DecodedData decoded;
    bool reachedSummary = false;  // the file was read and decoded: what the entry points return
    // The file ended before its image data; when it held EXIF, Photoshop or
    // XMP segments, they were still decoded (reachedSummary) for the data
    // forms, while the panes show the file as they always have.
    bool endedEarly = false;
    // Paths longer than this many bytes are refused; 0: none is. The window
    // sets the limit of its own path buffers; elsewhere a path is as long
    // as the system lets it be.
    size_t longestPathBytes = 0;
    // A setting of the caller, kept across files: whether the EXIF thumbnail
    // is decoded (the window and the panes show it) or only its frame
    // header read for its size (the data needs no picture).
    bool decodeThumbnails = true;
    // Whether what only the data shows is decoded: the XMP packet's
    // properties (the panes show the packet as it stands) and the segments of
    // a file that ends before its image data (the panes show it refused).
    bool decodeForData = true;
};

// A fresh analysis writing to sink (or to none): the report back to its
// start state, then as at the start of a file.
void ResetAnalysis(Analysis& analysis, ReportSink* sink);

// The start of every file: everything of the previous file goes but the
// sink, the pane the report is set to and the memory kept for reuse.
void BeginFileAnalysis(Analysis& analysis);
