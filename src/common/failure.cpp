#include "common/failure.h"

#include <cerrno>
#include <cstring>
#include <exception>

namespace plovane {

Failure failureFromErrno(int errorNumber) {
  const std::string reason = std::strerror(errorNumber);
  switch (errorNumber) {
    case EACCES:
    case EPERM:
      return Failure("Permission denied", failure_code::kPermissionDenied, reason);
    case ENOENT:
    case ENOTDIR:
      return Failure("Path not found", failure_code::kPathNotFound, reason);
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return Failure("Disk full", failure_code::kDiskFull, reason);
    case EIO:
      return Failure("Device I/O error", failure_code::kDeviceError, reason);
    default:
      return Failure(reason, failure_code::kUnknown, reason);
  }
}

std::string reasonOf(const Failure& failure) {
  return failure.systemReason().empty() ? failure.what() : failure.systemReason();
}

std::string reasonOf(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const Failure& known) {
    return reasonOf(known);
  } catch (const std::exception& other) {
    return other.what();
  } catch (...) {
    return "Unknown failure";
  }
}

}  // namespace plovane
