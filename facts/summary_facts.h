// The summary as data: the file's size and date, and a value (or none)
// for every fact of the facts table, each read from its own tag in what
// the analysis decoded — not from the summary pane's record, whose
// presentation rules (texts cut to the pane's widths, 0 taken as absent,
// values put in for missing ones) are the viewer's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/analysis.h"
#include "facts/fact_table.h"

struct SummaryFacts {
    std::optional<uint64_t> fileSize;
    std::optional<std::string> fileModified;  // UTC, "YYYY-MM-DDTHH:MM:SSZ"
    FactValues summary;
    std::vector<std::string> warnings;        // why a value the file holds was not taken
};

SummaryFacts SummaryFactsOf(const Analysis& analysis);
