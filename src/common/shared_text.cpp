#include "common/shared_text.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace plovane {

SharedText::Block* SharedText::allocate(std::size_t size) {
  void* memory = std::malloc(sizeof(Block) + size + 1);
  if (!memory) throw std::bad_alloc();
  Block* block = new (memory) Block{1, size};
  block->chars()[size] = '\0';
  return block;
}

SharedText::SharedText(std::string_view text) {
  if (text.empty()) return;
  block_ = allocate(text.size());
  std::memcpy(block_->chars(), text.data(), text.size());
}

SharedText SharedText::concat(std::string_view first, std::string_view second) {
  SharedText result;
  if (first.size() + second.size() == 0) return result;
  result.block_ = allocate(first.size() + second.size());
  if (!first.empty()) std::memcpy(result.block_->chars(), first.data(), first.size());
  if (!second.empty())
    std::memcpy(result.block_->chars() + first.size(), second.data(), second.size());
  return result;
}

SharedText::SharedText(const SharedText& other) noexcept : block_(other.block_) {
  if (block_) block_->references.fetch_add(1, std::memory_order_relaxed);
}

SharedText& SharedText::operator=(const SharedText& other) noexcept {
  Block* const block = other.block_;  // read before release(): other may be *this
  if (block) block->references.fetch_add(1, std::memory_order_relaxed);
  release();
  block_ = block;
  return *this;
}

SharedText& SharedText::operator=(SharedText&& other) noexcept {
  if (this != &other) {
    release();
    block_ = other.block_;
    other.block_ = nullptr;
  }
  return *this;
}

SharedText::~SharedText() {
  release();
}

void SharedText::release() noexcept {
  if (block_ && block_->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    block_->~Block();
    std::free(block_);
  }
  block_ = nullptr;
}

}  // namespace plovane
