// The summary record's reset and the text copies into it.
#include "core/image_summary.h"

#include <algorithm>
#include <new>

void ResetImageSummary(ImageSummary& summary) {
    // Value-initialising the record zeroes every number and text.
    summary = ImageSummary{};
    summary.flashCode = -1;
    summary.whiteBalanceCode = -1;
    summary.meteringCode = -1;
}

void CopyTextField(char* target, size_t capacity, ByteView source, size_t maxCount) {
    if (capacity == 0) return;
    size_t limit = maxCount < capacity - 1 ? maxCount : capacity - 1;
    if (limit > source.size) limit = source.size;
    size_t i = 0;
    for (; i < limit && source.data[i] != 0; i++) target[i] = static_cast<char>(source.data[i]);
    target[i] = '\0';
}

