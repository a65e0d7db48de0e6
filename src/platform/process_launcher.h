#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Starting other programs. Arguments go as a list, the first naming the program as argv[0]
// does, and no shell ever reads them: spaces, quotes and the like reach the program as they
// are. On Windows the list becomes one command line, quoted so that CommandLineToArgvW and
// the C runtime split it into the same list again. A program that cannot be started is a
// Failure "The program could not be started: <the system's reason>", with the reason also
// as its system reason.
namespace plovane::platform {

// Runs the program with the arguments in place of this process where the system can (POSIX:
// it does not return), or else as a child whose exit status it answers (Windows).
int runInstead(const std::string& program, const std::vector<std::string>& arguments);

// Starts a program (the first argument is its path) and does not wait for it to end: it runs
// on by itself, in a session of its own without our console, and never becomes a zombie of
// ours. Fails when the program cannot be started, or when it ends within the grace period
// with a failing exit status or by a signal; one that ends then with status 0 has done its
// work (handed the file to a copy already running). The call returns after the grace period
// at the latest, calling whileWaiting every few milliseconds until then.
void startDetached(const std::vector<std::string>& arguments,
                   std::chrono::milliseconds gracePeriod = std::chrono::milliseconds(0),
                   const std::function<void()>& whileWaiting = {});

// Runs a program to its end and answers what it wrote to standard output, or nothing when it
// could not run, failed, or took longer than the time limit (it is then killed).
std::optional<std::string> outputOf(const std::vector<std::string>& arguments,
                                    std::chrono::milliseconds timeLimit);

}  // namespace plovane::platform
