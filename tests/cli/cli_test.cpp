#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <rapidjson/document.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>

#include "cli/cli_options.h"
#include "exif/exif_block_builder.h"
#include "support/byte_builder.h"
#include "support/photo_folders.h"
#include "support/report_capture.h"
#include "support/run_command_posix.h"

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

CommandResult RunReport(const std::string& arguments, const std::string& environment = "",
                        const std::string& program = Quote(PIXLOUPE_REPORT_EXE)) {
    std::string errPath = TempFolder() + "/stderr.txt";
    std::string command = environment + " " + program + " " + arguments + " 2>" + Quote(errPath);
    CommandResult result;
    result.out = RunCommand(command, &result.status);
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
    // The line after it, naming the formats read, is not an error.
    const std::string black =
        "Pixloupe reads JPEG, TIFF, DNG, CR2, NEF, NRW, ARW, SR2, SRF, PEF, SRW, 3FR, ERF, KDC, DCR, MOS, IIQ, ORF, "
        "RW2, RAF, HEIC, HEIF, AVIF, CR3, PNG and WebP files\n";
    EXPECT_EQ(RunReport("--pane=exif --color=always " + Quote(path)).out, "\x1b[31m" + line + "\x1b[0m" + black);
    EXPECT_EQ(RunReport("--pane=exif --color=never " + Quote(path)).out, line + black);
    EXPECT_EQ(RunReport("--pane=exif " + Quote(path)).out, line + black) << "auto is off when stdout is a pipe";
    EXPECT_EQ(RunReport("--pane=exif --color=always " + Quote(path), "NO_COLOR=1").out,
              "\x1b[31m" + line + "\x1b[0m" + black)
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

namespace {

// Every folder the data forms are checked on: the photographs, and the
// corpus (hostile files included) when it is there.
std::vector<std::string> CheckedFolders() {
    std::vector<std::string> folders = {kPhotosDir};
    if (CorpusPresent()) folders.push_back(kCorpusDir);
    return folders;
}

// Every file below the folder, whatever its name, quoted for the shell.
std::string EveryFileUnder(const std::string& folder) {
    std::vector<std::string> paths;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string extension = entry.path().extension().string();
        if (entry.is_regular_file() && extension != ".md" && extension != ".py") paths.push_back(entry.path().string());
    }
    std::sort(paths.begin(), paths.end());
    std::string arguments;
    for (const std::string& path : paths) arguments += " " + Quote(path);
    return arguments;
}

rapidjson::Document ParsedJson(const std::string& text) {
    rapidjson::Document document;
    document.Parse<rapidjson::kParseValidateEncodingFlag>(text.c_str());
    return document;
}

}  // namespace

// The JSON of every file parses as valid UTF-8, as an array with --json and
// one object a line with --jsonl, hostile files included.
TEST(Cli, JsonOfEveryFileParses) {
    for (const std::string& folder : CheckedFolders()) {
        const std::string jpegs = EveryFileUnder(folder);
        const CommandResult array = RunReport("--json " + jpegs);
        const rapidjson::Document all = ParsedJson(array.out);
        ASSERT_FALSE(all.HasParseError()) << folder << " at " << all.GetErrorOffset();
        ASSERT_TRUE(all.IsArray());
        EXPECT_GE(all.Size(), 35u) << folder;
        std::istringstream lines(RunReport("--jsonl " + jpegs).out);
        rapidjson::SizeType index = 0;
        for (std::string line; std::getline(lines, line); index++) {
            const rapidjson::Document object = ParsedJson(line);
            ASSERT_FALSE(object.HasParseError()) << line.substr(0, 200);
            ASSERT_LT(index, all.Size());
            EXPECT_TRUE(object == all[index]) << object["SourceFile"].GetString();
            EXPECT_TRUE(object["ok"].IsBool() && object["Messages"].IsArray());
        }
        EXPECT_EQ(index, all.Size()) << folder;
    }
}

// Files analysed at once print exactly what one at a time prints, in
// every form.
TEST(Cli, ParallelJobsPrintWhatOneJobPrints) {
    for (const std::string& folder : CheckedFolders()) {
        for (const char* form : {"--color=always", "--json", "--jsonl", "--csv"}) {
            const std::string arguments = std::string(form) + " -r " + Quote(folder);
            const CommandResult one = RunReport("-j 1 " + arguments);
            const CommandResult three = RunReport("-j 3 " + arguments);
            EXPECT_GT(one.out.size(), 2000u) << form;
            EXPECT_TRUE(one.out == three.out) << folder << " " << form;
            EXPECT_EQ(one.err, three.err) << folder << " " << form;
            EXPECT_EQ(one.status, three.status) << folder << " " << form;
        }
    }
}

