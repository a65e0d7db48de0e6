#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>

namespace plovane {

// An immutable text with shared ownership: copying it copies one pointer. Result lists can
// reach millions of rows that repeat the same middle text and the same paths, so their cells
// hold SharedText rather than std::string. A default SharedText is the empty text.
class SharedText {
 public:
  SharedText() noexcept = default;
  SharedText(std::string_view text);  // NOLINT(google-explicit-constructor): texts convert freely
  SharedText(const char* text) : SharedText(std::string_view(text)) {}
  SharedText(const std::string& text) : SharedText(std::string_view(text)) {}

  SharedText(const SharedText& other) noexcept;
  SharedText(SharedText&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
  SharedText& operator=(const SharedText& other) noexcept;
  SharedText& operator=(SharedText&& other) noexcept;
  ~SharedText();

  // The two texts one after the other, in one allocation.
  static SharedText concat(std::string_view first, std::string_view second);

  std::string_view view() const noexcept {
    return block_ ? std::string_view(block_->chars(), block_->size) : std::string_view();
  }
  operator std::string_view() const noexcept { return view(); }  // NOLINT
  std::string str() const { return std::string(view()); }
  std::size_t size() const noexcept { return block_ ? block_->size : 0; }
  bool empty() const noexcept { return size() == 0; }

  friend bool operator==(const SharedText& a, const SharedText& b) noexcept {
    return a.view() == b.view();
  }
  friend bool operator==(const SharedText& a, std::string_view b) noexcept { return a.view() == b; }
  friend bool operator==(const SharedText& a, const char* b) noexcept { return a.view() == b; }

 private:
  // One allocation: the header, then size characters and a terminating NUL.
  struct Block {
    std::atomic<std::size_t> references;
    std::size_t size;
    char* chars() noexcept { return reinterpret_cast<char*>(this + 1); }
  };
  static Block* allocate(std::size_t size);
  void release() noexcept;

  Block* block_ = nullptr;
};

}  // namespace plovane
