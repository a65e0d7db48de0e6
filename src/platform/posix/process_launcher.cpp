#include "platform/process_launcher.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "common/failure.h"

namespace plovane::platform {

namespace {

// The argument vector execv needs, made before fork: after it, only calls that are safe in
// a forked copy of a threaded process are made.
std::vector<char*> argumentVector(const std::vector<std::string>& arguments) {
  std::vector<char*> vector;
  vector.reserve(arguments.size() + 1);
  for (const std::string& argument : arguments)
    vector.push_back(const_cast<char*>(argument.c_str()));
  vector.push_back(nullptr);
  return vector;
}

// The arguments of a program that is named by its first argument.
std::vector<char*> programArgumentVector(const std::vector<std::string>& arguments) {
  if (arguments.empty()) throw Failure("No program to start", failure_code::kInvalidArgument);
  return argumentVector(arguments);
}

// Every program is started here: the program's image replaces this process's, with no shell
// in between. Returns only when that failed, with errno telling why.
void execute(const char* program, char* const* argv) {
  execv(program, argv);
}

Failure notStarted(int errorNumber) {
  const Failure known = failureFromErrno(errorNumber);
  return Failure("The program could not be started: " + known.systemReason(), known.code(),
                 known.systemReason());
}

class Pipe {
 public:
  Pipe() {
    if (pipe2(ends_, O_CLOEXEC) != 0) throw failureFromErrno(errno);
  }
  ~Pipe() {
    closeReadEnd();
    closeWriteEnd();
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;

  int readEnd() const { return ends_[0]; }
  int writeEnd() const { return ends_[1]; }
  void closeReadEnd() { closeEnd(0); }
  void closeWriteEnd() { closeEnd(1); }

 private:
  void closeEnd(int end) {
    if (ends_[end] >= 0) ::close(ends_[end]);
    ends_[end] = -1;
  }
  int ends_[2] = {-1, -1};
};

int waitFor(pid_t child) {
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

// Reads what fits into the buffer; an interrupted read is tried again.
ssize_t readSome(int fd, void* buffer, std::size_t size) {
  ssize_t count;
  do {
    count = ::read(fd, buffer, size);
  } while (count < 0 && errno == EINTR);
  return count;
}

// What the watching process learns of the program, sent through a pipe.
struct StartReport {
  enum Kind : int { kNotExecuted, kEnded };
  Kind kind;
  int value;  // the error number, or the wait status
};

// How often the program is looked at, and the window given a turn, during the grace period.
constexpr int kWatchStepMilliseconds = 10;

void writeReport(int fd, StartReport report) {
  [[maybe_unused]] const ssize_t written = ::write(fd, &report, sizeof report);
}

[[noreturn]] void reportAndExit(int fd, int error) {
  writeReport(fd, {StartReport::kNotExecuted, error});
  _exit(127);
}

// The middle process: starts the program in a session of its own and watches it through the
// grace period. Then it ends, so the program is adopted by init and reaped there.
[[noreturn]] void startAndWatch(char* const* argv, int reports, int watchSteps) {
  // An ignored SIGCHLD would reap the program unseen; the program gets the default, too.
  signal(SIGCHLD, SIG_DFL);
  const pid_t program = fork();
  if (program < 0) reportAndExit(reports, errno);
  if (program == 0) {
    setsid();
    execute(argv[0], argv);
    reportAndExit(reports, errno);
  }
  for (int step = 0; step < watchSteps; ++step) {
    poll(nullptr, 0, kWatchStepMilliseconds);
    int status = 0;
    const pid_t ended = waitpid(program, &status, WNOHANG);
    if (ended == program) {
      writeReport(reports, {StartReport::kEnded, status});
      break;
    }
    if (ended < 0 && errno != EINTR) break;
  }
  _exit(0);
}

// All that comes through the pipe until its last writer has closed it.
std::string readUntilClosed(int fd, const std::function<void()>& whileWaiting) {
  std::string data;
  for (;;) {
    pollfd wait{fd, POLLIN, 0};
    const int ready = poll(&wait, 1, whileWaiting ? kWatchStepMilliseconds : -1);
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) {
      if (whileWaiting) whileWaiting();
      continue;
    }
    char buffer[64];
    const ssize_t count = readSome(fd, buffer, sizeof buffer);
    if (count <= 0) break;
    data.append(buffer, static_cast<std::size_t>(count));
  }
  return data;
}

void throwWhenFailed(const StartReport& report) {
  if (report.kind == StartReport::kNotExecuted) throw notStarted(report.value);
  const int status = report.value;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return;
  if (WIFEXITED(status)) {
    throw Failure("The program ended at once with exit status " +
                  std::to_string(WEXITSTATUS(status)));
  }
  const int number = WTERMSIG(status);
  throw Failure("The program was ended at once by signal " + std::to_string(number) + " (" +
                ::strsignal(number) + ")");
}

}  // namespace

int runInstead(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<char*> argv = argumentVector(arguments);
  execute(program.c_str(), argv.data());
  throw notStarted(errno);
}

void startDetached(const std::vector<std::string>& arguments, std::chrono::milliseconds gracePeriod,
                   const std::function<void()>& whileWaiting) {
  std::vector<char*> argv = programArgumentVector(arguments);
  const auto watchSteps = static_cast<int>(gracePeriod.count() / kWatchStepMilliseconds);
  // The pipe closes on a successful exec and when the watch is over; what went wrong before
  // then comes through it.
  Pipe reports;
  const pid_t child = fork();
  if (child < 0) throw failureFromErrno(errno);
  if (child == 0) startAndWatch(argv.data(), reports.writeEnd(), watchSteps);
  reports.closeWriteEnd();
  std::string data;
  try {
    data = readUntilClosed(reports.readEnd(), whileWaiting);
  } catch (...) {
    waitFor(child);
    throw;
  }
  waitFor(child);
  // The first report tells: a program that could not be executed also ends, later.
  if (data.size() < sizeof(StartReport)) return;
  StartReport report{};
  std::memcpy(&report, data.data(), sizeof report);
  throwWhenFailed(report);
}

std::optional<std::string> outputOf(const std::vector<std::string>& arguments,
                                    std::chrono::milliseconds timeLimit) {
  std::vector<char*> argv = programArgumentVector(arguments);
  Pipe output;
  const pid_t child = fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    const int nothing = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (nothing >= 0) {
      dup2(nothing, STDIN_FILENO);
      dup2(nothing, STDERR_FILENO);
    }
    dup2(output.writeEnd(), STDOUT_FILENO);
    execute(argv[0], argv.data());
    _exit(127);
  }
  output.closeWriteEnd();
  std::string text;
  const auto deadline = std::chrono::steady_clock::now() + timeLimit;
  bool timedOut = false;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd wait{output.readEnd(), POLLIN, 0};
    const int ready = left.count() <= 0 ? 0 : poll(&wait, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) {
      timedOut = true;
      break;
    }
    char buffer[4096];
    const ssize_t count = readSome(output.readEnd(), buffer, sizeof buffer);
    if (count <= 0) break;
    text.append(buffer, static_cast<std::size_t>(count));
  }
  if (timedOut) kill(child, SIGKILL);
  const int status = waitFor(child);
  if (timedOut || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return text;
}

}  // namespace plovane::platform
