// The XMP properties as a JSON object, under exiftool's names: keys
// "prefix:Name" with the packet's prefixes ("XMP-prefix:Name" when asked
// for groups), lists as arrays, a language list as its x-default value
// under the name and each other language's under "Name-lang".
#pragma once

#include <vector>

#include "core/decoded_data.h"
#include "export/json_string.h"

using XmpJsonWriter = JsonWriter;

// Writes the object as json's next value; buffer is json's own.
void WriteXmpObject(XmpJsonWriter& json, rapidjson::StringBuffer& buffer, const std::vector<XmpProperty>& properties,
                    bool groupKeys);
