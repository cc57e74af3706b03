// The road of a file that is not a JPEG: its container told by its first
// bytes and read by offset, then its blocks decoded as a JPEG's segments
// are.
#include "analyze/analyze_container.h"

#include "analyze/container_blocks.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app13/app13.h"
#include "core/detect_file_type.h"
#include "core/jpeg_markers.h"
#include "exif/exif.h"
#include "report/report.h"
#include "summary/summarize_image.h"
#include "tiff/raf_container.h"
#include "tiff/tiff_container.h"
#include "xmp/xmp.h"

namespace {

// A stream that cannot seek (a pipe) is read into memory to be read by
// offset; a camera's RAW file is some tens of megabytes.
constexpr uint64_t kMostStreamBytes = 256ull << 20;
constexpr size_t kStreamChunkBytes = 1 << 16;

const char kFormatsRead[] =
    "JPEG, TIFF, DNG, CR2, NEF, NRW, ARW, SR2, SRF, PEF, SRW, 3FR, ERF, KDC, DCR, MOS, IIQ, ORF, RW2, RAF, "
    "HEIC, HEIF, AVIF, CR3, PNG and WebP";

// A block found in a container as the APP segment a JPEG would hold it in,
// so that the segment decoders take it as they are: the two length bytes
// (their low 16 bits; the decoders count with the segment's length), the
// segment's signature, then the block.
JpegSegment AsSegment(int marker, const char* signature, size_t signatureLength, const std::vector<uint8_t>& bytes) {
    JpegSegment segment;
    const size_t length = 2 + signatureLength + bytes.size();
    segment.marker = marker;
    segment.length = static_cast<int32_t>(length);
    segment.data.reserve(length);
    segment.data.push_back(static_cast<uint8_t>(length >> 8 & 0xFF));
    segment.data.push_back(static_cast<uint8_t>(length & 0xFF));
    segment.data.insert(segment.data.end(), signature, signature + signatureLength);
    segment.data.insert(segment.data.end(), bytes.begin(), bytes.end());
    return segment;
}

int32_t ClampToInt32(uint64_t value) { return value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value); }

// Photoshop resources (which hold the IPTC datasets when both are there),
// else bare IPTC datasets; then the XMP packet.
void DecodeMetadataBlocks(Analysis& analysis, const FoundBlocks& blocks) {
    Report& report = analysis.report;
    ImageSummary& summary = analysis.summary;
    SelectReportPane(report, ReportPane::IptcXmp);
    if (blocks.photoshop.present) {
        summary.iptcBytes = ClampToInt32(blocks.photoshop.bytes.size());
        DecodePhotoshopResources(analysis, AsSegment(kMarkerApp13, "Photoshop 3.0\0", 14, blocks.photoshop.bytes));
    } else if (blocks.iptc.present) {
        summary.iptcBytes = ClampToInt32(blocks.iptc.bytes.size());
        AppendReportFormat(report, " == == == == IPTC data: == == == == %d bytes\r\n", summary.iptcBytes);
        DecodeIptcRecords(analysis, MakeView(blocks.iptc.bytes));
    }
    if (blocks.xmp.present) {
        summary.xmpBytes = ClampToInt32(blocks.xmp.bytes.size());
        ShowXmpPacket(analysis, AsSegment(kMarkerApp1, "http://ns.adobe.com/xap/1.0/\0", 29, blocks.xmp.bytes));
        if (analysis.decodeForData) DecodeXmpPacket(analysis.decoded, MakeView(blocks.xmp.bytes));
    }
}

void FinishSummary(Analysis& analysis, const FoundBlocks& blocks, bool grey) {
    ImageSummary& summary = analysis.summary;
    summary.fileType = blocks.type;
    summary.colourImage = grey ? 0 : 1;
    if (blocks.width > 0 && blocks.height > 0) {
        summary.pixelWidth = ClampToInt32(static_cast<uint64_t>(blocks.width));
        summary.pixelHeight = ClampToInt32(static_cast<uint64_t>(blocks.height));
    }
    DeriveSensorValues(summary);
    SelectReportPane(analysis.report, ReportPane::Jpeg);
    PrintSummaryLines(analysis.report, summary);
}

// A stream read by offset must be able to seek and be at the file's start
// (a pipe cannot tell where it is).
bool ReadableByOffset(ByteSource& source) { return source.stream == nullptr || std::ftell(source.stream) == 0; }

// The bytes in memory, the size the caller knows of a file (from its
// facts), else the stream's own.
bool SizeOf(const Analysis& analysis, ByteSource& source, uint64_t* size) {
    if (source.stream == nullptr) {
        *size = source.memory.size;
        return true;
    }
    if (analysis.summary.fileLengthKnown) {
        *size = analysis.summary.fileLength;
        return true;
    }
    return SourceSize(source, size);
}

bool BufferStream(Report& report, ByteSource& source, std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> chunk(kStreamChunkBytes);
    for (;;) {
        const size_t got = SourceRead(source, chunk.data(), chunk.size());
        if (got == 0) return true;
        if (bytes.size() + got > kMostStreamBytes) {
            ReportNonfatal(report, "A stream that cannot seek is read into memory up to %llu MB; this one is longer\r\n",
                           static_cast<unsigned long long>(kMostStreamBytes >> 20));
            return false;
        }
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got));
    }
}

