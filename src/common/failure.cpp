#include "common/failure.h"

#include <cerrno>
#include <cstring>

namespace plovane {

namespace {

Failure describedFailure(int errorNumber) {
  switch (errorNumber) {
    case EACCES:
    case EPERM:
      return Failure("Permission denied", failure_code::kPermissionDenied);
    case ENOENT:
    case ENOTDIR:
      return Failure("Path not found", failure_code::kPathNotFound);
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return Failure("Disk full", failure_code::kDiskFull);
    case EIO:
      return Failure("Device I/O error", failure_code::kDeviceError);
    default:
      return Failure(std::strerror(errorNumber), failure_code::kUnknown);
  }
}

}  // namespace

Failure failureFromErrno(int errorNumber) {
  const Failure described = describedFailure(errorNumber);
  return Failure(described.what(), described.code(), std::strerror(errorNumber));
}

std::string reasonOf(const Failure& failure) {
  return failure.systemReason().empty() ? failure.what() : failure.systemReason();
}

}  // namespace plovane