// A walk takes the endings asked for in any case, sorted, never follows a
// link into a folder (this one leads back up), takes a link to a file, and
// tells of a folder it cannot read and goes on.
TEST(Cli, FolderWalkTakesJpegNamesInOrder) {
    namespace fs = std::filesystem;
    const std::string tree = TempFolder() + "/tree";
    fs::remove_all(tree);
    const std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02};
    for (const char* name : {"a.JPG", "b.jpeg", "c.Jpe", "d.jfif", "e.png", "f.txt", "sub/g.jpg", "locked/h.jpg"}) {
        fs::create_directories(fs::path(tree + "/" + name).parent_path());
        std::ofstream(tree + "/" + name, std::ios::binary).write(reinterpret_cast<const char*>(jpeg.data()), 6);
    }
    fs::create_directory_symlink(tree, tree + "/loop");
    fs::create_symlink(tree + "/a.JPG", tree + "/link.jpg");
    // Root reads any folder: the walk then runs as nobody, from a copy of
    // the program in a place nobody may reach.
    fs::permissions(TempFolder(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                      fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(tree + "/locked", fs::perms::none);
    std::string program = Quote(PIXLOUPE_REPORT_EXE);
    if (geteuid() == 0) {
        fs::copy_file(PIXLOUPE_REPORT_EXE, TempFolder() + "/report-copy", fs::copy_options::overwrite_existing);
        program = "setpriv --reuid=65534 --regid=65534 --clear-groups " + Quote(TempFolder() + "/report-copy");
    }
    auto sourceFiles = [&](const std::string& arguments, CommandResult* result) {
        *result = RunReport(arguments, "", program);
        std::vector<std::string> names;
        std::istringstream lines(result->out);
        for (std::string line; std::getline(lines, line);) {
            names.push_back(fs::path(ParsedJson(line)["SourceFile"].GetString()).lexically_relative(tree).string());
        }
        return names;
    };
    // The folder it cannot read is a record of its own, in its place.
    CommandResult walked;
    EXPECT_EQ(sourceFiles("--jsonl -r " + Quote(tree), &walked),
              (std::vector<std::string>{"a.JPG", "b.jpeg", "c.Jpe", "d.jfif", "e.png", "link.jpg", "locked", "sub/g.jpg"}));
    EXPECT_NE(walked.out.find("\"text\":\"cannot read folder (Permission denied)\",\"error\":true,"
                              "\"code\":\"folder-unreadable\""),
              std::string::npos)
        << walked.out;
    EXPECT_EQ(walked.status, 1);
    CommandResult other;
    EXPECT_EQ(sourceFiles("--jsonl -r --ext PNG,.txt " + Quote(tree) + " " + Quote(tree + "/b.jpeg"), &other),
              (std::vector<std::string>{"e.png", "f.txt", "locked", "b.jpeg"}));
    fs::permissions(tree + "/locked", fs::perms::owner_all);
}

TEST(Cli, XmpIsAnObjectOfPropertiesThePacketOnlyWhenAsked) {
    const std::string photo = std::string(PIXLOUPE_SOURCE_DIR) + "/tests/xmp/photos/xmp-catalogue.jpg";
    const std::tuple<std::string, std::string, bool> cases[] = {
        {"--jsonl", "xmp:Rating", false}, {"--jsonl --xmp-groups", "XMP-xmp:Rating", false},
        {"--jsonl --xmp-packet", "xmp:Rating", true}};
    for (const auto& [options, ratingKey, packet] : cases) {
        rapidjson::Document object;
        object.Parse(RunReport(options + " " + Quote(photo)).out.c_str());
        ASSERT_TRUE(object.IsObject() && object.HasMember("XMP") && object["XMP"].HasMember(ratingKey.c_str()));
        EXPECT_STREQ(object["XMP"][ratingKey.c_str()].GetString(), "3") << options;
        EXPECT_EQ(object.HasMember("XMPPacket"), packet) << options;
        // exiftool pads its packets with about 2 KB of blanks and line ends.
        const std::string text = packet ? object["XMPPacket"].GetString() : "";
        EXPECT_EQ(text.find("          "), std::string::npos) << options;
        EXPECT_EQ(text.substr(packet ? text.size() - 19 : 0), packet ? "<?xpacket end='w'?>" : "") << options;
    }
}

// A file of the TIFF family from a pipe, which cannot seek, is read into
// memory and shows what it shows by name, but for the lines of the file's
// name, size and date.
TEST(Cli, TiffFamilyFromAPipeReadsAsByName) {
    auto withoutFileLines = [](const std::string& text) {
        std::istringstream lines(text);
        std::string kept;
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("File name", 0) != 0 && line.rfind("File size", 0) != 0 && line.rfind("File date", 0) != 0) {
                kept += line + "\n";
            }
        }
        return kept;
    };
    for (const char* name : {"raw/nef-subifd-preview.nef", "raw/raf-embedded-jpeg.raf", "tiff/mm-strips-iptc-xmp.tif"}) {
        const std::string path = Quote(kPhotosDir + "/" + name);
        const CommandResult byName = RunReport("--color=never " + path);
        const CommandResult piped = RunReport("--color=never -", "cat " + path + " |");
        EXPECT_EQ(piped.status, 0) << name;
        EXPECT_NE(byName.out.find("File type    : "), std::string::npos) << name;
        EXPECT_EQ(withoutFileLines(piped.out), withoutFileLines(byName.out)) << name;
    }
}

