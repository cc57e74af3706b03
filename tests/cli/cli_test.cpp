#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "cli/cli_options.h"
#include "support/byte_builder.h"
#include "support/photo_folders.h"
#include "support/report_capture.h"

namespace {

struct CommandResult {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

CommandResult RunReport(const std::string& arguments, const std::string& environment = "") {
    std::string errPath = TempFolder() + "/stderr.txt";
    std::string command = environment + " " + Quote(PIXLOUPE_REPORT_EXE) + " " + arguments + " 2>" + Quote(errPath);
    CommandResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, got);
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream errFile(errPath);
    std::stringstream errText;
    errText << errFile.rdbuf();
    result.err = errText.str();
    return result;
}

const std::string kCamera = kPhotosDir + "/ii-camera-gps-north-east.jpg";

std::string MinimalJpeg(const std::string& name) {
    return WriteTempFile({0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02}, name);
}

}  // namespace

TEST(CliOptions, ParsesPanesColoursAndFiles) {
    struct OptionCase {
        std::vector<const char*> args;
        bool ok;
        PaneChoice pane;
        ColorChoice color;
        size_t files;
    };
    const OptionCase cases[] = {
        {{"x", "a.jpg"}, true, PaneChoice::All, ColorChoice::Auto, 1},
        {{"x", "--pane=jpeg", "a.jpg", "b.jpg"}, true, PaneChoice::Jpeg, ColorChoice::Auto, 2},
        {{"x", "--pane=thumbnail", "--color=never", "a"}, true, PaneChoice::Thumbnail, ColorChoice::Never, 1},
        {{"x", "--pane=iptc", "--color=always", "a"}, true, PaneChoice::Iptc, ColorChoice::Always, 1},
        {{"x", "--", "--pane=exif"}, true, PaneChoice::All, ColorChoice::Auto, 1},
        {{"x", "--pane=xmp", "a"}, false, PaneChoice::All, ColorChoice::Auto, 0},
        {{"x", "--color=red", "a"}, false, PaneChoice::All, ColorChoice::Auto, 0},
        {{"x", "--verbose", "a"}, false, PaneChoice::All, ColorChoice::Auto, 0},
        {{"x"}, false, PaneChoice::All, ColorChoice::Auto, 0},
        {{"x", "-", "a"}, true, PaneChoice::All, ColorChoice::Auto, 2},
        {{"x", "--jsonl", "-r", "--ext", "JPG,.Png", "-j", "3", "--no-progress", "a"}, true, PaneChoice::All,
         ColorChoice::Auto, 1},
    };
    for (const OptionCase& c : cases) {
        CliOptions options;
        std::string error;
        bool ok = ParseCliOptions(static_cast<int>(c.args.size()), c.args.data(), &options, &error);
        EXPECT_EQ(ok, c.ok) << c.args.back();
        if (!ok) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        EXPECT_EQ(options.pane, c.pane) << c.args.back();
        EXPECT_EQ(options.color, c.color) << c.args.back();
        EXPECT_EQ(options.files.size(), c.files) << c.args.back();
    }
    // The data options of the last case, endings without their dot in lower case.
    CliOptions options;
    std::string error;
    ASSERT_TRUE(ParseCliOptions(static_cast<int>(cases[std::size(cases) - 1].args.size()),
                                cases[std::size(cases) - 1].args.data(), &options, &error));
    EXPECT_EQ(options.form, OutputForm::JsonLines);
    EXPECT_TRUE(options.recursive);
    EXPECT_EQ(options.extensions, (std::vector<std::string>{"jpg", "png"}));
    EXPECT_EQ(options.jobs, 3u);
    EXPECT_FALSE(options.progress);
}

TEST(CliOptions, ColourResolution) {
    EXPECT_TRUE(ResolveColor(ColorChoice::Always, false, "1"));
    EXPECT_FALSE(ResolveColor(ColorChoice::Never, true, nullptr));
    EXPECT_TRUE(ResolveColor(ColorChoice::Auto, true, nullptr));
    EXPECT_TRUE(ResolveColor(ColorChoice::Auto, true, ""));
    EXPECT_FALSE(ResolveColor(ColorChoice::Auto, true, "1"));
    EXPECT_FALSE(ResolveColor(ColorChoice::Auto, false, nullptr));
}

TEST(Cli, ExitStatusAndMessages) {
    std::string good = MinimalJpeg("good.jpg");
    std::string empty = WriteTempFile({}, "empty.jpg");
    std::string missing = TempFolder() + "/missing.jpg";
    struct StatusCase {
        std::string arguments;
        int status;
        const char* errContains;
    };
    const StatusCase cases[] = {
        {Quote(good), 0, ""},
        {Quote(good) + " " + Quote(good), 0, ""},
        {Quote(empty), 1, ""},
        {Quote(missing), 1, "missing.jpg"},
        {Quote(TempFolder()), 1, "is a folder"},
        {Quote(missing) + " " + Quote(good), 1, "missing.jpg"},
        {"--pane=nope " + Quote(good), 2, "--pane"},
        {"--json --csv " + Quote(good), 2, "excludes"},
        {"-j 0 " + Quote(good), 2, "--jobs"},
        {"--verbose " + Quote(good), 2, "--verbose"},
        {"", 2, "no file named"},
        {"--help", 0, ""},
    };
    for (const StatusCase& c : cases) {
        CommandResult result = RunReport(c.arguments);
        EXPECT_EQ(result.status, c.status) << c.arguments;
        EXPECT_NE(result.err.find(c.errContains), std::string::npos) << c.arguments << ": " << result.err;
    }
}