bool ReadAndDecodeByOffset(Analysis& analysis, ByteSource& source, const char* name) {
    Report& report = analysis.report;
    // The source is at its first byte: read on, the stream's buffer serves them.
    uint8_t first[kDetectionBytes] = {};
    const FileType detected = DetectFileType(MakeView(first, SourceRead(source, first, sizeof first)));
    // The ISO media, PNG and WebP readers tell their own containers.
    FoundBlocks other;
    if (detected == FileType::Unknown && ReadContainerBlocks(source, report, other)) {
        DecodeFoundBlocks(analysis, other);
        DecodeMoreFoundBlocks(analysis, other);
        FinishSummary(analysis, other, false);
        return true;
    }
    if (detected == FileType::Unknown || detected == FileType::Jpeg) {
        ReportErrorLine(report, "Not JPEG: %s\r\n", name);
        MarkLastLine(report, "not-jpeg");
        ReportMessage(report, "Pixloupe reads %s files\r\n", kFormatsRead);
        return false;
    }
    TiffContainer tiff;
    uint64_t size = 0;
    const bool read = SizeOf(analysis, source, &size) &&
                      (detected == FileType::Raf ? ReadRafContainer(report, source, size, tiff.blocks)
                                                 : ReadTiffContainer(report, source, size, detected, tiff));
    if (!read) {
        ReportErrorLine(report, "Not a readable %s file: %s\r\n", FileTypeName(detected), name);
        MarkLastLine(report, "not-readable");
        return false;
    }
    const FoundBlocks& blocks = tiff.blocks;
    analysis.summary.fileType = blocks.type;
    if (!IsTiffStructured(blocks.type)) {
        DecodeFoundBlocks(analysis, blocks);
    } else {
        DecodeMetadataBlocks(analysis, blocks);
        SelectReportPane(report, ReportPane::Exif);
        DecodeTiffStructure(analysis, SparseImageView(tiff.image), tiff.fileSize, tiff.bigEndian,
                            tiff.firstDirectory);
        ShowFoundPreview(analysis, blocks);
    }
    FinishSummary(analysis, blocks, tiff.grey);
    return true;
}

}  // namespace

void DecodeFoundBlocks(Analysis& analysis, const FoundBlocks& blocks) {
    analysis.summary.fileType = blocks.type;
    DecodeMetadataBlocks(analysis, blocks);
    SelectReportPane(analysis.report, ReportPane::Exif);
    if (blocks.exif.present) DecodeExifBlock(analysis, AsSegment(kMarkerApp1, "Exif\0\0", 6, blocks.exif.bytes));
    ShowFoundPreview(analysis, blocks);
}

void ShowFoundPreview(Analysis& analysis, const FoundBlocks& blocks) {
    ImageSummary& summary = analysis.summary;
    const FoundBlock& preview = blocks.preview;
    // The EXIF thumbnail, when the walk showed one, is the file's thumbnail.
    if (!preview.present || summary.thumbnailBytes != 0) return;
    // A preview coded other than in JPEG is described, not read.
    const uint64_t bytes = preview.bytes.empty() ? blocks.previewByteCount : preview.bytes.size();
    AppendReportFormat(analysis.report, "Preview: %s, %llu bytes at %llu (%s)\r\n", preview.where.c_str(),
                       static_cast<unsigned long long>(bytes), static_cast<unsigned long long>(preview.fileOffset),
                       blocks.previewCoding.c_str());
    if (blocks.previewCoding != "JPEG") {
        if (blocks.previewWidth > 0 && blocks.previewHeight > 0) {
            AppendReportFormat(analysis.report, "Preview size: %lld x %lld\r\n",
                               static_cast<long long>(blocks.previewWidth), static_cast<long long>(blocks.previewHeight));
        }
        return;
    }
    // As for an EXIF thumbnail: decoded where it is shown or checked, else
    // sized from its frame header.
    int width = 0;
    int height = 0;
    const ByteView jpeg = MakeView(preview.bytes);
    const bool sized = analysis.decodeThumbnails ? DecodeThumbnail(analysis.thumbnail, jpeg, &width, &height)
                                                 : ReadJpegFrameSize(jpeg, &width, &height);
    if (!sized && analysis.decodeThumbnails) analysis.decoded.thumbnailUndecodable = true;
    if (sized) {
        summary.thumbnailPixelWidth = width;
        summary.thumbnailPixelHeight = height;
    }
    summary.thumbnailBytes = ClampToInt32(preview.bytes.size());
}

bool ReadAndDecodeContainer(Analysis& analysis, ByteSource& source, const char* name) {
    if (ReadableByOffset(source)) return ReadAndDecodeByOffset(analysis, source, name);
    std::vector<uint8_t> bytes;
    if (!BufferStream(analysis.report, source, bytes)) {
        ReportErrorLine(analysis.report, "Not read: %s\r\n", name);
        return false;
    }
    ByteSource memory = MemorySource(MakeView(bytes));
    return ReadAndDecodeByOffset(analysis, memory, name);
}
