#include "export/posix/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "common/failure.h"

namespace plovane::posix {

namespace {

// The argument vector execv needs, made before fork: after it, only calls that are safe in
// a forked copy of a threaded process are made.
std::vector<char*> argumentVector(const std::vector<std::string>& arguments) {
  if (arguments.empty()) throw Failure("No program to start", failure_code::kInvalidArgument);
  std::vector<char*> vector;
  for (const std::string& argument : arguments)
    vector.push_back(const_cast<char*>(argument.c_str()));
  vector.push_back(nullptr);
  return vector;
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

[[noreturn]] void reportAndExit(int fd, int error) {
  [[maybe_unused]] const ssize_t written = ::write(fd, &error, sizeof error);
  _exit(127);
}

}  // namespace

void startDetached(const std::vector<std::string>& arguments) {
  std::vector<char*> argv = argumentVector(arguments);
  // The pipe closes on a successful exec; otherwise the error number comes through it.
  Pipe errors;
  const pid_t child = fork();
  if (child < 0) throw failureFromErrno(errno);
  if (child == 0) {
    // The middle process ends at once, so the program is adopted by init and reaped there.
    const pid_t grandchild = fork();
    if (grandchild < 0) reportAndExit(errors.writeEnd(), errno);
    if (grandchild > 0) _exit(0);
    setsid();
    execv(argv[0], argv.data());
    reportAndExit(errors.writeEnd(), errno);
  }
  errors.closeWriteEnd();
  waitFor(child);
  int error = 0;
  if (readSome(errors.readEnd(), &error, sizeof error) == static_cast<ssize_t>(sizeof error)) {
    throw Failure(std::string("The spreadsheet program could not be started: ") +
                  failureFromErrno(error).what());
  }
}

std::optional<std::string> outputOf(const std::vector<std::string>& arguments,
                                    std::chrono::milliseconds timeLimit) {
  std::vector<char*> argv = argumentVector(arguments);
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
    execv(argv[0], argv.data());
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

}  // namespace plovane::posix
