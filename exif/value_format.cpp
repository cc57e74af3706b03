// The TIFF value formats: sizes, reads in either byte order, the value
// lists of the listing and the numbers of the summary.
#include "exif/value_format.h"

#include <charconv>
#include <cmath>
#include <cfloat>
#include <cstring>

#include "report/report.h"

namespace {

constexpr int kFormatByteSizes[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};

// A value list shows at most this many components.
constexpr int kListedComponents = 16;

// FLOAT and DOUBLE are stored in Intel order whatever the block's order.
bool ReadFloatAt(ByteView view, int64_t offset, double* out) {
    uint32_t bits = 0;
    if (!ReadU32At(view, offset, false, &bits)) return false;
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    *out = static_cast<double>(value);
    return true;
}

bool ReadDoubleAt(ByteView view, int64_t offset, double* out) {
    uint32_t low = 0;
    uint32_t high = 0;
    if (!ReadU32At(view, offset, false, &low) || !ReadU32At(view, offset + 4, false, &high)) return false;
    uint64_t bits = static_cast<uint64_t>(high) << 32 | low;
    std::memcpy(out, &bits, sizeof *out);
    return true;
}

void AppendDecimal(std::string& out, int64_t number) {
    // Room for the longest int64_t and its sign.
    char digits[24];
    const std::to_chars_result written = std::to_chars(digits, digits + sizeof digits, number);
    out.append(digits, written.ptr);
}

// Every list line of every file passes here, so integers are written
// without going through printf; FLOAT and DOUBLE keep printf's "%f".
void AppendFixed(std::string& out, double number) { out += FormatText("%f", number); }

// Appends one component at offset; false for a format that has no list form.
bool AppendComponent(ByteView value, int64_t offset, int bigEndian, int format, std::string& out) {
    switch (static_cast<ValueFormat>(format)) {
        case ValueFormat::Byte:
        case ValueFormat::SignedByte: {
            static const char kHexDigits[] = "0123456789abcdef";
            uint8_t byte = 0;
            ReadU8(value, offset, &byte);
            out += kHexDigits[byte >> 4];
            out += kHexDigits[byte & 0x0F];
            return true;
        }
        case ValueFormat::Short:
            AppendDecimal(out, ReadU16(value, offset, bigEndian));
            return true;
        case ValueFormat::SignedShort:
            AppendDecimal(out, static_cast<int16_t>(ReadU16(value, offset, bigEndian)));
            return true;
        case ValueFormat::Long:
            // LONG is unsigned: FF FF FF FF is 4294967295, not -1.
            AppendDecimal(out, static_cast<uint32_t>(ReadS32(value, offset, bigEndian)));
            return true;
        case ValueFormat::SignedLong:
            AppendDecimal(out, ReadS32(value, offset, bigEndian));
            return true;
        case ValueFormat::Rational:
        case ValueFormat::SignedRational:
            // The listing shows both halves of either kind as signed 32-bit
            // numbers, as it always has (a RATIONAL half of 2^31 or more
            // shows negative), so its text never changes; the data keeps
            // the file's values, unsigned for RATIONAL (AddValuesToData).
            AppendDecimal(out, ReadS32(value, offset, bigEndian));
            out += '/';
            AppendDecimal(out, ReadS32(value, offset + 4, bigEndian));
            return true;
        case ValueFormat::Float: {
            double number = 0;
            ReadFloatAt(value, offset, &number);
            AppendFixed(out, number);
            return true;
        }
        case ValueFormat::Double: {
            double number = 0;
            ReadDoubleAt(value, offset, &number);
            AppendFixed(out, number);
            return true;
        }
        default:
            return false;
    }
}

}  // namespace

uint16_t ReadU16(ByteView view, int64_t offset, int bigEndian) {
    uint16_t value = 0;
    ReadU16At(view, offset, bigEndian != 0, &value);
    return value;
}

int32_t ReadS32(ByteView view, int64_t offset, int bigEndian) {
    int32_t value = 0;
    ReadS32At(view, offset, bigEndian != 0, &value);
    return value;
}

int FormatByteSize(int format) {
    if (format < 0 || format > kHighestFormat) return 0;
    return kFormatByteSizes[format];
}

void AppendValueList(Report& report, std::string& text, ByteView value, int bigEndian, int format,
                     int64_t byteCount) {
    // Written in place; a format with no list form leaves the text as it was.
    const size_t start = text.size();
    int64_t position = 0;
    int64_t remaining = byteCount;
    for (int counter = 0; counter < kListedComponents; counter++) {
        if (!AppendComponent(value, position, bigEndian, format, text)) {
            text.resize(start);
            ReportNonfatal(report, "Unknown format %d:\r\n", format);
            return;
        }
        remaining -= FormatByteSize(format);
        if (remaining <= 0) break;
        text += ',';
        position += FormatByteSize(format);
    }
}

