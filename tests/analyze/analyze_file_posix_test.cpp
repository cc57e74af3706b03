#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "analyze/analyze_file.h"
#include "support/report_capture.h"

TEST(AnalyzeFilePosix, UnopenableFileShowsTheBlackCantOpenLine) {
    // A socket has attributes but cannot be opened as a file, even by root.
    std::string path = TempFolder() + "/socket.jpg";
    unlink(path.c_str());
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    ReportCapture capture;
    EXPECT_FALSE(AnalyzeFile(capture.analysis, path.c_str()));
    EXPECT_EQ(capture.Text(ReportPane::Exif), "can't open '" + path + "'\r\n");
    EXPECT_EQ(capture.RedText(ReportPane::Exif), "");
    close(fd);
    unlink(path.c_str());
}

TEST(AnalyzeFilePosix, FileSizeIsTheWhole64BitNumber) {
    std::string path = WriteTempFile({0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02}, "huge.jpg");
    const off_t size = 5368709120LL + 7;  // 5 GiB and 7 bytes, sparse
    ASSERT_EQ(truncate(path.c_str(), size), 0);
    ReportCapture capture;
    EXPECT_TRUE(AnalyzeFile(capture.analysis, path.c_str()));
    EXPECT_NE(capture.Text(ReportPane::Jpeg).find("File size    : 5368709127 bytes\r\n"), std::string::npos);
    unlink(path.c_str());
}

TEST(AnalyzeFilePosix, FileDateIsLocalTimeFieldsInOrder) {
    setenv("TZ", "UTC", 1);
    tzset();
    std::string path = WriteTempFile({0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02}, "dated.jpg");
    // 2012-10-02 13:45:07 UTC
    struct timespec times[2] = {{1349185507, 0}, {1349185507, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    ReportCapture capture;
    ASSERT_TRUE(AnalyzeFile(capture.analysis, path.c_str()));
    EXPECT_NE(capture.Text(ReportPane::Jpeg).find("File date    : 2012:10:02 13:45:07\r\n"), std::string::npos);
}
