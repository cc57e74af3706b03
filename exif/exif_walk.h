// One walk of an EXIF block's directories: the block, its byte order and
// the budget of what the walk may show, handed from directory to directory;
// and what the main directories and the GPS directory do alike with each
// entry: check it, show its line, keep it as data, and the directory's
// map line.
#pragma once

#include <cstdint>
#include <string>

#include "core/analysis.h"
#include "core/byte_view.h"
#include "exif/directory_entry.h"
#include "exif/walk_budget.h"

struct ExifWalk {
    Analysis& analysis;
    ByteView block;  // from the TIFF header to the block's end; offsets count from its start
    ExifWalkBudget budget;
};

// A walk over block, its budget started from what the report has shown so far.
ExifWalk StartExifWalk(Analysis& analysis, ByteView block);

// Reads the entry at entryOffset and finds its value; false, after the
// non-fatal line that says why, for an entry that cannot be listed: an
// unknown format, more components than any sound entry has (when
// checkComponentCount is set) or a value outside the block.
bool ReadCheckedEntry(ExifWalk& walk, int64_t entryOffset, bool checkComponentCount, DirectoryEntry* entry);

// Shows "<label> = <value>" (red for a tag no table names) when the budget
// can pay for the line and keptBytes of values kept as data beside it;
// false, with nothing shown, when it cannot.
bool ShowEntry(ExifWalk& walk, std::string label, const std::string& value, bool named, size_t keptBytes);

// The same when no pane shows the report: the line is only counted, from
// its label's and value's lengths.
bool CountEntry(ExifWalk& walk, size_t labelBytes, size_t valueBytes, bool named, size_t keptBytes);

// Keeps the entry as data in the given directory; withValue false keeps it
// without its values (a maker note, an 8-byte value of no components).
void KeepEntry(ExifWalk& walk, const DirectoryEntry& entry, DirectoryKind directory, const char* name,
               bool withValue);

// "Map: <start> - <end>: Directory(dir has N entries)", the directory's
// end counted with its next-directory link.
void ShowDirectoryMap(ExifWalk& walk, const std::string& indent, int64_t directoryOffset, int entryCount);
