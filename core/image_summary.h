// The record of facts about the JPEG file being processed: filled by the
// segment reader and the decoders, read by the summary. One per analysis.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/byte_view.h"

struct ImageSummary {
    std::string sourcePath;
    bool fileLengthKnown;
    uint64_t fileLength;
    bool modifiedTimeKnown;
    uint64_t modifiedTime;  // 100 ns ticks since 1601-01-01 UTC
    char makeText[32];
    char modelText[40];
    char shotTimeText[20];
    int32_t pixelHeight;
    int32_t pixelWidth;
    int32_t orientationCode;
    int32_t colourImage;
    int32_t flashCode;
    float focalLengthMm;
    float exposureSeconds;
    float fStop;
    float subjectDistanceM;
    float sensorWidthMm;
    float exposureBiasEv;
    float digitalZoom;
    int32_t focal35mm;
    int32_t whiteBalanceCode;
    int32_t meteringCode;
    int32_t exposureProgramCode;
    int32_t exposureModeCode;
    int32_t isoSpeed;
    int32_t lightSourceCode;
    int32_t subjectRangeCode;
    char commentText[2001];
    int32_t thumbnailBytes;
    int32_t gpsPresent;
    char gpsLatitudeText[31];
    char gpsLongitudeText[31];
    char gpsAltitudeText[20];
    int32_t iptcBytes;
    int32_t xmpBytes;
    int32_t thumbnailPixelWidth;
    int32_t thumbnailPixelHeight;
    double focalPlanePixelsPerUnit;
    double focalPlaneUnitMm;
    int32_t exifPixelWidth;
    int32_t exifPixelHeight;
    int32_t orientationTagsSeen;
    int32_t bigEndian;
};

// Puts the record into its state at the start of every file: all zero,
// the three codes that tell "absent" from 0 at -1.
void ResetImageSummary(ImageSummary& summary);

// Copies at most maxCount bytes of source (never more than it holds),
// stopping at a zero byte, into a character array of capacity bytes,
// always terminated inside it.
void CopyTextField(char* target, size_t capacity, ByteView source, size_t maxCount);
