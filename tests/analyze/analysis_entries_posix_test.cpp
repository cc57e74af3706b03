// One file's analysis is a value: a path, an open stream and the bytes in
// memory give the same report and data, and analyses on different threads
// share nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "export/json_object.h"
#include "analyze/analyze_file.h"
#include "core/file_facts.h"
#include "report/pane_text_sink.h"
#include "summary/summarize_image.h"
#include "support/photo_folders.h"
#include "support/report_capture.h"

namespace {

std::vector<std::string> Photographs() {
    std::vector<std::string> paths;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kPhotosDir)) {
        if (entry.is_regular_file() && entry.path().extension() == ".jpg") paths.push_back(entry.path().string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

// Everything an analysis gives: the panes with their colour runs, the
// thumbnail's size and the decoded data as its JSON object.
std::string Fingerprint(const ReportCapture& capture, int result) {
    std::string all = std::to_string(result) + "\n";
    for (int pane = 0; pane < kPaneCount; pane++) {
        const PaneText& text = capture.sink.Pane(static_cast<ReportPane>(pane));
        all += text.text + "\n";
        for (const ColorRun& run : text.runs) all += std::to_string(run.start) + ":" + std::to_string(run.color) + " ";
    }
    all += "\nthumbnail " + std::to_string(capture.analysis.thumbnail.width) + " x " +
           std::to_string(capture.analysis.thumbnail.height) + "\n";
    AppendJsonObject(all, capture.analysis, capture.analysis.summary.sourcePath);
    return all;
}

std::string AnalyzePath(ReportCapture& capture, const std::string& path) {
    capture.sink.Clear();
    return Fingerprint(capture, AnalyzeFile(capture.analysis, path.c_str()));
}

SourceFacts FactsOf(const std::string& path) {
    const FileFacts file = QueryFileFacts(path.c_str());
    SourceFacts facts;
    facts.sizeKnown = true;
    facts.size = file.size;
    facts.modifiedTimeKnown = true;
    facts.modifiedTime = file.lastWriteTime;
    return facts;
}

TEST(AnalysisEntries, PathStreamAndMemoryGiveTheSameReportAndData) {
    const std::vector<std::string> photographs = Photographs();
    ASSERT_GE(photographs.size(), 30u);
    for (const std::string& path : photographs) {
        ReportCapture byPath;
        const std::string expected = AnalyzePath(byPath, path);

        ReportCapture byStream;
        FILE* stream = std::fopen(path.c_str(), "rb");
        ASSERT_NE(stream, nullptr) << path;
        const bool streamResult = AnalyzeStream(byStream.analysis, stream, path.c_str(), FactsOf(path));
        std::fclose(stream);
        EXPECT_EQ(Fingerprint(byStream, streamResult), expected) << path;

        std::ifstream file(path, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        ReportCapture byBytes;
        const bool bytesResult = AnalyzeBytes(byBytes.analysis, MakeView(bytes), path.c_str(), FactsOf(path));
        EXPECT_EQ(Fingerprint(byBytes, bytesResult), expected) << path;

        // With no pane to show it, the report is counted, not written: the
        // data and the bytes counted (what the walks' budgets spend) are
        // those of the report shown, but for the summary's closing lines
        // (where the shown report ends with them), which are not made at all.
        Analysis unseen;
        ResetAnalysis(unseen, nullptr);
        AnalyzeFile(unseen, path.c_str());
        Report summaryLines;
        PaneTextSink scratch;
        ResetReport(summaryLines, &scratch);
        SelectReportPane(summaryLines, ReportPane::Jpeg);
        PrintSummaryLines(summaryLines, unseen.summary);
        const std::string& lines = scratch.Pane(ReportPane::Jpeg).text;
        const std::string& shownJpeg = byPath.sink.Pane(ReportPane::Jpeg).text;
        const bool ended = shownJpeg.size() >= lines.size() &&
                           shownJpeg.compare(shownJpeg.size() - lines.size(), lines.size(), lines) == 0;
        EXPECT_EQ(unseen.report.shownBytes + (ended ? lines.size() : 0), byPath.analysis.report.shownBytes) << path;
        std::string unseenData, shownData;
        AppendJsonObject(unseenData, unseen, path);
        AppendJsonObject(shownData, byPath.analysis, path);
        EXPECT_EQ(unseenData, shownData) << path;
    }
}

// Bytes whose date is not given: the summary leaves the date out rather
// than make one up.
TEST(AnalysisEntries, BytesWithoutADateShowNoDate) {
    const std::vector<uint8_t> bytes = {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02};
    ReportCapture capture;
    ASSERT_TRUE(AnalyzeBytes(capture.analysis, MakeView(bytes), "memory.jpg", SourceFacts{}));
    EXPECT_EQ(capture.Text(ReportPane::Jpeg),
              "File name    : memory.jpg\r\nFile size    : 6 bytes\r\nResolution   : 0 x 0\r\n"
              "Color/bw     : Black and white\r\n");
}

TEST(AnalysisEntries, AnalysesOnFourThreadsAtOnceMatchTheOneThreadResults) {
    const std::vector<std::string> photographs = Photographs();
    std::vector<std::string> expected;
    {
        ReportCapture capture;
        for (const std::string& path : photographs) expected.push_back(AnalyzePath(capture, path));
    }
    // Each thread reuses one analysis over every photograph, starting at a
    // different one, twice round.
    const size_t threads = 4;
    std::vector<std::vector<std::string>> mismatches(threads);
    std::vector<std::thread> running;
    for (size_t t = 0; t < threads; t++) {
        running.emplace_back([&, t] {
            ReportCapture capture;
            for (size_t k = 0; k < 2 * photographs.size(); k++) {
                const size_t i = (t * photographs.size() / threads + k) % photographs.size();
                if (AnalyzePath(capture, photographs[i]) != expected[i]) mismatches[t].push_back(photographs[i]);
            }
        });
    }
    for (std::thread& thread : running) thread.join();
    for (size_t t = 0; t < threads; t++) EXPECT_TRUE(mismatches[t].empty()) << "thread " << t << ": " << mismatches[t][0];
}

}  // namespace
