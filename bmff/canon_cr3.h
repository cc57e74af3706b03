// Canon's boxes in a CR3 file: the metadata uuid box inside moov (CMT1 to
// CMT4, each a TIFF block, and THMB, a small JPEG), and the top-level uuid
// box of the JPEG preview (PRVW).
#pragma once

#include <cstdint>

#include "bmff/box_header.h"
#include "core/byte_source.h"
#include "core/found_blocks.h"
#include "report/report.h"

// 85c0b687-820f-11e0-8111-f4ce462b6a48
constexpr uint8_t kCanonMetadataUuid[16] = {0x85, 0xc0, 0xb6, 0x87, 0x82, 0x0f, 0x11, 0xe0,
                                            0x81, 0x11, 0xf4, 0xce, 0x46, 0x2b, 0x6a, 0x48};
// eaf42b5e-1c98-4b88-b9fb-b7dc406e4d16
constexpr uint8_t kCanonPreviewUuid[16] = {0xea, 0xf4, 0x2b, 0x5e, 0x1c, 0x98, 0x4b, 0x88,
                                           0xb9, 0xfb, 0xb7, 0xdc, 0x40, 0x6e, 0x4d, 0x16};

// The metadata uuid box found in moov, read whole.
void ReadCanonMetadata(ByteSource& source, uint64_t fileSize, const Box& box, Report& report, FoundBlocks& found);

// The preview uuid box: its PRVW box's JPEG becomes the preview.
void ReadCanonPreview(ByteSource& source, uint64_t fileSize, const Box& box, Report& report, FoundBlocks& found);
