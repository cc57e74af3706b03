// What the entries of the EXIF directories put into the summary record.
#pragma once

#include "exif/directory_entry.h"
#include "core/analysis.h"

// Stores what the entry's tag means for the summary record; tags the
// summary does not use change nothing.
void ApplyRecordUpdate(Analysis& analysis, const DirectoryEntry& entry);
