// The TIFF value formats of an EXIF block: reads in the block's byte order,
// the size of each format, a value printed as a list for the report, and a
// value taken as a number for the summary record.
#pragma once

#include <cstdint>
#include <string>

#include "core/byte_view.h"
#include "core/decoded_data.h"

struct Report;

// Format codes of a directory entry; 1 to 12 are valid.
enum class ValueFormat : int {
    Byte = 1,
    Ascii = 2,
    Short = 3,
    Long = 4,
    Rational = 5,
    SignedByte = 6,
    Undefined = 7,
    SignedShort = 8,
    SignedLong = 9,
    SignedRational = 10,
    Float = 11,
    Double = 12,
};

// ASCII and UNDEFINED values are shown as quoted text, not as numbers.
inline bool HoldsText(int format) {
    return format == static_cast<int>(ValueFormat::Ascii) || format == static_cast<int>(ValueFormat::Undefined);
}

constexpr int kLowestFormat = 1;
constexpr int kHighestFormat = 12;

// Reads in the block's byte order (bigEndian 1 is "MM", 0 is "II"). A read
// that would leave the view yields 0; callers check the bounds first.
uint16_t ReadU16(ByteView view, int64_t offset, int bigEndian);
int32_t ReadS32(ByteView view, int64_t offset, int bigEndian);

// Bytes per component of a format code; 0 for a code outside 1 to 12.
int FormatByteSize(int format);

// Appends the value's components (at most 16, separated by "," with a
// trailing "," when more follow) to text. ASCII, UNDEFINED and unknown
// codes report "Unknown format" and append nothing. Only the bytes of
// value that byteCount covers are read.
void AppendValueList(Report& report, std::string& text, ByteView value, int bigEndian, int format,
                     int64_t byteCount);

// The first component of the value as a number; 0 when the view does not
// hold one whole component. ASCII, UNDEFINED and unknown codes report
// "Illegal format code" and yield 0.
double ValueAsDouble(Report& report, int format, ByteView value, int bigEndian);

// A number from the file as a record integer: truncated toward zero,
// pinned to the int32 range (0 for a value that is not a number).
int32_t DoubleToInt32(double value);

// A number from the file as a record float; beyond the float range it
// becomes an infinity of its sign.
float DoubleToFloat(double value);

// The memory the count components of a value take in the pools of data.
size_t DataBytesOfValues(int format, uint32_t count);

// Puts all count components of the value into the pools of data, decoded
// per format (RATIONAL unsigned, SRATIONAL signed; ASCII and UNDEFINED as
// their bytes), and says where they went. Components the view does not
// hold are not added.
ValueKind AddValuesToData(DecodedData& data, ByteView value, int bigEndian, int format, uint32_t count,
                          ValueSpan* span);
