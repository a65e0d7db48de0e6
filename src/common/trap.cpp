#include "common/trap.h"

#include <exception>
#include <new>

#include "common/error_report.h"
#include "common/failure.h"
#include "common/host.h"

namespace plovane {

std::pair<std::string, int> describeCurrentException() {
  try {
    throw;
  } catch (const Failure& failure) {
    return {failure.what(), failure.code()};
  } catch (const std::bad_alloc&) {
    return {"Out of memory", failure_code::kUnknown};
  } catch (const std::exception& exception) {
    return {exception.what(), failure_code::kUnknown};
  } catch (...) {
    return {"Unknown failure", failure_code::kUnknown};
  }
}

void Trap::reportCurrentFailure(int step) {
  auto [description, code] = describeCurrentException();
  (void)code;
  if (!reported_.emplace(step, description).second) {
    ++repeatsSilenced_;
    return;
  }
  host_.showErrorReport(composeErrorReport(description, label_, step));
}

}  // namespace plovane
