#include "support/report_capture.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <direct.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

ReportCapture::ReportCapture() { ResetAnalysis(analysis, &sink); }

std::vector<std::string> ReportCapture::Lines(ReportPane pane) const {
    std::vector<std::string> lines;
    const std::string& text = Text(pane);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string ReportCapture::RedText(ReportPane pane) const {
    std::string red;
    const PaneText& paneText = sink.Pane(pane);
    for (const ColorRun& run : paneText.runs) {
        if (run.color == kColorRed) red += paneText.text.substr(run.start, run.length);
    }
    return red;
}

namespace {
std::string MakeTempFolder() {
#ifdef _WIN32
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    std::string folder = std::string(base) + "pixloupe-test-" + std::to_string(GetCurrentProcessId());
    _mkdir(folder.c_str());
    return folder;
#else
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/pixloupe-test-XXXXXX";
    char* made = mkdtemp(&pattern[0]);
    return made ? std::string(made) : std::string("/tmp");
#endif
}
}  // namespace

std::string TempFolder() {
    static const std::string folder = MakeTempFolder();
    return folder;
}

std::string WriteTempFile(const std::vector<unsigned char>& bytes, const std::string& name) {
    std::string path = TempFolder() + "/" + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return path;
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return path;
}