TEST(Cli, MissingFileAndFolderPrintNothing) {
    std::string good = MinimalJpeg("good.jpg");
    CommandResult alone = RunReport("--pane=jpeg " + Quote(good));
    CommandResult withMissing =
        RunReport("--pane=jpeg " + Quote(TempFolder() + "/nothing.jpg") + " " + Quote(TempFolder()) + " " + Quote(good));
    EXPECT_EQ(withMissing.out, alone.out);
    EXPECT_EQ(withMissing.status, 1);
}

TEST(Cli, SinglePanePrintsItsTextAloneWithLineFeeds) {
    std::string path = MinimalJpeg("pane.jpg");
    CommandResult result = RunReport("--pane=jpeg " + Quote(path));
    ASSERT_EQ(result.status, 0);
    std::vector<std::string> lines;
    std::stringstream stream(result.out);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 5u) << result.out;
    EXPECT_EQ(lines[0], "File name    : " + path);
    EXPECT_EQ(lines[1], "File size    : 6 bytes");
    EXPECT_EQ(lines[2].substr(0, 15), "File date    : ");
    EXPECT_EQ(lines[3], "Resolution   : 0 x 0");
    EXPECT_EQ(lines[4], "Color/bw     : Black and white");
    EXPECT_EQ(result.out.find('\r'), std::string::npos);

    EXPECT_EQ(RunReport("--pane=thumbnail " + Quote(path)).out, "Image contains no thumbnail\n");
    EXPECT_EQ(RunReport("--pane=exif " + Quote(path)).out, "");
    EXPECT_EQ(RunReport("--pane=iptc " + Quote(path)).out, "");
}

TEST(Cli, AllPanesPrintInTabOrderUnderTheirTitles) {
    std::string path = MinimalJpeg("all.jpg");
    std::string out = RunReport(Quote(path)).out;
    size_t jpeg = out.find("== Jpeg\xE6\x83\x85\xE5\xA0\xB1 ==\n");
    size_t thumbnail = out.find("== Thumbnail\xE7\x94\xBB\xE5\x83\x8F ==\nImage contains no thumbnail\n");
    size_t exif = out.find("== Exif\xE6\x83\x85\xE5\xA0\xB1 ==\n");
    size_t iptc = out.find("== IPTC/XMP\xE6\x83\x85\xE5\xA0\xB1 ==\n");
    EXPECT_EQ(jpeg, 0u);
    EXPECT_LT(jpeg, thumbnail);
    EXPECT_LT(thumbnail, exif);
    EXPECT_LT(exif, iptc);
    EXPECT_NE(out.find("File name    : " + path + "\n"), std::string::npos);
}

TEST(Cli, RedRunsAreColouredOnlyWhenColourIsOn) {
    std::string path = WriteTempFile({0x00}, "red.jpg");
    const std::string line = "Not JPEG: " + path + "\n";
    EXPECT_EQ(RunReport("--pane=exif --color=always " + Quote(path)).out, "\x1b[31m" + line + "\x1b[0m");
    EXPECT_EQ(RunReport("--pane=exif --color=never " + Quote(path)).out, line);
    EXPECT_EQ(RunReport("--pane=exif " + Quote(path)).out, line) << "auto is off when stdout is a pipe";
    EXPECT_EQ(RunReport("--pane=exif --color=always " + Quote(path), "NO_COLOR=1").out,
              "\x1b[31m" + line + "\x1b[0m")
        << "an explicit request wins over NO_COLOR";
}

TEST(Cli, VersionAndHelp) {
    EXPECT_EQ(RunReport("--version").out, "pixloupe-report 2.1.2012.1002\n");
    CommandResult help = RunReport("--help");
    for (const char* part : {"--pane", "--jsonl", "--recursive", "--jobs", "Exit status: 0"}) {
        EXPECT_NE(help.out.find(part), std::string::npos) << part;
    }
}

TEST(Cli, ReportBytesAreWrittenAsMade) {
    // A Latin-1 comment byte is not re-encoded on the way out.
    std::vector<uint8_t> bytes = Concat({{0xFF, 0xD8}, Segment(0xFE, {'c', 0xE9, '!'}), {0xFF, 0xDA, 0x00, 0x02}});
    std::string path = WriteTempFile(bytes, "latin1.jpg");
    std::string out = RunReport("--pane=jpeg " + Quote(path)).out;
    EXPECT_NE(out.find("Comment      : c\xE9!\n"), std::string::npos);
}

TEST(Cli, CameraFileReachesItsSummary) {
    CommandResult result = RunReport("--pane=jpeg " + Quote(kCamera));
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("Resolution   : 320 x 240"), std::string::npos);
}
