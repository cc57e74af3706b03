// What the entries of the EXIF directories put into the summary record.
#pragma once

#include "exif/directory_entry.h"
#include "jpeg/image_summary.h"

// Stores what the entry's tag means for the summary; tags the summary does
// not use change nothing.
void ApplyRecordUpdate(ImageSummary& summary, const DirectoryEntry& entry);
