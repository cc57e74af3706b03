// Long segments that nothing looks at (ICC profiles and the like) are
// stepped over instead of read. The outcome must be the one a read gives,
// wherever the file ends, and a stream that cannot seek must still work.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "core/byte_source.h"
#include "core/image_summary.h"
#include "jpeg/segment_reader.h"
#include "support/byte_builder.h"
#include "support/report_capture.h"

namespace {

struct Outcome {
    int result = -1;
    std::string exifPane;
    int width = 0;
    int height = 0;
};

Outcome ReadSource(ByteSource source) {
    ReportCapture capture;
    SelectReportPane(capture.report(), ReportPane::Exif);
    Outcome outcome;
    outcome.result = ReadJpegSegments(capture.analysis, source);
    outcome.exifPane = capture.Text(ReportPane::Exif);
    outcome.width = capture.analysis.summary.pixelWidth;
    outcome.height = capture.analysis.summary.pixelHeight;
    return outcome;
}

Outcome ReadStream(FILE* file) { return ReadSource(StreamSource(file)); }

Outcome ReadAsFile(const std::vector<uint8_t>& bytes) {
    std::string path = WriteTempFile(bytes, "unread.jpg");
    FILE* file = std::fopen(path.c_str(), "rb");
    EXPECT_NE(file, nullptr);
    Outcome outcome = ReadStream(file);
    std::fclose(file);
    return outcome;
}

// Through a pipe, which cannot seek, written by a thread of its own since
// the bytes may not fit the pipe's buffer. Every case ends where the reader
// stops, so the writer always gets all its bytes out.
Outcome ReadThroughPipe(const std::vector<uint8_t>& bytes) {
    int ends[2];
    EXPECT_EQ(pipe(ends), 0);
    std::thread writer([&bytes, end = ends[1]] {
        size_t written = 0;
        while (written < bytes.size()) {
            ssize_t n = write(end, bytes.data() + written, bytes.size() - written);
            if (n <= 0) break;
            written += static_cast<size_t>(n);
        }
        close(end);
    });
    FILE* file = fdopen(ends[0], "rb");
    Outcome outcome = ReadStream(file);
    std::fclose(file);
    writer.join();
    return outcome;
}

const std::vector<uint8_t> kSoi = {0xFF, 0xD8};
const std::vector<uint8_t> kSos = {0xFF, 0xDA, 0x00, 0x02};
// 120 lines of 160 samples, 3 components.
const std::vector<uint8_t> kFrame = {0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x78, 0x00, 0xA0, 0x03, 0x01, 0x11, 0x00};

std::vector<uint8_t> Cut(const std::vector<uint8_t>& bytes, size_t size) {
    return std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(size));
}

}  // namespace

TEST(UnreadSegments, SteppedOverWithTheOutcomeOfAReadWhereverTheFileEnds) {
    const char* kPremature = "Fatal Error  : Premature end of file?\r\n";
    const char* kInvalid = "Fatal Error  : invalid marker\r\n";
    // Payloads around the length from which segments are stepped over.
    for (size_t payload : {16383u, 16384u, 16385u, 40000u}) {
        const std::vector<uint8_t> icc = Segment(0xE2, std::vector<uint8_t>(payload, 0x5A));
        const std::vector<uint8_t> table = Segment(0xDB, std::vector<uint8_t>(payload, 0xDB));
        const std::vector<uint8_t> whole = Concat({kSoi, icc, table, kFrame, kSos});
        const size_t iccEnd = kSoi.size() + icc.size();
        struct Case {
            const char* name;
            std::vector<uint8_t> bytes;
            int result;
            const char* exifPane;
            int width;
        };
        const Case cases[] = {
            {"whole file: the frame after both segments is read", whole, 1, "", 160},
            {"ends inside the first segment", Cut(whole, iccEnd - 100), 0, kPremature, 0},
            {"ends one byte short of its end", Cut(whole, iccEnd - 1), 0, kPremature, 0},
            {"ends right after it", Cut(whole, iccEnd), 0, kInvalid, 0},
            {"ends one byte short of the second", Cut(whole, iccEnd + table.size() - 1), 0, kPremature, 0},
            {"ends with a frame but no scan", Cut(whole, whole.size() - kSos.size()), 0, kInvalid, 160},
        };
        for (const Case& c : cases) {
            const std::string name = std::string(c.name) + ", payload " + std::to_string(payload);
            for (const char* how : {" (file)", " (pipe)", " (memory)"}) {
                Outcome outcome = how[2] == 'f'   ? ReadAsFile(c.bytes)
                                  : how[2] == 'p' ? ReadThroughPipe(c.bytes)
                                                  : ReadSource(MemorySource(MakeView(c.bytes)));
                EXPECT_EQ(outcome.result, c.result) << name << how;
                EXPECT_EQ(outcome.exifPane, c.exifPane) << name << how;
                EXPECT_EQ(outcome.width, c.width) << name << how;
                EXPECT_EQ(outcome.height, c.width == 0 ? 0 : 120) << name << how;
            }
        }
    }
}
