// Builders for the IPTC/XMP pane tests: APP13 segments with their image
// resource blocks, IPTC datasets and XMP segments, byte by byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app13/app13.h"
#include "report/report.h"
#include "support/byte_builder.h"
#include "support/report_capture.h"

// A kept segment as the reader stores it: the two length bytes, then the payload.
inline JpegSegment KeptSegment(int marker, const std::vector<uint8_t>& payload) {
    JpegSegment segment;
    segment.marker = marker;
    segment.length = static_cast<int32_t>(payload.size() + 2);
    ByteBuilder b;
    b.U16(static_cast<unsigned>(segment.length)).Append(payload);
    segment.data = b.bytes;
    return segment;
}

// "Photoshop 3.0", its zero byte, then the blocks as given.
inline JpegSegment App13(const std::vector<uint8_t>& blocks) {
    ByteBuilder b;
    b.Text("Photoshop 3.0").U8(0).Append(blocks);
    return KeptSegment(0xED, b.bytes);
}

// The block header: "8BIM", id, the name with its length byte padded to an
// even count, and the size field as given (which need not match the data).
inline ByteBuilder BlockHeader(unsigned id, const std::string& name, int32_t size) {
    ByteBuilder b;
    b.Text("8BIM").U16(id).U8(static_cast<unsigned>(name.size())).Text(name);
    if (name.size() % 2 == 0) b.U8(0);
    b.U32(static_cast<uint32_t>(size));
    return b;
}

// A whole block: header, data, and the padding byte after odd data.
inline std::vector<uint8_t> Block(unsigned id, const std::vector<uint8_t>& data, const std::string& name = "") {
    ByteBuilder b = BlockHeader(id, name, static_cast<int32_t>(data.size()));
    b.Append(data);
    if (data.size() % 2 == 1) b.U8(0);
    return b.bytes;
}

// One IPTC dataset: marker 0x1C, record, dataset number, 16-bit length, value.
inline std::vector<uint8_t> Dataset(unsigned record, unsigned number, const std::vector<uint8_t>& value) {
    ByteBuilder b;
    b.U8(0x1C).U8(record).U8(number).U16(static_cast<unsigned>(value.size())).Append(value);
    return b.bytes;
}

// The 0x0421 data: version, merged flag, two counted UTF-16BE names and
// the file version.
inline std::vector<uint8_t> VersionData(uint32_t version, unsigned merged, const std::u16string& writer,
                                        const std::u16string& reader, uint32_t fileVersion) {
    ByteBuilder b;
    b.U32(version).U8(merged).U32(static_cast<uint32_t>(writer.size()));
    for (char16_t unit : writer) b.U16(unit);
    b.U32(static_cast<uint32_t>(reader.size()));
    for (char16_t unit : reader) b.U16(unit);
    b.U32(fileVersion);
    return b.bytes;
}

inline std::string Repeated(char c, size_t count) { return std::string(count, c); }

// Everything the pane shows for one APP13 segment.
struct PaneResult {
    std::string text;
    std::string red;
};

inline PaneResult ShowApp13(const JpegSegment& segment) {
    ReportCapture capture;
    SelectReportPane(capture.report(), ReportPane::IptcXmp);
    DecodePhotoshopResources(capture.analysis, segment);
    return PaneResult{capture.Text(ReportPane::IptcXmp), capture.RedText(ReportPane::IptcXmp)};
}

inline const char kApp13Heading[] = " == == == == IPTC data: == == == == ";
