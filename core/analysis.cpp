// One analysis's start states.
#include "core/analysis.h"

void ResetAnalysis(Analysis& analysis, ReportSink* sink) {
    ResetReport(analysis.report, sink);
    BeginFileAnalysis(analysis);
}

void BeginFileAnalysis(Analysis& analysis) {
    analysis.report.lines.clear();
    ResetImageSummary(analysis.summary);
    StartSegmentList(analysis.segments);
    ReleaseThumbnail(analysis.thumbnail);
    ClearDecodedData(analysis.decoded);
    analysis.reachedSummary = false;
    analysis.endedEarly = false;
}
