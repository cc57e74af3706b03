// A real, decodable JPEG built byte by byte, for thumbnail tests on every
// platform (no encoder library needed).
#pragma once

#include <cstdint>
#include <vector>

#include "support/byte_builder.h"

// A baseline greyscale JPEG of one flat colour: one quantisation table, one
// DC and one AC Huffman table that each hold a single one-bit code (DC
// difference 0, end of block), so every 8 x 8 block costs two zero bits.
inline std::vector<uint8_t> FlatJpeg(unsigned width, unsigned height) {
    ByteBuilder quant;
    quant.U8(0x00).Repeat(1, 64);
    ByteBuilder frame;
    frame.U8(8).U16(height).U16(width).U8(1).U8(1).U8(0x11).U8(0);
    ByteBuilder dcTable;
    dcTable.U8(0x00).U8(1).Repeat(0, 15).U8(0x00);
    ByteBuilder acTable;
    acTable.U8(0x10).U8(1).Repeat(0, 15).U8(0x00);
    ByteBuilder scan;
    scan.U8(1).U8(1).U8(0x00).U8(0).U8(63).U8(0);

    size_t blocks = ((width + 7) / 8) * ((height + 7) / 8);
    size_t bits = blocks * 2;
    ByteBuilder entropy;
    entropy.Repeat(0x00, bits / 8);
    // The last byte is padded with one bits, as the format asks.
    if (bits % 8 != 0) entropy.U8((1u << (8 - bits % 8)) - 1);

    return Concat({{0xFF, 0xD8}, Segment(0xDB, quant.bytes), Segment(0xC0, frame.bytes),
                   Segment(0xC4, dcTable.bytes), Segment(0xC4, acTable.bytes), Segment(0xDA, scan.bytes),
                   entropy.bytes, {0xFF, 0xD9}});
}
