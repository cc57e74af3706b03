// The XMP properties as a JSON object, under exiftool's names: keys
// "prefix:Name" with the packet's prefixes ("XMP-prefix:Name" when asked
// for groups), lists as arrays, a language list as its x-default value
// under the name and each other language's under "Name-lang".
#pragma once

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <vector>

#include "core/decoded_data.h"

using XmpJsonWriter = rapidjson::Writer<rapidjson::StringBuffer>;

void WriteXmpObject(XmpJsonWriter& json, const std::vector<XmpProperty>& properties, bool groupKeys);
