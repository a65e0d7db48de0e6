#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/shared_text.h"
#include "platform/list_allocator.h"

namespace plovane {

// An ordered list of full file paths. A path is a prefix (a folder and the separator) and a
// file name. The prefix is shared by all the files of a folder and the names are packed
// into blocks of 2 MiB, so a list of millions of files stays small, and a growing list never
// copies the names it already holds. The first block is ordinary memory, touched only as far
// as names fill it, so that a short list stays small; the blocks after it, and the entries of
// a long list, are list blocks (platform/list_memory.h).
class FileList {
 public:
  // Appends prefix + name; the prefix is empty or ends with the separator.
  void append(const SharedText& prefix, std::string_view name);
  // Appends a full path, split at its last separator.
  void appendPath(std::string_view path);

  // Makes room for that many entries in all, so that a list filled folder by folder is not
  // copied as it grows. Only a hint: when the memory cannot be had, the list grows as needed.
  void reserve(std::size_t entries) noexcept;

  std::size_t size() const noexcept { return entries_.size(); }
  bool empty() const noexcept { return entries_.empty(); }

  std::string path(std::size_t index) const;
  // The text after the last separator of path(index).
  std::string_view fileName(std::size_t index) const;
  std::vector<std::string> paths() const;

  // path(index) as a row cell.
  SharedText sharedPath(std::size_t index) const;

  // Appends entry index of another list.
  void appendEntryOf(const FileList& other, std::size_t index);
  // The prefix of entry index: its folder and the separator, or empty.
  const SharedText& prefix(std::size_t index) const { return entries_[index].prefix; }

 private:
  static constexpr unsigned kBlockBits = 21;
  static constexpr std::size_t kBlockSize = std::size_t{1} << kBlockBits;
  static_assert(kBlockSize == platform::kHugePageBytes);

  struct Entry {
    SharedText prefix;
    std::uint32_t nameAt;  // the block's number, then the offset in it
    std::uint32_t nameLength;
  };

  // Gives a block back where it came from: the first to the free store, the others as list
  // blocks.
  struct BlockRelease {
    bool listBlock = false;
    void operator()(char* block) const noexcept;
  };
  using Block = std::unique_ptr<char[], BlockRelease>;

  static Block newBlock(bool listBlock);

  platform::ListVector<Entry> entries_;
  std::vector<Block> blocks_;
  std::size_t blockUsed_ = kBlockSize;  // of the last block; full when there is none
};

}  // namespace plovane
