// The files a benchmark runs over: every file under a folder, at any depth,
// that begins with the JPEG start-of-image bytes (some test files carry no
// extension), sorted so every run sees the same order.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> ListJpegFiles(const std::string& folder);
