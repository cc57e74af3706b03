#include "jpeg/image_summary.h"

#include <cstring>
#include <new>

void ResetImageSummary(ImageSummary& summary) {
    ReleaseSegments(summary.segments);
    SegmentList emptyList;
    emptyList.entries.resize(5);
    emptyList.capacity = 5;
    summary.segments = SegmentList{};
    // Every plain member to zero; the list is the only owning member.
    std::memset(summary.sourcePath, 0, sizeof summary.sourcePath);
    summary.fileLength = 0;
    summary.modifiedTime = 0;
    std::memset(summary.makeText, 0, sizeof summary.makeText);
    std::memset(summary.modelText, 0, sizeof summary.modelText);
    std::memset(summary.shotTimeText, 0, sizeof summary.shotTimeText);
    summary.pixelHeight = 0;
    summary.pixelWidth = 0;
    summary.orientationCode = 0;
    summary.colourImage = 0;
    summary.flashCode = -1;
    summary.focalLengthMm = 0;
    summary.exposureSeconds = 0;
    summary.fStop = 0;
    summary.subjectDistanceM = 0;
    summary.sensorWidthMm = 0;
    summary.exposureBiasEv = 0;
    summary.digitalZoom = 0;
    summary.focal35mm = 0;
    summary.whiteBalanceCode = -1;
    summary.meteringCode = -1;
    summary.exposureProgramCode = 0;
    summary.exposureModeCode = 0;
    summary.isoSpeed = 0;
    summary.lightSourceCode = 0;
    summary.subjectRangeCode = 0;
    std::memset(summary.commentText, 0, sizeof summary.commentText);
    summary.thumbnailBytes = 0;
    summary.gpsPresent = 0;
    std::memset(summary.gpsLatitudeText, 0, sizeof summary.gpsLatitudeText);
    std::memset(summary.gpsLongitudeText, 0, sizeof summary.gpsLongitudeText);
    std::memset(summary.gpsAltitudeText, 0, sizeof summary.gpsAltitudeText);
    summary.iptcBytes = 0;
    summary.xmpBytes = 0;
    summary.thumbnailPixelWidth = 0;
    summary.thumbnailPixelHeight = 0;
    summary.focalPlanePixelsPerUnit = 0;
    summary.focalPlaneUnitMm = 0;
    summary.exifPixelWidth = 0;
    summary.exifPixelHeight = 0;
    summary.orientationTagsSeen = 0;
    summary.bigEndian = 0;
    summary.segments = std::move(emptyList);
    summary.openFile = nullptr;
}

int GrowSegmentList(SegmentList& list) {
    int32_t grown = list.capacity + list.capacity / 2;
    if (grown <= list.capacity) grown = list.capacity + 1;
    try {
        list.entries.resize(static_cast<size_t>(grown));
    } catch (const std::bad_alloc&) {
        return 0;
    }
    list.capacity = grown;
    return 1;
}

void ReleaseSegments(SegmentList& list) {
    list.entries.clear();
    list.entries.shrink_to_fit();
    list.capacity = 0;
    list.count = 0;
}

void CopyTextField(char* target, size_t capacity, ByteView source, size_t maxCount) {
    if (capacity == 0) return;
    size_t limit = maxCount < capacity - 1 ? maxCount : capacity - 1;
    if (limit > source.size) limit = source.size;
    size_t i = 0;
    for (; i < limit && source.data[i] != 0; i++) target[i] = static_cast<char>(source.data[i]);
    target[i] = '\0';
}
