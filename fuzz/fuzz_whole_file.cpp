// The whole analysis of one file given as bytes: segment reader, every
// decoder, the summary lines, all report output.
#include "fuzz_support.h"
#include "jpeg/analyze_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Analysis& analysis = BeginFuzzInput();
    SourceFacts facts;
    AnalyzeBytes(analysis, MakeView(data, size), "fuzz.jpg", facts);
    return 0;
}
