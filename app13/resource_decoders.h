// The Photoshop resources whose data is shown beyond their name and size.
// The caller has checked that the resource's own data bytes lie inside the
// segment. Some kinds read fields beyond them (Photoshop writes JPEGQuality
// with 7 data bytes, yet its line shows the byte at offset 12; the version
// line shows three bytes after the resource); such a field that lies past
// the segment end reads as 0, so a short resource still shows its line and
// nothing is read outside the segment.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "core/byte_view.h"
#include "core/decoded_data.h"

struct Report;

// Each shows its line and keeps its fields in the resource's data.
void ShowVersionInfo(Report& report, PhotoshopResourceData& resource, ByteView segment, int64_t dataStart);
void ShowResolutionInfo(Report& report, PhotoshopResourceData& resource, ByteView segment, int64_t dataStart);
void ShowJpegQuality(Report& report, PhotoshopResourceData& resource, ByteView segment, int64_t dataStart);
void ShowThumbnailResource(Report& report, PhotoshopResourceData& resource, ByteView segment, int64_t dataStart);
void ShowXmlData(Report& report, PhotoshopResourceData& resource, ByteView segment, int64_t dataStart, int32_t size);

// Fields of a resource's data, numbers and texts.
inline void KeepNumberField(PhotoshopResourceData& resource, const char* name, int64_t number) {
    ResourceField field;
    field.name = name;
    field.number = number;
    resource.fields.push_back(std::move(field));
}

inline void KeepTextField(PhotoshopResourceData& resource, const char* name, std::string text) {
    ResourceField field;
    field.name = name;
    field.isText = true;
    field.text = std::move(text);
    resource.fields.push_back(std::move(field));
}

// Big-endian reads that give 0 past the segment end.
inline uint8_t ByteOrZero(ByteView segment, int64_t offset) {
    uint8_t value = 0;
    ReadU8(segment, offset, &value);
    return value;
}

inline uint16_t U16OrZero(ByteView segment, int64_t offset) {
    uint16_t value = 0;
    ReadU16At(segment, offset, true, &value);
    return value;
}

inline int32_t S32OrZero(ByteView segment, int64_t offset) {
    int32_t value = 0;
    ReadS32At(segment, offset, true, &value);
    return value;
}
