// Every photograph of the project and every file of the corpus, the broken
// ones and the proof-of-concept files of other readers included, through
// pixloupe-report: each must be
// reported or refused with a message, never crash, hang, trip a sanitizer
// (in the sanitizer build) or leak, and stay within the memory bound.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "child_run.h"
#include "support/photo_folders.h"

namespace {

constexpr double kKillAfterSeconds = 30;
constexpr long kPeakMemoryKb = 16 * 1024;
// Exit status of a sanitizer finding, set in ChildEnvironment.
constexpr int kSanitizerExit = 86;

std::vector<std::string> FilesUnder(const std::string& folder) {
    std::vector<std::string> files;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (error) break;
        const std::string extension = it->path().extension().string();
        if (it->is_regular_file() && it->path().filename() != "README" && extension != ".md" && extension != ".py") {
            files.push_back(it->path().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool IsJpegNamed(const std::string& file) {
    std::string extension = std::filesystem::path(file).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return std::tolower(c); });
    return extension == ".jpg" || extension == ".jpeg";
}

// What went wrong with one file, or empty.
std::string ProblemOf(const ChildRun& run) {
    if (!run.started) return "not started";
    if (run.timedOut) return "still running after the deadline";
    if (run.signalNumber != 0) return "ended by signal " + std::to_string(run.signalNumber);
    if (run.exitCode == kSanitizerExit) return "sanitizer finding: " + run.err.substr(0, 2000);
    if (run.exitCode != 0 && run.exitCode != 1) return "exit status " + std::to_string(run.exitCode);
    if (run.err.find("Sanitizer") != std::string::npos || run.err.find("runtime error") != std::string::npos) {
        return "sanitizer output: " + run.err.substr(0, 2000);
    }
    if (!kSanitizedBuild && run.peakKb >= kPeakMemoryKb) return "peak memory " + std::to_string(run.peakKb) + " KB";
    // A refused file still says why in the panes.
    if (run.out.empty()) return "no output";
    return std::string();
}

struct CorpusFolder {
    const char* name;
    bool inCorpus;     // else in the project's photographs
    const char* path;  // below the corpus or the photographs
    size_t fewestFiles;  // guards against a sweep that silently finds nothing
};

void PrintTo(const CorpusFolder& folder, std::ostream* out) { *out << folder.name; }

class CorpusSweepTest : public ::testing::TestWithParam<CorpusFolder> {};

TEST_P(CorpusSweepTest, EveryFileIsReportedSafely) {
    const CorpusFolder& folder = GetParam();
    if (folder.inCorpus) SKIP_WITHOUT_CORPUS();
    std::vector<std::string> files = FilesUnder((folder.inCorpus ? kCorpusDir : kPhotosDir) + "/" + folder.path);
    ASSERT_GE(files.size(), folder.fewestFiles);
    int reported = 0;
    int jpegFiles = 0;
    int jpegReported = 0;
    double slowestMs = 0;
    long largestKb = 0;
    for (const std::string& file : files) {
        ChildRun run = RunChild({PIXLOUPE_REPORT_EXE, "--color=never", file}, kKillAfterSeconds);
        std::string problem = ProblemOf(run);
        EXPECT_EQ(problem, "") << file;
        reported += run.exitCode == 0 ? 1 : 0;
        if (IsJpegNamed(file)) {
            jpegFiles++;
            jpegReported += run.exitCode == 0 ? 1 : 0;
        }
        slowestMs = std::max(slowestMs, run.cpuMs);
        largestKb = std::max(largestKb, run.peakKb);
    }
    std::printf("%s: %zu files, %d reported, slowest %.1f ms cpu, largest %ld KB\n", folder.name, files.size(),
                reported, slowestMs, largestKb);
    // Most of the corpus is real photographs: a sweep in which nearly
    // everything is refused means the reader itself is broken. The check is
    // over the JPEG files: the files of other containers are swept for their
    // safety, and reach a summary only once analyze/ hands their container
    // to its reader.
    EXPECT_GT(jpegReported, jpegFiles / 2);
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusSweepTest,
                         ::testing::Values(CorpusFolder{"photos", false, "", 35},
                                           CorpusFolder{"peer_suite", true, "peer-suite", 90},
                                           CorpusFolder{"camera", true, "camera", 80}),
                         [](const ::testing::TestParamInfo<CorpusFolder>& info) { return info.param.name; });

}  // namespace
