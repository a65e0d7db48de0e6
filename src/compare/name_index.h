#pragma once

#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

#include "platform/list_allocator.h"

namespace plovane {

class FileList;
class Host;

// The entries of a file list grouped by file name, each group in list order: an open
// addressing table of group heads and a chain through the entries. Lookups compare names
// exactly, case included. Built in linear expected time without one allocation per entry;
// a slot is eight bytes, so the table of a million names stays small in the cache.
class NameIndex {
 public:
  static constexpr std::uint32_t kEnd = std::numeric_limits<std::uint32_t>::max();

  NameIndex(const FileList& list, Host& host);

  // The first entry bearing the name, or kEnd.
  std::uint32_t first(std::string_view name) const;
  // The next entry of the same name after index, or kEnd.
  std::uint32_t next(std::uint32_t index) const { return next_[index]; }

 private:
  struct Slot {
    std::uint32_t hash = 0;
    std::uint32_t first = kEnd;
  };

  static std::uint32_t hashOf(std::string_view name);
  std::size_t findSlot(std::string_view name, std::uint32_t hash) const;

  const FileList& list_;
  platform::ListVector<Slot> slots_;
  std::size_t mask_ = 0;
  platform::ListVector<std::uint32_t> next_;
};

}  // namespace plovane
