#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

struct CommandLineCase {
    std::vector<std::string> parameters;
    bool accepted;
    std::string startPath;
};

std::string ParseParameters(const std::vector<std::string>& parameters, bool* accepted) {
    std::vector<const char*> argv{"pixloupe.exe"};
    for (const std::string& p : parameters) argv.push_back(p.c_str());
    char startPath[kStartPathSize];
    std::memset(startPath, 'x', sizeof startPath);
    *accepted = ParseCommandLine(static_cast<int>(argv.size()), argv.data(), startPath);
    return std::string(startPath);
}

TEST(CommandLine, FirstParameterNamesThePath) {
    const std::vector<CommandLineCase> cases = {
        {{}, false, ""},
        {{"photo.jpg"}, true, "photo.jpg"},
        {{"a.jpg,7"}, true, "a.jpg"},
        {{"a.jpg,"}, true, "a.jpg"},
        {{"a,b.jpg"}, true, "a"},
        {{"a,b,c.jpg"}, true, "a"},
        {{"a,b.jpg", "2"}, true, "a,b.jpg"},
        {{"a.jpg", "7", "x"}, true, "a.jpg"},
        {{",tail"}, false, ""},
        {{""}, false, ""},
        {{"C:\\photos\\IMG 0001.JPG"}, true, "C:\\photos\\IMG 0001.JPG"},
    };
    for (const CommandLineCase& c : cases) {
        bool accepted = false;
        std::string path = ParseParameters(c.parameters, &accepted);
        std::string shown = c.parameters.empty() ? "(none)" : c.parameters[0];
        EXPECT_EQ(accepted, c.accepted) << shown;
        EXPECT_EQ(path, c.startPath) << shown;
    }
}

// The buffer holds 259 characters and the terminator; a longer path cannot
// name the file the user meant and is refused whole.
TEST(CommandLine, PathLengthLimit) {
    const struct {
        std::vector<std::string> parameters;
        bool accepted;
        size_t pathLength;
    } cases[] = {
        {{std::string(259, 'p')}, true, 259},
        {{std::string(260, 'p')}, false, 0},
        {{std::string(300, 'p')}, false, 0},
        {{std::string(259, 'p') + ",7"}, true, 259},
        {{std::string(260, 'p') + ",7"}, false, 0},
        {{std::string(200, 'p') + "," + std::string(200, 'q')}, true, 200},
        {{std::string(260, 'p'), "2"}, false, 0},
    };
    for (const auto& c : cases) {
        bool accepted = false;
        std::string path = ParseParameters(c.parameters, &accepted);
        EXPECT_EQ(accepted, c.accepted) << c.parameters[0].size();
        EXPECT_EQ(path.size(), c.pathLength) << c.parameters[0].size();
    }
}

}  // namespace
