// The JSON object of one analysis, written in one pass over its data.
#include "export/json_object.h"

#include <rapidjson/internal/dtoa.h>
#include <rapidjson/internal/itoa.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app13/iptc_standard_names.h"
#include "exif/standard_tag_names.h"
#include "export/json_string.h"
#include "export/utf8_text.h"
#include "export/xmp_json.h"
#include "facts/summary_facts.h"
#include "xmp/xmp.h"

namespace {

const char* const kFormatNames[] = {"", "BYTE", "ASCII", "SHORT", "LONG", "RATIONAL", "SBYTE", "UNDEFINED",
                                    "SSHORT", "SLONG", "SRATIONAL", "FLOAT", "DOUBLE"};
const char* const kPaneNames[] = {"jpeg", "thumbnail", "exif", "iptc"};

// Room for most files' objects from the start: growing the buffer from its
// default 256 bytes took a dozen reallocations a file, half the allocator's
// work when files are reported on several threads.
constexpr size_t kObjectCapacity = 16 * 1024;

// The writer keeps the object's structure (where a comma or a colon goes);
// the text of most values is put into its buffer directly. Its bookkeeping
// and escaping loop for each of a file's thousand tokens were a third of
// the data's time: keys and the program's own names (directories, formats,
// standard tag and dataset names, message codes) are ASCII with nothing to
// escape, most texts from a file hold nothing to escape either, and numbers
// go through the library's own conversions, so the output is the same.
struct ObjectWriter {
    rapidjson::StringBuffer buffer{nullptr, kObjectCapacity};
    JsonWriter json{buffer};
    JsonWriter escaper{buffer};  // writes one escaped string where it stands
    std::string scratch;

    // Tells the writer a value of this type came, so that it puts the comma
    // or the colon before it; the value's text is then put by hand.
    void Announce(rapidjson::Type type) { json.RawValue("", 0, type); }

    void Put(const char* text, size_t size) { std::memcpy(buffer.Push(size), text, size); }
    template <size_t N>
    void Put(const char (&text)[N]) {
        Put(text, N - 1);
    }
    void PutQuoted(const char* text, size_t size) { PutQuotedJsonText(buffer, text, size); }
    void PutQuoted(const char* text) { PutQuoted(text, std::strlen(text)); }
    void PutUint(uint32_t value) {
        char text[16];
        Put(text, static_cast<size_t>(rapidjson::internal::u32toa(value, text) - text));
    }
    void PutInt64(int64_t value) {
        char text[24];
        Put(text, static_cast<size_t>(rapidjson::internal::i64toa(value, text) - text));
    }
    // JSON has no infinity or NaN: such a number is null.
    void PutNumber(double value) {
        if (!std::isfinite(value)) {
            Put("null");
            return;
        }
        char text[32];
        const char* end = rapidjson::internal::dtoa(value, text, JsonWriter::kDefaultMaxDecimalPlaces);
        Put(text, static_cast<size_t>(end - text));
    }
    // Valid UTF-8 as a JSON string, escaped by the library where it must be.
    void PutString(const char* text, size_t size) {
        if (NeedsNoJsonEscape(text, size)) {
            PutQuoted(text, size);
            return;
        }
        escaper.Reset(buffer);
        escaper.String(text, static_cast<rapidjson::SizeType>(size));
    }
    // A file's bytes: UTF-8 where they are, else taken as Latin-1.
    void PutText(const char* bytes, size_t size) {
        if (IsValidUtf8(bytes, size)) {
            PutString(bytes, size);
            return;
        }
        scratch.clear();
        AppendAsUtf8(scratch, bytes, size);
        PutString(scratch.data(), scratch.size());
    }
    // Two lowercase digits a byte: a maker note runs to kilobytes.
    void PutHex(std::string_view bytes) {
        static const char kDigits[] = "0123456789abcdef";
        char* at = buffer.Push(2 * bytes.size() + 2);
        *at++ = '"';
        for (unsigned char byte : bytes) {
            *at++ = kDigits[byte >> 4];
            *at++ = kDigits[byte & 0x0F];
        }
        *at = '"';
    }

