// One file's analysis as a value: everything the analysis of one file
// touches, made by the caller and handed to every decoder. Analyses share
// nothing, so any number of them may run at once on different threads.
#pragma once

#include "exif/walk_budget.h"
#include "core/decoded_data.h"
#include "core/image_summary.h"
#include "report/report.h"
#include "core/thumbnail.h"

struct Analysis {
    Report report;            // the sink and the current pane, colour and counts
    ExifWalkBudget walkBudget;
    ImageSummary summary;     // with the kept segments
    ThumbnailState thumbnail;
    DecodedData decoded;
    bool reachedSummary = false;  // the file was a readable JPEG
};

// A fresh analysis writing to sink (or to none): the report back to its
// start state, no thumbnail, nothing decoded.
void ResetAnalysis(Analysis& analysis, ReportSink* sink);
