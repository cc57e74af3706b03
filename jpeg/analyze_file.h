// The one entry point of the decoding logic: one call per opened file.
#pragma once

// Checks the path, reads the file's segments, runs the decoders and prints
// the summary, all through report output. Returns 1 when the summary was
// reached, 0 when the file was refused or was not a readable JPEG.
int AnalyzeFile(const char* path);
