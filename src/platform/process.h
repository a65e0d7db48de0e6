#pragma once

#include <string>
#include <vector>

// The running process; the programs it starts are in process_launcher.h.
namespace plovane::platform {

// The arguments the program was started with, argv[0] first, as UTF-8 text: on POSIX the
// bytes the system gives, on Windows the UTF-16 command line converted.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// The system's temporary folder, without a final separator: $TMPDIR or /tmp on POSIX, the
// user's temporary folder on Windows.
std::string temporaryFolder();

// A new folder that only this user can enter, in the system's temporary folder. Throws a
// Failure when none can be made.
std::string makePrivateTemporaryFolder();

// The full path of the running executable; empty when the system does not tell.
std::string executablePath();

// True when the standard stream (1 output, 2 error) is a terminal.
bool isTerminal(int stream);

// Where the program was started with a standard stream closed, puts something in its place
// that fails every read or write of it: a file the program opens next would otherwise take
// its number and receive what was meant for the stream. Call it first thing in main.
void guardStandardStreams();

}  // namespace plovane::platform
