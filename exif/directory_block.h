// A TIFF block whose first directory is not IFD0 but the Exif or the GPS
// directory, as Canon's CR3 keeps them in blocks of their own (CMT2, CMT4).
#pragma once

#include "core/analysis.h"
#include "core/byte_view.h"
#include "core/decoded_data.h"

// Decodes block, from its TIFF header on, walking its first directory as
// the directory kind (Exif or Gps) one level below IFD0; where says where
// in the file the block was found, for the header line.
void DecodeDirectoryBlock(Analysis& analysis, ByteView block, DirectoryKind kind, const char* where);
