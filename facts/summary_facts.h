// The facts of the summary pane as typed values, for callers that want
// data rather than text. A fact the record does not hold is absent; the
// record holds 0 for most facts it was not given, so those are absent at 0.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/analysis.h"

struct SummaryFacts {
    std::optional<uint64_t> fileSize;
    std::optional<std::string> fileModified;  // local time, "YYYY-MM-DDTHH:MM:SS"
    std::optional<std::string> make;
    std::optional<std::string> model;
    std::optional<std::string> dateTime;      // "YYYY-MM-DDTHH:MM:SS", only from a date text
    int32_t width = 0;
    int32_t height = 0;
    bool color = false;
    std::optional<int32_t> orientation;
    std::optional<int32_t> flash;
    std::optional<double> focalLength;        // mm
    std::optional<int32_t> focalLength35;     // mm
    std::optional<double> ccdWidth;           // mm
    std::optional<double> digitalZoom;
    std::optional<double> exposureTime;       // seconds
    std::optional<double> fNumber;
    std::optional<double> subjectDistance;    // metres
    bool subjectDistanceInfinite = false;
    std::optional<int32_t> iso;
    std::optional<double> exposureBias;       // EV
    std::optional<int32_t> whiteBalance;
    std::optional<int32_t> lightSource;
    std::optional<int32_t> meteringMode;
    std::optional<int32_t> exposureProgram;
    std::optional<int32_t> exposureMode;
    std::optional<int32_t> focusRange;
    std::optional<double> gpsLatitude;        // degrees, south negative
    std::optional<double> gpsLongitude;       // degrees, west negative
    std::optional<double> gpsAltitude;        // metres, below sea level negative
    std::optional<std::string> comment;
    std::optional<int32_t> iptcBytes;
    std::optional<int32_t> xmpBytes;
    std::optional<int32_t> thumbnailBytes;
    std::optional<int32_t> thumbnailWidth;
    std::optional<int32_t> thumbnailHeight;
};

SummaryFacts SummaryFactsOf(const Analysis& analysis);
