#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace plovane::posix {

// Starts a program with the given arguments (the first one is the program's path) and does
// not wait for it to end: it runs on in a session of its own, and never becomes a zombie of
// ours. No shell sees the arguments. Fails when the program cannot be executed, or when it
// ends within the grace period with a failing exit status or by a signal; one that ends
// then with status 0 has done its work (handed the file to a copy already running). The
// call returns after the grace period at the latest, calling whileWaiting every few
// milliseconds until then.
void startDetached(const std::vector<std::string>& arguments,
                   std::chrono::milliseconds gracePeriod = std::chrono::milliseconds(0),
                   const std::function<void()>& whileWaiting = {});

// Runs a program to its end and answers what it wrote to standard output, or nothing when it
// could not run, failed, or took longer than the time limit (it is then killed).
std::optional<std::string> outputOf(const std::vector<std::string>& arguments,
                                    std::chrono::milliseconds timeLimit);

}  // namespace plovane::posix
