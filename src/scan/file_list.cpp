#include "scan/file_list.h"

#include <limits>
#include <stdexcept>

#include "platform/file_system.h"

namespace plovane {

void FileList::append(const SharedText& prefix, std::string_view name) {
  if (name.size() > kBlockSize) throw std::length_error("File name too long");
  // A name never ends a block exactly, so that every offset stays inside its block.
  if (blockUsed_ + name.size() >= kBlockSize) {
    if (blocks_.size() >= (std::size_t{1} << (32 - kBlockBits))) {
      throw std::length_error("File list too long");
    }
    blocks_.push_back(newBlock(!blocks_.empty()));
    blockUsed_ = 0;
  }
  const auto nameAt = static_cast<std::uint32_t>(((blocks_.size() - 1) << kBlockBits) | blockUsed_);
  entries_.push_back(Entry{prefix, nameAt, static_cast<std::uint32_t>(name.size())});
  name.copy(blocks_.back().get() + blockUsed_, name.size());
  blockUsed_ += name.size();
}

void FileList::BlockRelease::operator()(char* block) const noexcept {
  if (listBlock) {
    platform::freeListBlock(block, kBlockSize);
  } else {
    delete[] block;
  }
}

FileList::Block FileList::newBlock(bool listBlock) {
  if (listBlock) return Block(static_cast<char*>(platform::allocateListBlock(kBlockSize)), {true});
  return Block(new char[kBlockSize], {false});
}

void FileList::reserve(std::size_t entries) noexcept {
  try {
    entries_.reserve(entries);
  } catch (const std::exception&) {
    // The list grows as entries come.
  }
}

void FileList::appendPath(std::string_view path) {
  const std::size_t separator = path.rfind(platform::kSeparator);
  if (separator == std::string_view::npos) {
    append(SharedText(), path);
  } else {
    append(SharedText(path.substr(0, separator + 1)), path.substr(separator + 1));
  }
}

std::string FileList::path(std::size_t index) const {
  const Entry& entry = entries_[index];
  std::string result;
  result.reserve(entry.prefix.size() + entry.nameLength);
  result.append(entry.prefix.view());
  result.append(fileName(index));
  return result;
}

SharedText FileList::sharedPath(std::size_t index) const {
  return SharedText::concat(entries_[index].prefix.view(), fileName(index));
}

std::string_view FileList::fileName(std::size_t index) const {
  const Entry& entry = entries_[index];
  const char* block = blocks_[entry.nameAt >> kBlockBits].get();
  return {block + (entry.nameAt & (kBlockSize - 1)), entry.nameLength};
}

std::vector<std::string> FileList::paths() const {
  std::vector<std::string> result;
  result.reserve(size());
  for (std::size_t i = 0; i < size(); ++i) result.push_back(path(i));
  return result;
}

void FileList::appendEntryOf(const FileList& other, std::size_t index) {
  append(other.entries_[index].prefix, other.fileName(index));
}

}  // namespace plovane
