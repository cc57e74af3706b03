#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ui_strings_win32.h"
#include "window_harness_win32.h"

namespace {

// The program sits beside the test folder in the build tree.
std::string ProgramPath() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string path(self);
    size_t slash = path.find_last_of("\\/");
    path.resize(slash == std::string::npos ? 0 : slash);
    slash = path.find_last_of("\\/");
    path.resize(slash == std::string::npos ? 0 : slash);
    return path + "\\app\\pixloupe.exe";
}

struct ProgramWindows {
    DWORD processId;
    HWND main;
};

BOOL CALLBACK FindProgramWindow(HWND window, LPARAM data) {
    ProgramWindows* found = reinterpret_cast<ProgramWindows*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (owner == found->processId && lstrcmpA(className, "Pixloupe") == 0) {
        found->main = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectChildren(HWND child, LPARAM data) {
    reinterpret_cast<std::vector<HWND>*>(data)->push_back(child);
    return TRUE;
}

// A window's text read as UTF-16, the form the system carries between
// processes, then put in the ANSI code page like the program's own text.
std::string RemoteText(HWND window) {
    LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return std::string();
    // A generous buffer: the control may measure the text in bytes of its
    // code page rather than in characters.
    std::wstring wide(static_cast<size_t>(length) * 2 + 64, L'\0');
    LRESULT got = SendMessageW(window, WM_GETTEXT, wide.size(), reinterpret_cast<LPARAM>(&wide[0]));
    if (got <= 0) return std::string();
    int bytes = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(got), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(got), &text[0], bytes, nullptr, nullptr);
    return text;
}

// Starts the program with a command line, waits for its window, reads the
// rich edits and the status bar, then closes it. The layout reorders the
// panes among their siblings, so the text pane shown under the tab strip,
// the Jpeg pane at start, is told apart by its visibility.
struct ProgramRun {
    bool started = false;
    bool windowFound = false;
    std::vector<std::string> panes;
    std::vector<std::string> shownPanes;
    std::string status;
    DWORD exitCode = 1234;
};

ProgramRun RunProgram(const std::string& arguments) {
    ProgramRun run;
    std::string commandLine = "\"" + ProgramPath() + "\" " + arguments;
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    std::memset(&process, 0, sizeof process);
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return run;
    }
    run.started = true;
    WaitForInputIdle(process.hProcess, 20000);
    ProgramWindows found = {process.dwProcessId, nullptr};
    for (int tries = 0; tries < 200 && found.main == nullptr; tries++) {
        EnumWindows(FindProgramWindow, reinterpret_cast<LPARAM>(&found));
        if (found.main == nullptr) Sleep(100);
    }
    if (found.main != nullptr) {
        run.windowFound = true;
        std::vector<HWND> children;
        EnumChildWindows(found.main, CollectChildren, reinterpret_cast<LPARAM>(&children));
        for (HWND child : children) {
            char className[32] = {};
            GetClassNameA(child, className, sizeof className);
            if (lstrcmpA(className, "RichEdit20A") == 0) {
                run.panes.push_back(RemoteText(child));
                if (IsWindowVisible(child)) run.shownPanes.push_back(run.panes.back());
            }
            if (lstrcmpA(className, "msctls_statusbar32") == 0) run.status = RemoteText(child);
        }
        PostMessageA(found.main, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return run;
}

TEST(Program, OpensTheCommandLinePath) {
    const std::string photo = PhotoPath("ii-camera-gps-north-east.jpg");
    const struct {
        const char* label;
        std::string arguments;
        bool opened;
    } cases[] = {
        {"path alone", "\"" + photo + "\"", true},
        {"path with a comma and a number", "\"" + photo + ",7\"", true},
        {"path and further parameters", "\"" + photo + "\" 2 x", true},
        {"folder", "\"" + PhotoPath("broken") + "\"", false},
        {"no parameter", "", false},
    };
    for (const auto& c : cases) {
        ProgramRun run = RunProgram(c.arguments);
        ASSERT_TRUE(run.started) << c.label << ": " << ProgramPath();
        ASSERT_TRUE(run.windowFound) << c.label;
        ASSERT_EQ(run.panes.size(), 3u) << c.label;
        EXPECT_EQ(run.exitCode, 0u) << c.label;
        ASSERT_EQ(run.shownPanes.size(), 1u) << c.label;
        const std::string& jpeg = run.shownPanes[0];
        std::string all;
        for (const std::string& pane : run.panes) all += pane + "|";
        if (c.opened) {
            EXPECT_EQ(run.status, photo) << c.label;
            EXPECT_NE(jpeg.find("Field Camera II"), std::string::npos) << c.label;
            EXPECT_NE(jpeg.find(photo), std::string::npos) << c.label;
            // The EXIF listing is in a hidden pane.
            EXPECT_NE(all.find("Make"), std::string::npos) << c.label;
            EXPECT_EQ(jpeg.find("Make"), std::string::npos) << c.label;
        } else {
            EXPECT_EQ(run.status, "") << c.label;
            EXPECT_EQ(jpeg, kPaneTitles[0]) << c.label;
            EXPECT_NE(all.find(std::string(kPaneTitles[2]) + "|"), std::string::npos) << c.label;
            EXPECT_NE(all.find(std::string(kPaneTitles[3]) + "|"), std::string::npos) << c.label;
        }
    }
}

}  // namespace
