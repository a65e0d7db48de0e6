#pragma once

#include <exception>
#include <stdexcept>
#include <string>
#include <utility>

namespace plovane {

// Failure codes the program knows by number. The folder enumeration treats the first two
// specially; the rest only tell a report's reader what kind of failure it was.
namespace failure_code {
inline constexpr int kUnknown = 0;
inline constexpr int kInvalidArgument = 5;
inline constexpr int kOutOfRange = 9;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathNotFound = 76;
inline constexpr int kDeviceError = 57;
inline constexpr int kDiskFull = 61;
}  // namespace failure_code

// A failure inside the core: a description for the error report and, for file-system
// failures, a code. Descriptions never name the item being processed, so that the same
// failure repeated over many items reads the same and is reported once.
class Failure : public std::runtime_error {
 public:
  explicit Failure(const std::string& description, int code = failure_code::kUnknown,
                   std::string systemReason = {})
      : std::runtime_error(description), code_(code), systemReason_(std::move(systemReason)) {}

  int code() const noexcept { return code_; }
  // The operating system's own words for the failure ("No space left on device"), for a
  // command's one-line message; empty when the failure did not come from the system.
  const std::string& systemReason() const noexcept { return systemReason_; }

 private:
  int code_;
  std::string systemReason_;
};

// The failure for an operating-system error number (errno on POSIX).
Failure failureFromErrno(int errorNumber);

// The system's words for a failure where it has them, else its description.
std::string reasonOf(const Failure& failure);
// The same for any exception; one that is no Failure gives its own text.
std::string reasonOf(const std::exception_ptr& failure);

}  // namespace plovane
