// Builds byte strings for tests, field by field.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ByteBuilder {
    std::vector<uint8_t> bytes;
    bool bigEndian = true;

    ByteBuilder& U8(unsigned value);
    ByteBuilder& U16(unsigned value);       // in the builder's byte order
    ByteBuilder& U32(uint32_t value);       // in the builder's byte order
    ByteBuilder& Text(const std::string& text);  // the characters, no terminator
    ByteBuilder& Repeat(unsigned value, size_t count);
    ByteBuilder& Append(const std::vector<uint8_t>& more);
    size_t Size() const { return bytes.size(); }
};

// A JPEG marker segment: FF, marker, big-endian length (payload + 2), payload.
std::vector<uint8_t> Segment(unsigned marker, const std::vector<uint8_t>& payload);
std::vector<uint8_t> Bytes(const std::string& text);
std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts);
