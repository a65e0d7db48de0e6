#include "platform/process_launcher.h"

#include "platform/win32/windows_api.h"

#include <algorithm>
#include <string>
#include <utility>

#include "common/failure.h"
#include "platform/win32/owned.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/windows_error.h"

namespace plovane::platform {

namespace {

using win32::failureFromWindowsError;
using win32::toWide;

// How often a started program is looked at, and the window given a turn, while waiting.
constexpr DWORD kWatchStepMilliseconds = 10;

using Handle = win32::OwnedHandle;

// The program's name, argv[0], is read up to the next space or tab outside quotes, with no
// escapes: quotes around it are all it needs, and a quote inside cannot be told.
void appendProgramName(std::wstring& commandLine, const std::wstring& name) {
  if (name.find(L'"') != std::wstring::npos) {
    throw Failure("A program's name cannot hold a quote", failure_code::kInvalidArgument);
  }
  if (!name.empty() && name.find_first_of(L" \t") == std::wstring::npos) {
    commandLine += name;
    return;
  }
  commandLine += L'"' + name + L'"';
}

// Any other argument is quoted where it holds a blank or a quote, or is empty. Inside, a
// quote is escaped with a backslash and the backslashes just before a quote (the closing
// one too) are doubled; other backslashes stand for themselves.
void appendArgument(std::wstring& commandLine, const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    commandLine += argument;
    return;
  }
  commandLine += L'"';
  std::size_t backslashes = 0;
  for (const wchar_t character : argument) {
    if (character == L'\\') {
      ++backslashes;
      continue;
    }
    commandLine.append(character == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    commandLine += character;
  }
  commandLine.append(backslashes * 2, L'\\');
  commandLine += L'"';
}

std::wstring commandLineOf(const std::vector<std::string>& arguments) {
  std::wstring commandLine;
  for (std::size_t k = 0; k < arguments.size(); ++k) {
    if (k == 0) {
      appendProgramName(commandLine, toWide(arguments[k]));
    } else {
      commandLine += L' ';
      appendArgument(commandLine, toWide(arguments[k]));
    }
  }
  return commandLine;
}

Failure notStarted(DWORD error) {
  const Failure known = failureFromWindowsError(error);
  return Failure("The program could not be started: " + known.systemReason(), known.code(),
                 known.systemReason());
}

// Where a program's standard streams go instead of where ours go.
struct StandardHandles {
  HANDLE input;
  HANDLE output;
  HANDLE error;
};

// Every program is started here. Handles are inherited only when standard ones are given.
Handle startProcess(const std::string& program, const std::vector<std::string>& arguments,
                    DWORD flags, const StandardHandles* standard = nullptr) {
  const std::wstring path = toWide(program);
  std::wstring commandLine = commandLineOf(arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (standard) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = standard->input;
    startup.hStdOutput = standard->output;
    startup.hStdError = standard->error;
  }
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, standard ? TRUE : FALSE,
                      flags, nullptr, nullptr, &startup, &process)) {
    throw notStarted(GetLastError());
  }
  CloseHandle(process.hThread);
  return Handle(process.hProcess);
}

const std::string& programOf(const std::vector<std::string>& arguments) {
  if (arguments.empty()) throw Failure("No program to start", failure_code::kInvalidArgument);
  return arguments.front();
}

DWORD exitStatusOf(HANDLE process) {
  DWORD status = 1;
  GetExitCodeProcess(process, &status);
  return status;
}

DWORD millisecondsUntil(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return static_cast<DWORD>(std::max<long long>(left.count(), 0));
}

// True when the process ends before the deadline; whileWaiting, when given, is called every
// few milliseconds until then.
bool endsBefore(HANDLE process, std::chrono::steady_clock::time_point deadline,
                const std::function<void()>& whileWaiting) {
  while (std::chrono::steady_clock::now() < deadline) {
    const DWORD left = millisecondsUntil(deadline);
    const DWORD step = whileWaiting ? std::min(left, kWatchStepMilliseconds) : left;
    if (WaitForSingleObject(process, step) == WAIT_OBJECT_0) return true;
    if (whileWaiting) whileWaiting();
  }
  return false;
}

// What comes through the pipe until every writer has closed it (true), or until the deadline
// (false). The pipe is looked at rather than read, so that a silent program cannot hold the
// reader past the deadline.
bool readUntilClosed(HANDLE pipe, std::chrono::steady_clock::time_point deadline,
                     std::string& text) {
  for (;;) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return true;
    if (available > 0) {
      char buffer[4096];
      DWORD count = 0;
      if (!ReadFile(pipe, buffer, std::min<DWORD>(available, sizeof buffer), &count, nullptr)) {
        return true;
      }
      text.append(buffer, count);
      continue;
    }
    if (std::chrono::steady_clock::now() >= deadline) return false;
    Sleep(kWatchStepMilliseconds);
  }
}

}  // namespace

int runInstead(const std::string& program, const std::vector<std::string>& arguments) {
  const Handle process = startProcess(program, arguments, 0);
  WaitForSingleObject(process.get(), INFINITE);
  return static_cast<int>(exitStatusOf(process.get()));
}

void startDetached(const std::vector<std::string>& arguments, std::chrono::milliseconds gracePeriod,
                   const std::function<void()>& whileWaiting) {
  // Without our console, and out of reach of a Ctrl+C typed there.
  const Handle process =
      startProcess(programOf(arguments), arguments, DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP);
  const auto deadline = std::chrono::steady_clock::now() + gracePeriod;
  if (!endsBefore(process.get(), deadline, whileWaiting)) return;
  const DWORD status = exitStatusOf(process.get());
  if (status != 0) {
    throw Failure("The program ended at once with exit status " + std::to_string(status));
  }
}

std::optional<std::string> outputOf(const std::vector<std::string>& arguments,
                                    std::chrono::milliseconds timeLimit) {
  const std::string& program = programOf(arguments);
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) return std::nullopt;
  const Handle reader(readEnd);
  Handle writer(writeEnd);
  SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);
  Handle nothing(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING, 0,
                             nullptr));
  const StandardHandles standard{nothing.get(), writer.get(), nothing.get()};
  Handle process;
  try {
    process = startProcess(program, arguments, CREATE_NO_WINDOW, &standard);
  } catch (const Failure&) {
    return std::nullopt;
  }
  // The program's copy is left alone, so the pipe closes when the program is done with it.
  writer.reset();
  nothing.reset();
  const auto deadline = std::chrono::steady_clock::now() + timeLimit;
  std::string text;
  if (!readUntilClosed(reader.get(), deadline, text) ||
      WaitForSingleObject(process.get(), millisecondsUntil(deadline)) != WAIT_OBJECT_0) {
    TerminateProcess(process.get(), 1);
    WaitForSingleObject(process.get(), INFINITE);
    return std::nullopt;
  }
  if (exitStatusOf(process.get()) != 0) return std::nullopt;
  return text;
}

}  // namespace plovane::platform
