#pragma once

#include <cstddef>

namespace plovane {

// How far a reading of a tree has come, counted where the folders are listed. Only the thread
// that reads writes it, and a host reads it during a yield of that same thread.
struct ScanProgress {
  std::size_t folders = 0;  // folders listed
  std::size_t files = 0;    // files seen in them
};

}  // namespace plovane
