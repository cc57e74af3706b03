// Running a shell command from a test, for the peer readers and our own
// programs.
#pragma once

#include <string>

// What the command printed on its standard output. Its exit status goes to
// *exitStatus when asked for: -1 when it did not start or did not exit by
// itself.
std::string RunCommand(const std::string& command, int* exitStatus = nullptr);
