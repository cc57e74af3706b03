// The whole analysis of one file given as bytes: segment reader, every
// decoder, the summary lines, all report output; then its JSON object,
// which must parse, as valid UTF-8, whatever the bytes were.
#include <rapidjson/document.h>

#include <cstdlib>
#include <string>

#include "export/json_object.h"
#include "fuzz_support.h"
#include "analyze/analyze_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Analysis& analysis = BeginFuzzInput();
    SourceFacts facts;
    AnalyzeBytes(analysis, MakeView(data, size), "fuzz.jpg", facts);
    std::string json;
    AppendJsonObject(json, analysis, "fuzz.jpg");
    rapidjson::Document parsed;
    parsed.Parse<rapidjson::kParseValidateEncodingFlag>(json.c_str(), json.size());
    if (parsed.HasParseError() || !parsed.IsObject()) std::abort();
    return 0;
}
