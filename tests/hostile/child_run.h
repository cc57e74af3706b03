// Runs pixloupe-report as a child process and measures it: exit status,
// wall and CPU time, peak resident memory, and what it wrote. A child that
// outlives its deadline is killed, so a hang fails the test instead of
// stalling it.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/report_capture.h"

// True when this build runs under a sanitizer: its shadow memory makes
// resident sizes meaningless and its checks make every run slower.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitizedBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitizedBuild = true;
#else
constexpr bool kSanitizedBuild = false;
#endif
#else
constexpr bool kSanitizedBuild = false;
#endif

struct ChildRun {
    bool started = false;
    bool timedOut = false;
    int exitCode = -1;     // when it exited
    int signalNumber = 0;  // when a signal ended it
    double wallMs = 0;
    double cpuMs = 0;      // user + system
    long peakKb = 0;       // ru_maxrss
    std::string out;
    std::string err;
};

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Sanitizer findings end the child with a status no normal run uses, and
// leaks are looked for at exit; these settings reach only a sanitized binary.
inline std::vector<std::string> ChildEnvironment() {
    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; entry++) {
        std::string text = *entry;
        if (text.rfind("ASAN_OPTIONS=", 0) == 0 || text.rfind("UBSAN_OPTIONS=", 0) == 0) continue;
        env.push_back(text);
    }
    env.push_back("ASAN_OPTIONS=detect_leaks=1:exitcode=86:abort_on_error=0");
    env.push_back("UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:exitcode=86");
    env.push_back("TZ=UTC");
    return env;
}

inline ChildRun RunChild(const std::vector<std::string>& args, double deadlineSeconds) {
    ChildRun run;
    static int serial = 0;
    serial++;
    const std::string outPath = TempFolder() + "/child-out-" + std::to_string(serial);
    const std::string errPath = TempFolder() + "/child-err-" + std::to_string(serial);
    std::vector<std::string> envText = ChildEnvironment();
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& entry : envText) envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);

    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid < 0) return run;
    if (pid == 0) {
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0) _exit(127);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    run.started = true;
    int status = 0;
    struct rusage usage {};
    auto deadline = start + std::chrono::milliseconds(static_cast<long>(deadlineSeconds * 1000));
    for (;;) {
        pid_t done = wait4(pid, &status, WNOHANG, &usage);
        if (done == pid) break;
        if (done < 0) return run;
        if (std::chrono::steady_clock::now() > deadline) {
            run.timedOut = true;
            kill(pid, SIGKILL);
            wait4(pid, &status, 0, &usage);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    run.wallMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
                (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    run.peakKb = usage.ru_maxrss;
    if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.signalNumber = WTERMSIG(status);
    run.out = ReadWholeFile(outPath);
    run.err = ReadWholeFile(errPath);
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return run;
}

// Lines of the child's output (LF-separated, as pixloupe-report prints).
inline std::vector<std::string> OutputLines(const std::string& out) {
    std::vector<std::string> lines;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

inline int CountLines(const std::vector<std::string>& lines, const std::string& wanted) {
    int count = 0;
    for (const std::string& line : lines) count += line == wanted ? 1 : 0;
    return count;
}

inline int CountLinesStartingWith(const std::vector<std::string>& lines, const std::string& prefix) {
    int count = 0;
    for (const std::string& line : lines) count += line.rfind(prefix, 0) == 0 ? 1 : 0;
    return count;
}
