// Detection of the boxed and chunked containers and the choice of reader.
#include "analyze/container_blocks.h"

#include "bmff/bmff_reader.h"
#include "core/container_signature.h"
#include "exif/directory_block.h"
#include "png/png_reader.h"
#include "webp/webp_reader.h"

namespace {

using ContainerReader = bool (*)(ByteSource&, Report&, FoundBlocks&);

struct ReaderOfType {
    FileType type;
    ContainerReader read;
};

const ReaderOfType kReaders[] = {
    {FileType::Heic, ReadBmffBlocks}, {FileType::Heif, ReadBmffBlocks}, {FileType::Avif, ReadBmffBlocks},
    {FileType::Cr3, ReadBmffBlocks},  {FileType::Png, ReadPngBlocks},   {FileType::Webp, ReadWebpBlocks},
    {FileType::WebpExtended, ReadWebpBlocks},
};

}  // namespace

bool ReadContainerBlocks(ByteSource& source, Report& report, FoundBlocks& found) {
    uint8_t head[kContainerHeadBytes];
    const size_t arrived = SourceReadAt(source, 0, head, sizeof head);
    const FileType type = DetectContainerType(MakeView(head, arrived));
    for (const ReaderOfType& row : kReaders) {
        if (row.type == type) return row.read(source, report, found);
    }
    return false;
}

void DecodeMoreFoundBlocks(Analysis& analysis, const FoundBlocks& found) {
    Report& report = analysis.report;
    SelectReportPane(report, ReportPane::Exif);
    for (const FoundTiffBlock& more : found.moreExif) {
        DecodeDirectoryBlock(analysis, MakeView(more.block.bytes), more.firstDirectory, more.block.where.c_str());
    }
    if (found.makerNotesPresent) {
        ReportMessage(report, "Maker notes %llu bytes at %llu (%s), not decoded\r\n",
                      static_cast<unsigned long long>(found.makerNotesByteCount),
                      static_cast<unsigned long long>(found.makerNotesOffset), found.makerNotesWhere.c_str());
    }
    if (found.rotationAnticlockwise > 0 || found.mirrorAxis >= 0) {
        ReportMessage(report, "Shown turned %d degrees anticlockwise%s\r\n",
                      found.rotationAnticlockwise > 0 ? found.rotationAnticlockwise : 0,
                      found.mirrorAxis == 0   ? ", then mirrored left to right"
                      : found.mirrorAxis == 1 ? ", then mirrored top to bottom"
                                              : "");
    }
}
