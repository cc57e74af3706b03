// The peer reader exiftool as a test's oracle: whether it is there, and
// pictures it writes itself, read back as it names their tags.
#pragma once

#include <string>
#include <vector>

bool ExiftoolInstalled();

// Ends the calling test as skipped when exiftool is not installed.
#define SKIP_WITHOUT_EXIFTOOL() \
    if (!ExiftoolInstalled()) GTEST_SKIP() << "exiftool is not installed"

// A tag as exiftool reads it back: its family-1 group ("IFD0", "IPTC"...),
// its name and its number.
struct PeerTag {
    std::string group;
    std::string name;
    int id = 0;
};

// Writes a copy of the picture at `base` with exiftool's tag arguments
// (values as numbers, -n) into TempFolder()/name, and returns its path.
std::string WriteWithExiftool(const std::string& base, const std::string& arguments, const std::string& name);

// Every tag exiftool reads from the file that has a number
// (exiftool -j -G1 -D -n -a); false unless it read that one file.
bool ReadExiftoolTags(const std::string& path, std::vector<PeerTag>* tags);
