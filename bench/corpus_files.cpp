#include "bench/corpus_files.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

bool StartsWithSoi(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    int first = std::getc(file);
    int second = std::getc(file);
    std::fclose(file);
    return first == 0xFF && second == 0xD8;
}

}  // namespace

std::vector<std::string> ListJpegFiles(const std::string& folder) {
    std::vector<std::string> files;
    std::error_code error;
    std::filesystem::recursive_directory_iterator walk(folder, error), end;
    for (; !error && walk != end; walk.increment(error)) {
        if (!walk->is_regular_file(error)) continue;
        std::string path = walk->path().string();
        if (StartsWithSoi(path)) files.push_back(path);
    }
    std::sort(files.begin(), files.end());
    return files;
}
