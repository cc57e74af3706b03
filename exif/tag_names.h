// Names of the tags of the main, EXIF, interoperability and thumbnail
// directories, as the Exif pane prints them.
#pragma once

#include <cstdint>

// The name of the tag, or nullptr for a tag the table does not hold.
const char* FindTagName(uint32_t tag);
int TagNameCount();
