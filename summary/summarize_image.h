// The second half of one file's processing: hands the metadata segments to
// their decoders, derives the sensor width and 35 mm focal length, and
// prints the summary in the Jpeg pane.
#pragma once

#include "jpeg/image_summary.h"

void SummarizeImage(ImageSummary& summary);

// Sensor width and 35 mm equivalent from the focal-plane tags.
void DeriveSensorValues(ImageSummary& summary);
// The summary lines, appended to the current pane.
void PrintSummaryLines(const ImageSummary& summary);
