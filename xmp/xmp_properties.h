// The properties of an XMP packet, read from the RDF/XML that holds them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/byte_view.h"
#include "core/decoded_data.h"

// Reads the packet's properties and adds them to properties: a value of a
// property already there (as from the main packet, for its extension) is
// added to it. Returns false when part of the packet could not be read; the
// properties read before that point are kept and a message says why.
bool ReadXmpProperties(ByteView packet, std::vector<XmpProperty>& properties, std::vector<std::string>& messages);

// exiftool's name for a property path's part: a name without lower-case
// letters is lower-cased (with '_' plus a letter becoming the capital
// letter), the first letter is a capital, characters other than letters,
// digits, '-' and '_' are left out. Appended to name.
void AppendXmpNamePart(std::string_view local, std::string& name);
