// One analysis's start state.
#include "core/analysis.h"

void ResetAnalysis(Analysis& analysis, ReportSink* sink) {
    ResetReport(analysis.report, sink);
    analysis.walkBudget = ExifWalkBudget{};
    ResetImageSummary(analysis.summary);
    ReleaseSegments(analysis.summary.segments);
    ReleaseThumbnail(analysis.thumbnail);
    ClearDecodedData(analysis.decoded);
    analysis.reachedSummary = false;
}
