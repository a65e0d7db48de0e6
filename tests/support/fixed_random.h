#pragma once

#include "form/random_source.h"

namespace plovane::test {

// Draws the same value every time and counts the draws. The default never opens the home
// page: 0.5 gives 51, not 7.
class FixedRandom final : public RandomSource {
 public:
  double draw() override {
    ++draws;
    return value;
  }
  double value = 0.5;
  int draws = 0;
};

}  // namespace plovane::test
