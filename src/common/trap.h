#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <string_view>
#include <utility>

namespace plovane {

class Host;

// The error trap of one run of a trapped procedure. Each numbered step runs under it: a
// failure shows the error report with the procedure's label and the step's number, and the
// procedure carries on with its next step. The trap never aborts the procedure.
//
// A failure that repeats exactly (same step, same description) is reported once per run and
// then only counted, so a loop whose every pass fails the same way shows one report, not
// one per item. Different steps still get a report each.
class Trap {
 public:
  Trap(Host& host, std::string_view label) : host_(host), label_(label) {}
  Trap(const Trap&) = delete;
  Trap& operator=(const Trap&) = delete;

  // Runs one step.
  template <class Work>
  void step(int number, Work&& work) {
    try {
      std::forward<Work>(work)();
    } catch (...) {
      reportCurrentFailure(number);
    }
  }

  // Runs the test of a conditional step. A test that fails is reported and answers true,
  // so the guarded work runs.
  template <class Condition>
  bool test(int number, Condition&& condition) {
    try {
      return static_cast<bool>(std::forward<Condition>(condition)());
    } catch (...) {
      reportCurrentFailure(number);
      return true;
    }
  }

  // Runs one step that yields a value; on failure the value stays as it was.
  template <class T, class Work>
  void assign(int number, T& target, Work&& work) {
    step(number, [&] { target = std::forward<Work>(work)(); });
  }

  std::string_view label() const noexcept { return label_; }
  std::size_t reportsShown() const noexcept { return reported_.size(); }
  std::size_t repeatsSilenced() const noexcept { return repeatsSilenced_; }

  // Reports the exception being handled as a failure of the given step. Call it only
  // inside a catch block.
  void reportCurrentFailure(int step);

 private:
  Host& host_;
  std::string label_;
  std::set<std::pair<int, std::string>> reported_;
  std::size_t repeatsSilenced_ = 0;
};

// The description of the exception being handled, as an error report shows it. Call it only
// inside a catch block. Returns the failure code alongside (0 when the exception has none).
std::pair<std::string, int> describeCurrentException();

}  // namespace plovane
