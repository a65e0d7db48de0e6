#pragma once

#include "platform/win32/windows_api.h"

#include <cstddef>

namespace plovane::e2e {

// A block of memory inside another process. A list view's LVM_* messages carry pointers that
// the system passes on unchanged, so a structure they point to must lie where the list view's
// thread reads it.
class RemoteBlock {
 public:
  RemoteBlock(HANDLE process, std::size_t bytes);
  ~RemoteBlock();
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;

  // The address, as the other process sees it, of the byte at offset.
  LPARAM at(std::size_t offset) const;
  void write(std::size_t offset, const void* data, std::size_t bytes);
  void read(std::size_t offset, void* data, std::size_t bytes) const;

 private:
  void checkRange(std::size_t offset, std::size_t bytes) const;

  HANDLE process_;
  void* base_;
  std::size_t size_;
};

}  // namespace plovane::e2e
