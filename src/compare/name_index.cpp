#include "compare/name_index.h"

#include <bit>
#include <functional>
#include <stdexcept>

#include "common/host.h"
#include "scan/file_list.h"

namespace plovane {

namespace {

// Building an index over a large list yields now and then, so the window keeps up.
constexpr std::size_t kYieldInterval = 4096;

}  // namespace

NameIndex::NameIndex(const FileList& list, Host& host) : list_(list), next_(list.size(), kEnd) {
  if (list.size() >= kEnd) throw std::length_error("File list too long");
  // At most half full, so probe runs stay short.
  slots_.resize(std::bit_ceil(std::max<std::size_t>(16, list.size() * 2)));
  mask_ = slots_.size() - 1;
  // From the last entry to the first, each entry going to the head of its group, so that
  // every group ends up in list order.
  for (std::size_t i = list.size(); i-- > 0;) {
    if (i % kYieldInterval == 0) host.yield();
    const std::string_view name = list.fileName(i);
    const std::uint32_t hash = hashOf(name);
    Slot& slot = slots_[findSlot(name, hash)];
    const auto index = static_cast<std::uint32_t>(i);
    next_[index] = slot.first;
    slot = {hash, index};
  }
}

std::uint32_t NameIndex::first(std::string_view name) const {
  return slots_[findSlot(name, hashOf(name))].first;
}

std::uint32_t NameIndex::hashOf(std::string_view name) {
  const std::size_t hash = std::hash<std::string_view>{}(name);
  return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

// The slot that holds the name's group, or the empty slot where it would go.
std::size_t NameIndex::findSlot(std::string_view name, std::uint32_t hash) const {
  for (std::size_t position = hash & mask_;; position = (position + 1) & mask_) {
    const Slot& slot = slots_[position];
    if (slot.first == kEnd) return position;
    if (slot.hash == hash && list_.fileName(slot.first) == name) return position;
  }
}

}  // namespace plovane
