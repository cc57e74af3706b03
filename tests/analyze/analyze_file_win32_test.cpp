// The Windows file facts seen through AnalyzeFile: the same lines as on
// POSIX systems for sharing conflicts, 64-bit sizes and file dates.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "analyze/analyze_file.h"
#include "core/file_facts.h"
#include "support/report_capture.h"

namespace {

const std::vector<unsigned char> kMinimalJpeg = {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02};

// 2012-10-02 13:45:07 UTC in 100 ns ticks since 1601.
const uint64_t kDatedTicks = (1349185507ULL + 11644473600ULL) * 10000000ULL;

FILETIME AsFileTime(uint64_t ticks) {
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return time;
}

// A handle that keeps the file open for writing while the test runs.
struct OpenForWriting {
    explicit OpenForWriting(const std::string& path)
        : handle(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~OpenForWriting() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
    HANDLE handle;
};

}  // namespace

TEST(AnalyzeFileWin32, FileOpenForWritingElsewhereShowsTheBlackCantOpenLine) {
    std::string path = WriteTempFile(kMinimalJpeg, "being-written.jpg");
    OpenForWriting writer(path);
    ASSERT_NE(writer.handle, INVALID_HANDLE_VALUE);
    ReportCapture capture;
    EXPECT_FALSE(AnalyzeFile(capture.analysis, path.c_str()));
    EXPECT_EQ(capture.Text(ReportPane::Exif), "can't open '" + path + "'\r\n");
    EXPECT_EQ(capture.RedText(ReportPane::Exif), "");
}

TEST(AnalyzeFileWin32, FileSizeIsTheWhole64BitNumber) {
    std::string path = WriteTempFile(kMinimalJpeg, "huge.jpg");
    {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        LARGE_INTEGER end;
        end.QuadPart = 5368709120LL + 7;  // 5 GiB and 7 bytes
        bool grown = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
        CloseHandle(file);
        ASSERT_TRUE(grown);
    }
    FileFacts facts = QueryFileFacts(path.c_str());
    EXPECT_TRUE(facts.exists);
    EXPECT_FALSE(facts.isFolder);
    EXPECT_EQ(facts.size, 5368709127ULL);
    ReportCapture capture;
    EXPECT_TRUE(AnalyzeFile(capture.analysis, path.c_str()));
    EXPECT_NE(capture.Text(ReportPane::Jpeg).find("File size    : 5368709127 bytes\r\n"), std::string::npos);
    DeleteFileA(path.c_str());
}

TEST(AnalyzeFileWin32, FolderAndMissingPathFacts) {
    FileFacts folder = QueryFileFacts(TempFolder().c_str());
    EXPECT_TRUE(folder.exists);
    EXPECT_TRUE(folder.isFolder);
    FileFacts missing = QueryFileFacts((TempFolder() + "/no-such-file.jpg").c_str());
    EXPECT_FALSE(missing.exists);
    EXPECT_EQ(missing.size, 0u);
}

TEST(AnalyzeFileWin32, FileDateIsLocalTimeFieldsInOrder) {
    TIME_ZONE_INFORMATION zone;
    DWORD kind = GetTimeZoneInformation(&zone);
    if (kind == TIME_ZONE_ID_INVALID || zone.Bias != 0 || (kind == TIME_ZONE_ID_DAYLIGHT && zone.DaylightBias != 0))
        GTEST_SKIP() << "needs a UTC local time zone (ctest runs the tests with TZ=UTC)";
    std::string path = WriteTempFile(kMinimalJpeg, "dated.jpg");
    {
        HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        FILETIME when = AsFileTime(kDatedTicks);
        bool set = SetFileTime(file, nullptr, &when, &when);
        CloseHandle(file);
        ASSERT_TRUE(set);
    }
    EXPECT_EQ(QueryFileFacts(path.c_str()).lastWriteTime, kDatedTicks);
    ReportCapture capture;
    ASSERT_TRUE(AnalyzeFile(capture.analysis, path.c_str()));
    EXPECT_NE(capture.Text(ReportPane::Jpeg).find("File date    : 2012:10:02 13:45:07\r\n"), std::string::npos);
}
