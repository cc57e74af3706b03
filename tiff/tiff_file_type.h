// Which TIFF-structured file this is, from what its header and directories
// hold, as the readers of these files tell them apart.
#pragma once

#include <cstdint>
#include <string>

#include "core/found_blocks.h"

struct TiffTypeClues {
    FileType header = FileType::Tiff;  // Tiff, Cr2, Orf or Rw2 from the header
    bool dngVersion = false;           // IFD0 holds DNGVersion
    uint16_t rawCompression = 0;       // the first maker's own Compression code met, 0 if none
    bool firstHoldsJpeg = false;       // IFD0 is a JPEG (Compression 6) given by JPEGInterchangeFormat
    std::string make;                  // IFD0's Make
    std::string model;                 // IFD0's Model
};

// True for a Compression code that only one maker's raw data uses.
bool IsMakerCompression(uint16_t compression);

FileType TiffFileType(const TiffTypeClues& clues);