    // Values in their place in the structure.
    void Plain(const char* text) {
        Announce(rapidjson::kStringType);
        PutQuoted(text);
    }
    // A key written in the code: its size is known where it is written.
    template <size_t N>
    void Key(const char (&key)[N]) {
        Announce(rapidjson::kStringType);
        PutQuoted(key, N - 1);
    }
    // A key from a table.
    void NamedKey(const char* key) { Plain(key); }
    void Text(const char* bytes, size_t size) {
        Announce(rapidjson::kStringType);
        PutText(bytes, size);
    }
    void Text(const std::string& bytes) { Text(bytes.data(), bytes.size()); }
    void Path(const std::string& bytes) {
        scratch.clear();
        AppendPathAsUtf8(scratch, bytes.data(), bytes.size());
        Announce(rapidjson::kStringType);
        PutString(scratch.data(), scratch.size());
    }
    void Number(double value) {
        Announce(std::isfinite(value) ? rapidjson::kNumberType : rapidjson::kNullType);
        PutNumber(value);
    }
};

void OptionalText(ObjectWriter& w, const char* key, const std::optional<std::string>& value) {
    if (!value) return;
    w.NamedKey(key);
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
        w.NamedKey(FactRow(i).key);
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
void PutOneOrArray(ObjectWriter& w, size_t count, Each each) {
    if (count == 1) {
        each(0);
        return;
    }
    w.Put("[");
    for (size_t i = 0; i < count; i++) {
        if (i > 0) w.Put(",");
        each(i);
    }
    w.Put("]");
}

// The entry's "value" (and a rational's "raw") members, each after a comma.
void PutEntryValue(ObjectWriter& w, const DecodedData& data, const ExifEntryData& entry) {
    const size_t count = entry.values.count;
    switch (entry.kind) {
        case ValueKind::Omitted:
            return;
        case ValueKind::Bytes: {
            const std::string_view bytes = EntryByteView(data, entry);
            w.Put(",\"value\":");
            if (entry.format == 2) {
                // ASCII ends at its first zero byte.
                const std::string_view text = bytes.substr(0, bytes.find('\0'));
                w.PutText(text.data(), text.size());
            } else {
                w.PutHex(bytes);
            }
            return;
        }
        case ValueKind::Integers: {
            const int64_t* values = EntryIntegers(data, entry);
            w.Put(",\"value\":");
            PutOneOrArray(w, count, [&](size_t i) { w.PutInt64(values[i]); });
            return;
        }
        case ValueKind::Reals: {
            const double* values = EntryReals(data, entry);
            w.Put(",\"value\":");
            PutOneOrArray(w, count, [&](size_t i) { w.PutNumber(values[i]); });
            return;
        }
        case ValueKind::Rationals: {
            const RationalValue* values = EntryRationals(data, entry);
            // A zero denominator leaves the value undefined: null.
            w.Put(",\"value\":");
            PutOneOrArray(w, count, [&](size_t i) {
                if (values[i].denominator == 0) {
                    w.Put("null");
                } else {
                    w.PutNumber(static_cast<double>(values[i].numerator) /
                                static_cast<double>(values[i].denominator));
                }
            });
            w.Put(",\"raw\":");
            PutOneOrArray(w, count, [&](size_t i) {
                // Two 20-digit numbers and the slash.
                char text[48];
                char* end = std::to_chars(text, text + 21, values[i].numerator).ptr;
                *end++ = '/';
                end = std::to_chars(end, end + 21, values[i].denominator).ptr;
                w.PutQuoted(text, static_cast<size_t>(end - text));
            });
            return;
        }
    }
}

// Each entry is one object of fixed members, put whole into its place in
// the array.
void WriteExifEntries(ObjectWriter& w, const DecodedData& data) {
    w.Key("EXIF");
    w.json.StartArray();
    for (const ExifEntryData& entry : data.exifEntries) {
        w.Announce(rapidjson::kObjectType);
        w.Put("{\"ifd\":");
        w.PutQuoted(DirectoryKindName(entry.directory));
        w.Put(",\"tag\":");
        w.PutUint(entry.tag);
        // The standard's name, as scripts know it; the panes keep theirs.
        w.Put(",\"name\":");
        if (const char* name = StandardExifTagName(entry.directory, entry.tag)) {
            w.PutQuoted(name);
        } else {
            w.Put("null");
        }
        w.Put(",\"format\":");
        w.PutQuoted(entry.format >= 1 && entry.format <= 12 ? kFormatNames[entry.format] : "");
        w.Put(",\"count\":");
        w.PutUint(entry.count);
        PutEntryValue(w, data, entry);
        w.Put("}");
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
            w.NamedKey(field.name);
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
            WriteXmpObject(w.json, w.buffer, analysis.decoded.xmpProperties, options.xmpGroups);
        }
        if (!analysis.decoded.xmpMessages.empty()) {
            // A message can quote the file's own bytes (an extension's GUID).
            w.Key("XMPMessages");
            w.json.StartArray();
            for (const std::string& message : analysis.decoded.xmpMessages) w.Text(message);
            w.json.EndArray();
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
