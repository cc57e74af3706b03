// The in-process analysis over the corpus, as the command line runs it: one
// analysis writing to the portable report backend, the panes cleared before
// every file, then AnalyzeFile. Reported as files per second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/corpus_files.h"
#include "analyze/analyze_file.h"
#include "core/byte_source.h"
#include "core/image_summary.h"
#include "jpeg/segment_reader.h"
#include "report/pane_text_sink.h"
#include "report/report.h"

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
    Analysis analysis;
    ResetAnalysis(analysis, &sink);
    size_t reportBytes = 0;
    for (auto _ : state) {
        for (const std::string& path : files) {
            sink.Clear();
            benchmark::DoNotOptimize(AnalyzeFile(analysis, path.c_str()));
            for (int pane = 0; pane < kPaneCount; pane++) {
                reportBytes += sink.Pane(static_cast<ReportPane>(pane)).text.size();
            }
        }
    }
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
    Analysis analysis;
    ResetAnalysis(analysis, &sink);
    for (auto _ : state) {
        for (const std::string& path : files) {
            sink.Clear();
            SelectReportPane(analysis.report, ReportPane::Exif);
            ResetImageSummary(analysis.summary);
            FILE* file = std::fopen(path.c_str(), "rb");
            if (file == nullptr) continue;
            ByteSource source = StreamSource(file);
            benchmark::DoNotOptimize(ReadJpegSegments(analysis, source));
            std::fclose(file);
            ReleaseSegments(analysis.segments);
        }
    }
    CountFiles(state, files.size());
}
BENCHMARK(ReadSegmentsOfCorpus)->Unit(benchmark::kMillisecond);

// Appending many short lines to one pane: must grow linearly.
void AppendLines(benchmark::State& state) {
    const int64_t lines = state.range(0);
    PaneTextSink sink;
    Report report;
    ResetReport(report, &sink);
    for (auto _ : state) {
        sink.Clear();
        SelectReportPane(report, ReportPane::Exif);
        for (int64_t i = 0; i < lines; i++) AppendReportFormat(report, "Tag %04x: value %d\r\n", 0x100, 1);
        benchmark::DoNotOptimize(sink.Pane(ReportPane::Exif).text.size());
    }
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(AppendLines)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