double ValueAsDouble(Report& report, int format, ByteView value, int bigEndian) {
    double result = 0;
    switch (static_cast<ValueFormat>(format)) {
        case ValueFormat::Byte: {
            uint8_t byte = 0;
            if (ReadU8(value, 0, &byte)) result = byte;
            return result;
        }
        case ValueFormat::SignedByte: {
            uint8_t byte = 0;
            if (ReadU8(value, 0, &byte)) result = static_cast<int8_t>(byte);
            return result;
        }
        case ValueFormat::Short:
            return ReadU16(value, 0, bigEndian);
        case ValueFormat::SignedShort:
            return static_cast<int16_t>(ReadU16(value, 0, bigEndian));
        case ValueFormat::Long:
            return static_cast<uint32_t>(ReadS32(value, 0, bigEndian));
        case ValueFormat::SignedLong:
            return ReadS32(value, 0, bigEndian);
        case ValueFormat::Rational:
        case ValueFormat::SignedRational: {
            if (!ViewHas(value, 0, 8)) return 0;
            int32_t denominator = ReadS32(value, 4, bigEndian);
            // A zero denominator is not an error: the value is 0.
            if (denominator == 0) return 0;
            return static_cast<double>(ReadS32(value, 0, bigEndian)) / denominator;
        }
        case ValueFormat::Float:
            ReadFloatAt(value, 0, &result);
            return result;
        case ValueFormat::Double:
            ReadDoubleAt(value, 0, &result);
            return result;
        default:
            ReportNonfatal(report, "Illegal format code %d\r\n", format);
            return 0;
    }
}

int32_t DoubleToInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return INT32_MAX;
    if (value <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(value);
}

float DoubleToFloat(double value) {
    if (value > FLT_MAX) return HUGE_VALF;
    if (value < -FLT_MAX) return -HUGE_VALF;
    return static_cast<float>(value);
}

namespace {

int64_t IntegerComponent(ByteView value, int64_t offset, int bigEndian, int format) {
    uint8_t byte = 0;
    switch (static_cast<ValueFormat>(format)) {
        case ValueFormat::Byte: ReadU8(value, offset, &byte); return byte;
        case ValueFormat::SignedByte: ReadU8(value, offset, &byte); return static_cast<int8_t>(byte);
        case ValueFormat::Short: return ReadU16(value, offset, bigEndian);
        case ValueFormat::SignedShort: return static_cast<int16_t>(ReadU16(value, offset, bigEndian));
        case ValueFormat::Long: return static_cast<uint32_t>(ReadS32(value, offset, bigEndian));
        default: return ReadS32(value, offset, bigEndian);
    }
}

}  // namespace

size_t DataBytesOfValues(int format, uint32_t count) {
    switch (static_cast<ValueFormat>(format)) {
        case ValueFormat::Ascii:
        case ValueFormat::Undefined: return count;
        case ValueFormat::Rational:
        case ValueFormat::SignedRational: return size_t(count) * sizeof(RationalValue);
        default: return size_t(count) * sizeof(int64_t);
    }
}

ValueKind AddValuesToData(DecodedData& data, ByteView value, int bigEndian, int format, uint32_t count,
                          ValueSpan* span) {
    const int size = FormatByteSize(format);
    // Only whole components that the view holds.
    const uint64_t held = size > 0 ? value.size / static_cast<size_t>(size) : 0;
    const size_t components = static_cast<size_t>(count < held ? count : held);
    switch (static_cast<ValueFormat>(format)) {
        case ValueFormat::Ascii:
        case ValueFormat::Undefined:
            span->first = data.bytePool.size();
            span->count = components;
            data.bytePool.append(reinterpret_cast<const char*>(value.data), components);
            return ValueKind::Bytes;
        case ValueFormat::Rational:
        case ValueFormat::SignedRational: {
            span->first = data.rationalPool.size();
            span->count = components;
            const bool isSigned = format == static_cast<int>(ValueFormat::SignedRational);
            for (size_t i = 0; i < components; i++) {
                const int32_t numerator = ReadS32(value, int64_t(i) * 8, bigEndian);
                const int32_t denominator = ReadS32(value, int64_t(i) * 8 + 4, bigEndian);
                data.rationalPool.push_back(isSigned ? RationalValue{numerator, denominator}
                                                     : RationalValue{static_cast<uint32_t>(numerator),
                                                                     static_cast<uint32_t>(denominator)});
            }
            return ValueKind::Rationals;
        }
        case ValueFormat::Float:
        case ValueFormat::Double: {
            span->first = data.realPool.size();
            span->count = components;
            for (size_t i = 0; i < components; i++) {
                double number = 0;
                if (format == static_cast<int>(ValueFormat::Float)) {
                    ReadFloatAt(value, int64_t(i) * 4, &number);
                } else {
                    ReadDoubleAt(value, int64_t(i) * 8, &number);
                }
                data.realPool.push_back(number);
            }
            return ValueKind::Reals;
        }
        default:
            span->first = data.integerPool.size();
            span->count = components;
            for (size_t i = 0; i < components; i++) {
                data.integerPool.push_back(IntegerComponent(value, int64_t(i) * size, bigEndian, format));
            }
            return ValueKind::Integers;
    }
}

