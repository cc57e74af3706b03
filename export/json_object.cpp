// The JSON object of one analysis, written in one pass over its data.
#include "export/json_object.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app13/iptc_standard_names.h"
#include "exif/standard_tag_names.h"
#include "export/utf8_text.h"
#include "export/xmp_json.h"
#include "facts/summary_facts.h"
#include "xmp/xmp.h"

namespace {

using JsonWriter = rapidjson::Writer<rapidjson::StringBuffer>;

const char* const kFormatNames[] = {"", "BYTE", "ASCII", "SHORT", "LONG", "RATIONAL", "SBYTE", "UNDEFINED",
                                    "SSHORT", "SLONG", "SRATIONAL", "FLOAT", "DOUBLE"};
const char* const kPaneNames[] = {"jpeg", "thumbnail", "exif", "iptc"};

// Room for most files' objects from the start: growing the buffer from its
// default 256 bytes took a dozen reallocations a file, half the allocator's
// work when files are reported on several threads.
constexpr size_t kObjectCapacity = 16 * 1024;

struct ObjectWriter {
    rapidjson::StringBuffer buffer{nullptr, kObjectCapacity};
    JsonWriter json{buffer};
    std::string scratch;

    // Keys and the names the program holds (directories, formats, standard
    // tag and dataset names, message codes) are ASCII with nothing to
    // escape: they are copied between their quotes as they stand. The
    // writer is told a string came, so that it still puts the comma or the
    // colon before it; the escaping loop was a tenth of a file's time.
    void Plain(const char* text) { PlainSized(text, std::strlen(text)); }
    void PlainSized(const char* text, size_t size) {
        json.RawValue("", 0, rapidjson::kStringType);
        char* at = buffer.Push(size + 2);
        at[0] = '"';
        std::memcpy(at + 1, text, size);
        at[size + 1] = '"';
    }
    void Key(const char* key) { Plain(key); }

    void Text(const char* bytes, size_t size) {
        if (IsValidUtf8(bytes, size)) {
            String(bytes, size);
            return;
        }
        scratch.clear();
        AppendAsUtf8(scratch, bytes, size);
        String(scratch.data(), scratch.size());
    }
    // Valid UTF-8 as a JSON string: most texts hold nothing to escape (no
    // control byte, quote or backslash) and are copied as they stand.
    void String(const char* text, size_t size) {
        bool plain = true;
        for (size_t i = 0; i < size; i++) {
            const unsigned char c = static_cast<unsigned char>(text[i]);
            plain &= c >= 0x20 && c != '"' && c != '\\';
        }
        if (plain) {
            PlainSized(text, size);
        } else {
            json.String(text, static_cast<rapidjson::SizeType>(size));
        }
    }
    void Text(const std::string& bytes) { Text(bytes.data(), bytes.size()); }
    void Path(const std::string& bytes) {
        scratch.clear();
        AppendPathAsUtf8(scratch, bytes.data(), bytes.size());
        String(scratch.data(), scratch.size());
    }

    // JSON has no infinity or NaN: such a number is null.
    void Number(double value) {
        if (std::isfinite(value)) {
            json.Double(value);
        } else {
            json.Null();
        }
    }

