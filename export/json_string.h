// JSON strings put straight into a RapidJSON writer's own buffer when
// nothing in them needs escaping, which is most of a file's texts; the
// writer keeps the structure (where a comma or a colon goes) and escapes
// the rest.
#pragma once

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstddef>

using JsonWriter = rapidjson::Writer<rapidjson::StringBuffer>;

// Whether JSON takes the text between quotes as it stands: no control
// character, quote or backslash (bytes from 0x80 up are UTF-8's own).
bool NeedsNoJsonEscape(const char* text, size_t size);

// Puts text that needs no escaping between quotes at the buffer's end,
// where the caller's structure wants a string.
void PutQuotedJsonText(rapidjson::StringBuffer& buffer, const char* text, size_t size);

// Writes valid UTF-8 text as the next string (a value or a key) of json,
// whose buffer is buffer.
void WriteJsonString(JsonWriter& json, rapidjson::StringBuffer& buffer, const char* text, size_t size);