namespace {

// A shell script run by bash, its standard error kept apart.
CommandResult RunScript(const std::string& script) {
    return RunReport(Quote(script), "", "bash -c");
}

// How many whole JSON values standard output holds: the elements of one
// array, or one object a line; -1 when it does not parse as such.
int JsonRecords(const std::string& out) {
    if (!out.empty() && out[0] == '[') {
        const rapidjson::Document all = ParsedJson(out);
        return all.HasParseError() || !all.IsArray() ? -1 : static_cast<int>(all.Size());
    }
    int count = 0;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line); count++) {
        if (ParsedJson(line).HasParseError()) return -1;
    }
    return out.empty() || out.back() == '\n' ? count : -1;
}

}  // namespace

// What a run does when its output fails, when it is stopped, and what it
// reads: standard input to its end, lists of names, endings.
// The thread sanitizer's runtime holds a signal until the thread it lands
// on leaves its blocked call; a worker blocked on a FIFO never does, so the
// runs stopped by a signal are left to the other builds.
#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define PIXLOUPE_SIGNALS_HELD 1
#endif
#endif
#ifndef PIXLOUPE_SIGNALS_HELD
#define PIXLOUPE_SIGNALS_HELD 0
#endif

TEST(Cli, OutputFailuresStopsAndInputs) {
    namespace fs = std::filesystem;
    const std::string r = Quote(PIXLOUPE_REPORT_EXE);
    const std::string good = Quote(kCamera);
    const std::string fifo = TempFolder() + "/never-written.jpg";
    fs::remove(fifo);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string many;  // far more than a pipe holds
    for (int i = 0; i < 400; i++) many += " " + good;
    const std::string tree = TempFolder() + "/endings";
    fs::create_directories(tree);
    for (const char* name : {"a.jpg", "c.JPE", "d.jfif"}) MinimalJpeg("endings/" + std::string(name));
    const std::string list = WriteTempFile(Bytes(kCamera + "\n\n" + tree + "/a.jpg\n"), "list.txt");
    const std::string size = std::to_string(fs::file_size(kCamera));
    struct Case {
        std::string script;
        int status;
        int records;  // whole JSON records written; -1: not checked
        std::string outContains;
        const char* errContains;
    };
    const Case cases[] = {
        {r + " --jsonl " + good + " > /dev/full", 3, -1, "", "standard output: No space left on device"},
        {r + " --csv " + good + " >&-", 3, -1, "", "standard output: Bad file descriptor"},
        {"trap '' PIPE; " + r + " --jsonl" + many + " | head -c 10; exit ${PIPESTATUS[0]}", 3, -1, "",
         "standard output: Broken pipe"},
        {r + " --jsonl" + many + " | head -c 10; exit ${PIPESTATUS[0]}", 141, -1, "", ""},
        // Stopped while a worker waits on a FIFO: the finished records, whole.
        {"timeout --preserve-status -s TERM 1 " + r + " --json " + good + " " + Quote(fifo), 143, 1,
         "", ""},
        {"timeout --preserve-status -s INT 1 " + r + " --jsonl -j 1 " + good + " " + good + " " + Quote(fifo), 130,
         2, "", ""},
        // A stalled run shows what it finished within a second.
        {r + " --jsonl " + good + " " + Quote(fifo) + " & sleep 1.5; kill -KILL $!; wait $!", 137, 1,
         "", ""},
        {"set -o pipefail; cat " + good + " | " + r + " --jsonl -", 0, 1,
         "\"File\":{\"size\":" + size + "}", ""},
        {r + " --jsonl -r --ext '' " + Quote(tree), 2, -1, "", "--ext"},
        {r + " --csv --csv-bom " + good, 0, -1, "\xEF\xBB\xBFSourceFile,", ""},
        {r + " --jsonl -r --ext 'jpe, JFIF' " + Quote(tree), 0, 2, "d.jfif", ""},
        {"printf '%s\\0%s\\0' " + good + " " + Quote(tree + "/a.jpg") + " | " + r + " --jsonl --files-from - --null",
         0, 2, "/a.jpg", ""},
        {r + " --jsonl --files-from " + Quote(list) + " " + good, 0, 3, "", ""},
        {r + " --jsonl --files-from - -", 2, -1, "", "standard input"},
    };
    for (const Case& c : cases) {
        if (PIXLOUPE_SIGNALS_HELD && c.script.rfind("timeout --preserve-status", 0) == 0) continue;
        const CommandResult result = RunScript(c.script);
        EXPECT_EQ(result.status, c.status) << c.script.substr(0, 300) << "\n" << result.err;
        EXPECT_NE(result.err.find(c.errContains), std::string::npos) << c.script.substr(0, 300) << "\n" << result.err;
        EXPECT_NE(result.out.find(c.outContains), std::string::npos) << c.script.substr(0, 300);
        EXPECT_TRUE(c.records < 0 || JsonRecords(result.out) == c.records) << JsonRecords(result.out) << c.script;
    }
}

