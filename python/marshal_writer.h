// JSON text turned into Python's marshal format without the interpreter
// lock, so that making the Python objects, the one step that needs the
// lock, is a single pass of the interpreter's own reader at C speed.
#pragma once

#include <string>

// Appends the marshal form (version 4) of the JSON object or array in
// json to out; false when json is not valid JSON. json is parsed in place:
// its text is spent. Strings of up to 32
// bytes that come again (keys, pane and format names) are written once
// and referred to after, so the reader makes each only once.
bool AppendMarshalOfJson(std::string& out, std::string& json);
