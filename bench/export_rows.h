#pragma once

#include <cstdint>

namespace plovane {
class ResultList;
}

namespace plovane::bench {

// Rows shaped like a comparison's, for the export benches: a newer path under one tree, the
// shared middle text, and the older path or the other tree's folder; every row checked. One
// name in a hundred is not ASCII, as in a real home folder.
void fillResults(ResultList& list, std::uint64_t rows);

}  // namespace plovane::bench