// A walk gives every entry a record of its own: files that are no regular
// files say what they are (and never block the walk), names that are not
// UTF-8 stay apart and keep their bytes, a path may pass 259 bytes, and a
// file cut inside its tables keeps its whole EXIF segment.
TEST(Cli, WalkGivesEachEntryItsOwnRecord) {
    namespace fs = std::filesystem;
    const std::string tree = TempFolder() + "/kinds";
    fs::remove_all(tree);
    exif_test::ExifBlockBuilder exif(true);
    exif.Add(exif.Directory(), 0x010F, exif_test::kAscii, 4, Bytes(std::string("Cam\0", 4)));
    const std::vector<uint8_t> exifSegment = Segment(0xE1, Concat({Bytes(std::string("Exif\0\0", 6)), exif.Tiff()}));
    fs::create_directories(tree);
    WriteTempFile(Concat({{0xFF, 0xD8}, exifSegment, {0xFF, 0xDB, 0x00, 0x43, 0x00}}), "kinds/cut.jpg");
    const std::string jpeg = "printf '\\377\\330\\377\\332\\000\\002' > ";
    const std::string longFolder = "long/" + std::string(150, 'd');  // no name may pass 255 bytes
    const std::string longPath = longFolder + "/" + std::string(300 - tree.size() - longFolder.size() - 6, 'n') + ".jpg";
    const struct {
        std::string make;        // a shell command run in the tree
        std::string sourceFile;  // after the tree's path and a slash
        bool ok;
        std::string message;  // the first message with a code, and its code
    } cases[] = {
        {jpeg + "a.jpg", "a.jpg", true, ""},
        {jpeg + "'back\\slash.jpg'", "back\\\\slash.jpg", true, ""},
        {"", "cut.jpg", true, "Fatal Error  : Premature end of file? truncated"},
        {"ln -s fifo.jpg fifo-link.jpg", "fifo-link.jpg", false, "is a FIFO not-regular-file"},
        {"mkfifo fifo.jpg", "fifo.jpg", false, "is a FIFO not-regular-file"},
        {jpeg + "$'latin\\xc3\\xa9.jpg'", "latin\xC3\xA9.jpg", true, ""},
        {jpeg + "$'latin\\xe9.jpg'", "latin\\xe9.jpg", true, ""},
        {"mkdir -p " + longFolder + " && " + jpeg + longPath, longPath, true, ""},
        {"ln -s /dev/null null.jpg", "null.jpg", false, "is a character device not-regular-file"},
        {"python3 -c \"import socket; socket.socket(socket.AF_UNIX).bind('socket.jpg')\"", "socket.jpg", false,
         "is a socket not-regular-file"},
    };
    for (const auto& c : cases) ASSERT_EQ(RunScript("cd " + Quote(tree) + " && " + (c.make.empty() ? "true" : c.make)).status, 0) << c.make;
    const CommandResult result = RunReport("--jsonl -r " + Quote(tree), "", "timeout 20 " + Quote(PIXLOUPE_REPORT_EXE));
    EXPECT_EQ(result.status, 1);
    std::istringstream lines(result.out);
    size_t index = 0;
    for (std::string line; std::getline(lines, line); index++) {
        ASSERT_LT(index, std::size(cases)) << line;
        const rapidjson::Document object = ParsedJson(line);
        ASSERT_FALSE(object.HasParseError()) << line;
        EXPECT_EQ(object["SourceFile"].GetString(), tree + "/" + cases[index].sourceFile);
        EXPECT_EQ(object["ok"].GetBool(), cases[index].ok) << line;
        EXPECT_EQ(object.HasMember("Summary"), cases[index].ok) << line;
        const rapidjson::Value& first = object["Messages"].Size() > 0 ? object["Messages"][0] : object["ok"];
        const bool coded = first.IsObject() && first.HasMember("code");
        EXPECT_EQ(coded ? std::string(first["text"].GetString()) + " " + first["code"].GetString() : "",
                  cases[index].message) << line;
    }
    EXPECT_EQ(index, std::size(cases));
}