    // Two lowercase digits a byte, written straight into the buffer: a
    // maker note runs to kilobytes.
    void Hex(std::string_view bytes) {
        static const char kDigits[] = "0123456789abcdef";
        json.RawValue("", 0, rapidjson::kStringType);
        char* at = buffer.Push(2 * bytes.size() + 2);
        *at++ = '"';
        for (unsigned char byte : bytes) {
            *at++ = kDigits[byte >> 4];
            *at++ = kDigits[byte & 0x0F];
        }
        *at = '"';
    }
};

void OptionalText(ObjectWriter& w, const char* key, const std::optional<std::string>& value) {
    if (!value) return;
    w.Key(key);
    w.Text(*value);
}

void WriteFile(ObjectWriter& w, const SummaryFacts& facts, FileType type) {
    w.Key("File");
    w.json.StartObject();
    // The type as the peer reader names it, once the file's bytes told it;
    // a JPEG's record stays as it was (a file without a type is a JPEG).
    if (type != FileType::Unknown && type != FileType::Jpeg) {
        w.Key("type");
        w.Text(FileTypeName(type));
        w.Key("mimeType");
        w.Text(FileTypeMime(type));
    }
    if (facts.fileSize) {
        w.Key("size");
        w.json.Uint64(*facts.fileSize);
    }
    OptionalText(w, "modified", facts.fileModified);
    w.json.EndObject();
}

void WriteFactValue(ObjectWriter& w, const FactValue& value) {
    switch (value.kind) {
        case FactValue::Kind::Absent: w.json.Null(); return;
        case FactValue::Kind::Text: w.Text(value.text); return;
        case FactValue::Kind::Integer: w.json.Int64(value.integer); return;
        case FactValue::Kind::Number: w.Number(value.number); return;
        case FactValue::Kind::Boolean: w.json.Bool(value.boolean); return;
        case FactValue::Kind::TextList:
            w.json.StartArray();
            for (const std::string& text : value.list) w.Text(text);
            w.json.EndArray();
            return;
    }
}

// Every fact of the table that has a value, in the table's order.
void WriteFacts(ObjectWriter& w, const FactValues& values) {
    for (size_t i = 0; i < kFactCount; i++) {
        const FactValue& value = values.values[i];
        if (value.kind == FactValue::Kind::Absent) continue;
        w.Key(FactRow(i).key);
        WriteFactValue(w, value);
    }
}

void WriteSummary(ObjectWriter& w, const FactValues& values) {
    w.Key("Summary");
    w.json.StartObject();
    WriteFacts(w, values);
    w.json.EndObject();
}

// A value of one component is a number; of any other count, an array.
template <typename Each>
void OneOrArray(ObjectWriter& w, size_t count, Each each) {
    if (count == 1) {
        each(0);
        return;
    }
    w.json.StartArray();
    for (size_t i = 0; i < count; i++) each(i);
    w.json.EndArray();
}

void WriteEntryValue(ObjectWriter& w, const DecodedData& data, const ExifEntryData& entry) {
    const size_t count = entry.values.count;
    switch (entry.kind) {
        case ValueKind::Omitted:
            return;
        case ValueKind::Bytes: {
            const std::string_view bytes = EntryByteView(data, entry);
            w.Key("value");
            if (entry.format == 2) {
                // ASCII ends at its first zero byte.
                const std::string_view text = bytes.substr(0, bytes.find('\0'));
                w.Text(text.data(), text.size());
            } else {
                w.Hex(bytes);
            }
            return;
        }
        case ValueKind::Integers: {
            const int64_t* values = EntryIntegers(data, entry);
            w.Key("value");
            OneOrArray(w, count, [&](size_t i) { w.json.Int64(values[i]); });
            return;
        }
        case ValueKind::Reals: {
            const double* values = EntryReals(data, entry);
            w.Key("value");
            OneOrArray(w, count, [&](size_t i) { w.Number(values[i]); });
            return;
        }
        case ValueKind::Rationals: {
            const RationalValue* values = EntryRationals(data, entry);
            // A zero denominator leaves the value undefined: null.
            w.Key("value");
            OneOrArray(w, count, [&](size_t i) {
                if (values[i].denominator == 0) {
                    w.json.Null();
                } else {
                    w.Number(static_cast<double>(values[i].numerator) / static_cast<double>(values[i].denominator));
                }
            });
            w.Key("raw");
            OneOrArray(w, count, [&](size_t i) {
                // Two 20-digit numbers and the slash.
                char text[48];
                char* end = std::to_chars(text, text + 21, values[i].numerator).ptr;
                *end++ = '/';
                end = std::to_chars(end, end + 21, values[i].denominator).ptr;
                w.PlainSized(text, static_cast<size_t>(end - text));
            });
            return;
        }
    }
}

void WriteExifEntries(ObjectWriter& w, const DecodedData& data) {
    w.Key("EXIF");
    w.json.StartArray();
    for (const ExifEntryData& entry : data.exifEntries) {
        w.json.StartObject();
        w.Key("ifd");
        w.Plain(DirectoryKindName(entry.directory));
        w.Key("tag");
        w.json.Uint(entry.tag);
        // The standard's name, as scripts know it; the panes keep theirs.
        w.Key("name");
        if (const char* name = StandardExifTagName(entry.directory, entry.tag)) {
            w.Plain(name);
        } else {
            w.json.Null();
        }
        w.Key("format");
        w.Plain(entry.format >= 1 && entry.format <= 12 ? kFormatNames[entry.format] : "");
        w.Key("count");
        w.json.Uint(entry.count);
        WriteEntryValue(w, data, entry);
        w.json.EndObject();
    }
    w.json.EndArray();
}

void WritePhotoshopResources(ObjectWriter& w, const DecodedData& data) {
    w.Key("Photoshop");
    w.json.StartArray();
    for (const PhotoshopResourceData& resource : data.photoshopResources) {
        w.json.StartObject();
        w.Key("id");
        w.json.Uint(resource.id);
        w.Key("name");
        w.Text(resource.name, std::char_traits<char>::length(resource.name));
        w.Key("size");
        w.json.Int(resource.size);
        for (const ResourceField& field : resource.fields) {
            w.Key(field.name);
            if (field.isText) {
                w.Text(field.text);
            } else {
                w.json.Int64(field.number);
            }
        }
        w.json.EndObject();
    }
    w.json.EndArray();
}

// A number dataset holds a big-endian number in its bytes.
int64_t DatasetNumber(const std::string& value) {
    int64_t number = 0;
    for (size_t i = 0; i < value.size() && i < 2; i++) number = number << 8 | static_cast<unsigned char>(value[i]);
    return number;
}

void WriteIptcDatasets(ObjectWriter& w, const DecodedData& data) {
    w.Key("IPTC");
    w.json.StartArray();
    for (const IptcDatasetData& dataset : data.iptcDatasets) {
        w.json.StartObject();
        w.Key("record");
        w.json.Int(dataset.record);
        w.Key("dataset");
        w.json.Int(dataset.dataset);
        w.Key("name");
        if (const char* name = StandardIptcName(dataset.record, dataset.dataset)) {
            w.Plain(name);
        } else {
            w.json.Null();
        }
        w.Key("value");
        if (dataset.kind == IptcKind::Number) {
            w.json.Int64(DatasetNumber(dataset.value));
        } else {
            w.Text(dataset.value);
        }
        w.json.EndObject();
    }
    w.json.EndArray();
}

// A message line, with the code and the system's reason of a refusal.
void WriteMessage(ObjectWriter& w, const ReportedLine& line) {
    w.json.StartObject();
    w.Key("pane");
    w.Plain(kPaneNames[static_cast<int>(line.pane)]);
    w.Key("text");
    w.Text(line.text);
    w.Key("error");
    w.json.Bool(line.error);
    if (line.code != nullptr) {
        w.Key("code");
        w.Plain(line.code);
    }
    if (!line.reason.empty()) {
        w.Key("reason");
        w.Text(line.reason);
    }
    w.json.EndObject();
}

// The report's lines, then what the data left out and why (no pane shows those).
void WriteMessages(ObjectWriter& w, const Report& report, const std::vector<std::string>& warnings) {
    w.Key("Messages");
    w.json.StartArray();
    for (const ReportedLine& line : report.lines) WriteMessage(w, line);
    for (const std::string& warning : warnings) {
        w.json.StartObject();
        w.Key("pane");
        w.json.Null();
        w.Key("text");
        w.Text(warning);
        w.Key("error");
        w.json.Bool(false);
        w.json.EndObject();
    }
    w.json.EndArray();
}

void Finish(std::string& out, const ObjectWriter& w) { out.append(w.buffer.GetString(), w.buffer.GetSize()); }

}  // namespace

