// The containers told by their first bytes that are neither JPEG nor TIFF:
// PNG by its signature, WebP by its RIFF header, and the ISO base media
// files (HEIF, HEIC, AVIF, CR3) by the brands of their leading 'ftyp' box.
#pragma once

#include <cstdint>

#include "core/byte_view.h"
#include "core/found_blocks.h"

// Enough of a file's head to see its signature and the ftyp box's brands.
constexpr int64_t kContainerHeadBytes = 64;

// The file type a brand of an ftyp box names, Unknown for other brands.
FileType FileTypeOfBrand(uint32_t brand);

// The type of an ftyp box's payload: its major brand's, else the first
// compatible brand that names one of our types.
FileType FileTypeOfBrands(ByteView ftypPayload);

// The container of a file by its first bytes (as many as there are, up to
// kContainerHeadBytes); Unknown when it is none of PNG, WebP, HEIF, AVIF, CR3.
FileType DetectContainerType(ByteView head);
