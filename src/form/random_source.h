#pragma once

namespace plovane {

// A uniform draw from [0, 1).
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  virtual double draw() = 0;
};

}  // namespace plovane
