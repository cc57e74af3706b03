// The facts of the summary as typed values, for callers that want data
// rather than text: the file's size and date, and a value (or none) for
// every fact of the facts table. A fact the record does not hold is
// absent; the record holds 0 for most facts it was not given, so those are
// absent at 0.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/analysis.h"
#include "facts/fact_table.h"

struct SummaryFacts {
    std::optional<uint64_t> fileSize;
    std::optional<std::string> fileModified;  // local time, "YYYY-MM-DDTHH:MM:SS"
    FactValues summary;
};

SummaryFacts SummaryFactsOf(const Analysis& analysis);
