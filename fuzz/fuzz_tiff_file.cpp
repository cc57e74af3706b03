// A TIFF-structured file (TIFF, DNG, the TIFF-based RAW formats, RAF) given
// as bytes: the container read by offset into its sparse image, the EXIF
// walk over it with its SubIFDs, the preview, the summary; then the JSON
// object, which must parse whatever the bytes were. The seeds are the
// project's made TIFF and RAW files, whose structure the fuzzer bends.
#include <rapidjson/document.h>

#include <cstdlib>
#include <string>

#include "analyze/analyze_file.h"
#include "export/json_object.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Analysis& analysis = BeginFuzzInput();
    SourceFacts facts;
    AnalyzeBytes(analysis, MakeView(data, size), "fuzz.tif", facts);
    std::string json;
    AppendJsonObject(json, analysis, "fuzz.tif");
    rapidjson::Document parsed;
    parsed.Parse<rapidjson::kParseValidateEncodingFlag>(json.c_str(), json.size());
    if (parsed.HasParseError() || !parsed.IsObject()) std::abort();
    return 0;
}
