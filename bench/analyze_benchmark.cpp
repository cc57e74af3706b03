// The in-process analysis over the corpus, as the command line runs it: the
// portable report backend installed once, the panes and the thumbnail
// cleared before every file, then AnalyzeFile. Reported as files per second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/corpus_files.h"
#include "jpeg/analyze_file.h"
#include "jpeg/image_summary.h"
#include "jpeg/segment_reader.h"
#include "report/pane_text_sink.h"
#include "report/report.h"
#include "thumbnail/thumbnail.h"

namespace {

const std::vector<std::string>& CorpusFiles() {
    static const std::vector<std::string> files = ListJpegFiles(PIXLOUPE_CORPUS_DIR);
    return files;
}

void CountFiles(benchmark::State& state, size_t filesPerPass) {
    double files = static_cast<double>(state.iterations()) * static_cast<double>(filesPerPass);
    state.counters["files"] = benchmark::Counter(files, benchmark::Counter::kIsRate);
}

// Everything the command line does for a file except printing.
void AnalyzeCorpus(benchmark::State& state) {
    const std::vector<std::string>& files = CorpusFiles();
    if (files.empty()) {
        state.SkipWithError("no JPEG files under " PIXLOUPE_CORPUS_DIR);
        return;
    }
    PaneTextSink sink;
    InstallReportSink(&sink);
    size_t reportBytes = 0;
    for (auto _ : state) {
        for (const std::string& path : files) {
            sink.Clear();
            ReleaseCurrentThumbnail();
            benchmark::DoNotOptimize(AnalyzeFile(path.c_str()));
            for (int pane = 0; pane < kPaneCount; pane++) {
                reportBytes += sink.Pane(static_cast<ReportPane>(pane)).text.size();
            }
        }
    }
    ReleaseCurrentThumbnail();
    InstallReportSink(nullptr);
    CountFiles(state, files.size());
    state.counters["reportBytesPerFile"] =
        static_cast<double>(reportBytes) / (static_cast<double>(state.iterations()) * files.size());
}
BENCHMARK(AnalyzeCorpus)->Unit(benchmark::kMillisecond);

// Opening and splitting the files alone: what the decoders add is the
// difference to AnalyzeCorpus.
void ReadSegmentsOfCorpus(benchmark::State& state) {
    const std::vector<std::string>& files = CorpusFiles();
    PaneTextSink sink;
    InstallReportSink(&sink);
    for (auto _ : state) {
        for (const std::string& path : files) {
            sink.Clear();
            SelectReportPane(ReportPane::Exif);
            ImageSummary summary;
            summary.segments = SegmentList{};
            ResetImageSummary(summary);
            summary.openFile = std::fopen(path.c_str(), "rb");
            if (summary.openFile == nullptr) continue;
            benchmark::DoNotOptimize(ReadJpegSegments(summary));
            std::fclose(summary.openFile);
            ReleaseSegments(summary.segments);
        }
    }
    InstallReportSink(nullptr);
    CountFiles(state, files.size());
}
BENCHMARK(ReadSegmentsOfCorpus)->Unit(benchmark::kMillisecond);

// Appending many short lines to one pane: must grow linearly.
void AppendLines(benchmark::State& state) {
    const int64_t lines = state.range(0);
    PaneTextSink sink;
    InstallReportSink(&sink);
    for (auto _ : state) {
        sink.Clear();
        SelectReportPane(ReportPane::Exif);
        for (int64_t i = 0; i < lines; i++) AppendReportFormat("Tag %04x: value %d\r\n", 0x100, 1);
        benchmark::DoNotOptimize(sink.Pane(ReportPane::Exif).text.size());
    }
    InstallReportSink(nullptr);
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(AppendLines)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
