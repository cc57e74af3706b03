// The summary: what the record's facts add up to, and the summary lines
// of the Jpeg pane.
#pragma once

#include "core/image_summary.h"
#include "report/report.h"

// Sensor width and 35 mm equivalent from the focal-plane tags.
void DeriveSensorValues(ImageSummary& summary);
// The summary lines, appended to the current pane.
void PrintSummaryLines(Report& report, const ImageSummary& summary);
