// The standard names of the tags of an EXIF block, as the data (JSON and
// the like) gives them: the names under which the TIFF, TIFF/EP, EXIF,
// GPS, interoperability and DNG tags are commonly known to exiftool users,
// which differ in places from the names the Exif pane prints.
#pragma once

#include <cstdint>

#include "core/decoded_data.h"

// The name of the tag in that directory, or nullptr for a tag no standard
// defines there. Names hold no blanks.
const char* StandardExifTagName(DirectoryKind directory, uint16_t tag);
