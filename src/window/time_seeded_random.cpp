#include "window/time_seeded_random.h"

#include <chrono>

namespace plovane {

namespace {

// Milliseconds since midnight, UTC.
std::mt19937::result_type millisecondsOfDay() {
  using namespace std::chrono;
  const auto now = system_clock::now().time_since_epoch();
  return static_cast<std::mt19937::result_type>(duration_cast<milliseconds>(now % days(1)).count());
}

}  // namespace

TimeSeededRandom::TimeSeededRandom() : generator_(millisecondsOfDay()) {}

double TimeSeededRandom::draw() {
  return std::uniform_real_distribution<double>(0.0, 1.0)(generator_);
}

}  // namespace plovane
