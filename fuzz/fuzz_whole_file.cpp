// The whole analysis of one file given as bytes: segment reader, every
// decoder, the summary lines, all report output; then its JSON object,
// which must parse, as valid UTF-8, whatever the bytes were.
#include "fuzz_json_object.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AnalyzeAndParseJsonObject(data, size, "fuzz.jpg");
    return 0;
}
