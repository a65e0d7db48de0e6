#pragma once

#include <random>

#include "form/random_source.h"

namespace plovane {

// A uniform draw seeded from the clock, so that each start of the window draws anew.
class TimeSeededRandom final : public RandomSource {
 public:
  TimeSeededRandom();
  double draw() override;

 private:
  std::mt19937 generator_;
};

}  // namespace plovane
