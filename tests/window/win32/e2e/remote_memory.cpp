#include "remote_memory.h"

#include <stdexcept>
#include <string>

namespace plovane::e2e {

RemoteBlock::RemoteBlock(HANDLE process, std::size_t bytes)
    : process_(process),
      base_(VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)),
      size_(bytes) {
  if (!base_) {
    throw std::runtime_error("cannot allocate memory in the window's process (error " +
                             std::to_string(GetLastError()) + ")");
  }
}

RemoteBlock::~RemoteBlock() {
  VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
}

LPARAM RemoteBlock::at(std::size_t offset) const {
  checkRange(offset, 0);
  return reinterpret_cast<LPARAM>(static_cast<char*>(base_) + offset);
}

void RemoteBlock::write(std::size_t offset, const void* data, std::size_t bytes) {
  checkRange(offset, bytes);
  SIZE_T written = 0;
  if (!WriteProcessMemory(process_, static_cast<char*>(base_) + offset, data, bytes, &written) ||
      written != bytes) {
    throw std::runtime_error("cannot write into the window's process");
  }
}

void RemoteBlock::read(std::size_t offset, void* data, std::size_t bytes) const {
  checkRange(offset, bytes);
  SIZE_T got = 0;
  if (!ReadProcessMemory(process_, static_cast<char*>(base_) + offset, data, bytes, &got) ||
      got != bytes) {
    throw std::runtime_error("cannot read from the window's process");
  }
}

void RemoteBlock::checkRange(std::size_t offset, std::size_t bytes) const {
  if (offset > size_ || bytes > size_ - offset) {
    throw std::logic_error("a remote access beyond its block");
  }
}

}  // namespace plovane::e2e
