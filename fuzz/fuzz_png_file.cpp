// The reader of a PNG file on any bytes, held in memory as a source
// read by offset: every box or chunk size checked, every block bounded.
#include "fuzz_support.h"
#include "png/png_reader.h"
#include "report/report.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Analysis& analysis = BeginFuzzInput();
    SelectReportPane(analysis.report, ReportPane::Exif);
    ByteSource source = MemorySource(MakeView(data, size));
    FoundBlocks found;
    ReadPngBlocks(source, analysis.report, found);
    return 0;
}
