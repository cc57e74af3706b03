// A TIFF-structured file (TIFF, DNG, the TIFF-based RAW formats, RAF) given
// as bytes: the container read by offset into its sparse image, the EXIF
// walk over it with its SubIFDs, the preview, the summary; then the JSON
// object, which must parse whatever the bytes were. The seeds are the
// project's made TIFF and RAW files, whose structure the fuzzer bends.
#include "fuzz_json_object.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AnalyzeAndParseJsonObject(data, size, "fuzz.tif");
    return 0;
}
