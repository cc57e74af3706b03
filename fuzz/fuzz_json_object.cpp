#include "fuzz_json_object.h"

#include <rapidjson/document.h>

#include <cstdlib>
#include <string>

#include "analyze/analyze_file.h"
#include "core/analysis.h"
#include "export/json_object.h"
#include "fuzz_support.h"

void AnalyzeAndParseJsonObject(const uint8_t* data, size_t size, const char* name) {
    Analysis& analysis = BeginFuzzInput();
    SourceFacts facts;
    AnalyzeBytes(analysis, MakeView(data, size), name, facts);
    std::string json;
    AppendJsonObject(json, analysis, name);
    rapidjson::Document parsed;
    parsed.Parse<rapidjson::kParseValidateEncodingFlag>(json.c_str(), json.size());
    if (parsed.HasParseError() || !parsed.IsObject()) std::abort();
    // The data forms analyse with no pane, counting the report instead of
    // writing it: the data, where the walks' budgets stop included, is the same.
    static Analysis unseen;
    ResetAnalysis(unseen, nullptr);
    AnalyzeBytes(unseen, MakeView(data, size), name, facts);
    std::string unseenJson;
    AppendJsonObject(unseenJson, unseen, name);
    if (unseenJson != json) std::abort();
}
