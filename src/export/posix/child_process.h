#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace plovane::posix {

// Starts a program with the given arguments (the first one is the program's path) and does
// not wait for it: it runs on in a session of its own, and never becomes a zombie of ours.
// No shell sees the arguments. Fails when the program cannot be executed.
void startDetached(const std::vector<std::string>& arguments);

// Runs a program to its end and answers what it wrote to standard output, or nothing when it
// could not run, failed, or took longer than the time limit (it is then killed).
std::optional<std::string> outputOf(const std::vector<std::string>& arguments,
                                    std::chrono::milliseconds timeLimit);

}  // namespace plovane::posix