void AppendJsonObject(std::string& out, const Analysis& analysis, const std::string& sourceFile,
                      const JsonOptions& options) {
    ObjectWriter w;
    const SummaryFacts facts = SummaryFactsOf(analysis);
    w.json.StartObject();
    w.Key("SourceFile");
    w.Path(sourceFile);
    w.Key("ok");
    w.json.Bool(analysis.reachedSummary);
    WriteFile(w, facts, analysis.summary.fileType);
    if (analysis.reachedSummary) {
        WriteSummary(w, facts.summary);
        WriteExifEntries(w, analysis.decoded);
        WritePhotoshopResources(w, analysis.decoded);
        WriteIptcDatasets(w, analysis.decoded);
        if (analysis.decoded.hasXmp) {
            w.Key("XMP");
            WriteXmpObject(w.json, analysis.decoded.xmpProperties, options.xmpGroups);
        }
        if (!analysis.decoded.xmpMessages.empty()) {
            w.Key("XMPMessages");
            WriteXmpMessages(w.json, analysis.decoded.xmpMessages);
        }
        if (analysis.decoded.hasXmp && options.xmpPacket) {
            w.Key("XMPPacket");
            w.Text(UnpaddedXmpPacket(analysis.decoded.xmpPacket));
        }
    }
    WriteMessages(w, analysis.report, facts.warnings);
    w.json.EndObject();
    Finish(out, w);
}

void AppendFlatJsonObject(std::string& out, const Analysis& analysis, const std::string& sourceFile) {
    ObjectWriter w;
    w.json.StartObject();
    w.Key("SourceFile");
    w.Path(sourceFile);
    w.Key("ok");
    w.json.Bool(analysis.reachedSummary);
    if (analysis.reachedSummary) WriteFacts(w, SummaryFactsOf(analysis).summary);
    w.json.EndObject();
    Finish(out, w);
}

void AppendJsonFailure(std::string& out, const std::string& sourceFile, const std::string& reason, const char* code) {
    ObjectWriter w;
    w.json.StartObject();
    w.Key("SourceFile");
    w.Path(sourceFile);
    w.Key("ok");
    w.json.Bool(false);
    // Nothing is known of the file: its facts are an empty object, as for a missing file.
    w.Key("File");
    w.json.StartObject();
    w.json.EndObject();
    w.Key("Messages");
    w.json.StartArray();
    WriteMessage(w, ReportedLine{ReportPane::Exif, true, reason, code, std::string()});
    w.json.EndArray();
    w.json.EndObject();
    Finish(out, w);
}
