#include "support/byte_builder.h"

ByteBuilder& ByteBuilder::U8(unsigned value) {
    bytes.push_back(static_cast<uint8_t>(value));
    return *this;
}

ByteBuilder& ByteBuilder::U16(unsigned value) {
    if (bigEndian) return U8(value >> 8).U8(value & 0xFF);
    return U8(value & 0xFF).U8(value >> 8);
}

ByteBuilder& ByteBuilder::U32(uint32_t value) {
    if (bigEndian) return U16(value >> 16).U16(value & 0xFFFF);
    return U16(value & 0xFFFF).U16(value >> 16);
}

ByteBuilder& ByteBuilder::Text(const std::string& text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
    return *this;
}

ByteBuilder& ByteBuilder::Repeat(unsigned value, size_t count) {
    bytes.insert(bytes.end(), count, static_cast<uint8_t>(value));
    return *this;
}

ByteBuilder& ByteBuilder::Append(const std::vector<uint8_t>& more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
    return *this;
}

std::vector<uint8_t> Segment(unsigned marker, const std::vector<uint8_t>& payload) {
    ByteBuilder b;
    b.U8(0xFF).U8(marker).U16(static_cast<unsigned>(payload.size() + 2)).Append(payload);
    return b.bytes;
}

std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}
