// What the items of a HEIF file's meta box give: the primary item's size
// and orientation, its Exif and XMP items, and its thumbnail item.
#pragma once

#include <cstdint>

#include "bmff/heif_meta.h"
#include "core/byte_source.h"
#include "core/found_blocks.h"
#include "report/report.h"

// metaOffset is where the meta box begins in the file (for items stored in
// its idat box). Item data is read by offset, only the items wanted.
void FindHeifBlocks(ByteSource& source, uint64_t fileSize, const HeifMeta& meta, uint64_t metaOffset,
                    Report& report, FoundBlocks& found);
