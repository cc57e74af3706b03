// Box headers, read from memory or by offset, checked against their parent.
#include "bmff/box_header.h"

#include <cstring>

#include "core/read_at.h"
#include "report/report.h"

BoxHeaderResult ParseBoxHeader(ByteView head, uint64_t start, uint64_t limit, Box* box, std::string* problem) {
    uint32_t size32 = 0;
    uint32_t type = 0;
    if (!ReadU32At(head, 0, true, &size32) || !ReadU32At(head, 4, true, &type)) {
        *problem = FormatText("a box header at %llu is cut off", static_cast<unsigned long long>(start));
        return BoxHeaderResult::Damaged;
    }
    box->type = type;
    box->start = start;
    int64_t headerBytes = 8;
    uint64_t size = size32;
    if (size32 == 1) {
        uint32_t high = 0;
        uint32_t low = 0;
        if (!ReadU32At(head, 8, true, &high) || !ReadU32At(head, 12, true, &low)) {
            *problem = FormatText("the 64-bit size of box '%s' at %llu is cut off", FourCcOf(type).text,
                                  static_cast<unsigned long long>(start));
            return BoxHeaderResult::Damaged;
        }
        size = uint64_t(high) << 32 | low;
        headerBytes = 16;
    }
    if (type == FourCc("uuid")) {
        ByteView extended;
        if (!SubView(head, headerBytes, 16, &extended)) {
            *problem = FormatText("the type of the uuid box at %llu is cut off", static_cast<unsigned long long>(start));
            return BoxHeaderResult::Damaged;
        }
        std::memcpy(box->uuid, extended.data, 16);
        headerBytes += 16;
    }
    // A size of 0 reaches to the end of the parent (the file at the top).
    if (size32 == 0) size = limit >= start ? limit - start : 0;
    if (size < static_cast<uint64_t>(headerBytes)) {
        *problem = FormatText("box '%s' at %llu is %llu bytes, smaller than its header", FourCcOf(type).text,
                              static_cast<unsigned long long>(start), static_cast<unsigned long long>(size));
        return BoxHeaderResult::Damaged;
    }
    if (!RangeWithin(start, size, limit)) {
        *problem = FormatText("box '%s' at %llu of %llu bytes runs past the end of its parent at %llu",
                              FourCcOf(type).text, static_cast<unsigned long long>(start),
                              static_cast<unsigned long long>(size), static_cast<unsigned long long>(limit));
        return BoxHeaderResult::Damaged;
    }
    box->payload = start + static_cast<uint64_t>(headerBytes);
    box->end = start + size;
    return BoxHeaderResult::Read;
}

BoxHeaderResult BoxInView(ByteView view, uint64_t start, uint64_t limit, Box* box, std::string* problem) {
    if (limit > view.size) limit = view.size;
    ByteView head = TailView(view, static_cast<int64_t>(start < view.size ? start : view.size));
    if (head.size > kLongestBoxHeader) head.size = kLongestBoxHeader;
    return ParseBoxHeader(head, start, limit, box, problem);
}

BoxHeaderResult BoxInSource(ByteSource& source, uint64_t start, uint64_t limit, Box* box, std::string* problem) {
    uint8_t bytes[kLongestBoxHeader];
    uint64_t wanted = limit > start ? limit - start : 0;
    if (wanted > kLongestBoxHeader) wanted = kLongestBoxHeader;
    const size_t arrived = SourceReadAt(source, start, bytes, static_cast<size_t>(wanted));
    return ParseBoxHeader(MakeView(bytes, arrived), start, limit, box, problem);
}

bool BoxHasUuid(const Box& box, const uint8_t (&uuid)[16]) {
    return box.type == FourCc("uuid") && std::memcmp(box.uuid, uuid, 16) == 0;
}
