#include "support/run_command_posix.h"

#include <sys/wait.h>

#include <cstdio>

std::string RunCommand(const std::string& command, int* exitStatus) {
    std::string output;
    if (exitStatus != nullptr) *exitStatus = -1;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return output;
    char buffer[65536];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
    const int status = pclose(pipe);
    if (exitStatus != nullptr && status != -1 && WIFEXITED(status)) *exitStatus = WEXITSTATUS(status);
    return output;
}
