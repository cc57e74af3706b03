// The reader of a WebP file on any bytes, held in memory as a source
// read by offset: every box or chunk size checked, every block bounded.
#include "fuzz_support.h"
#include "webp/webp_reader.h"
#include "report/report.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Analysis& analysis = BeginFuzzInput();
    SelectReportPane(analysis.report, ReportPane::Exif);
    ByteSource source = MemorySource(MakeView(data, size));
    FoundBlocks found;
    ReadWebpBlocks(source, analysis.report, found);
    return 0;
}
