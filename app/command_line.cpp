#include "app/command_line.h"

#include <cstring>

bool ParseCommandLine(int argc, const char* const* argv, char* startPath) {
    startPath[0] = '\0';
    if (argc < 2 || argv[1] == nullptr) return false;
    const char* path = argv[1];
    size_t length = std::strlen(path);
    if (argc == 2) {
        // "photo.jpg,5": the text after the first comma is not part of the path.
        const char* comma = std::strchr(path, ',');
        if (comma != nullptr) length = static_cast<size_t>(comma - path);
    }
    if (length >= kStartPathSize) return false;
    std::memcpy(startPath, path, length);
    startPath[length] = '\0';
    return length > 0;
}
