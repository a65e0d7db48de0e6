#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace plovane::test {

// The path that UTF-8 text names; on Windows the library would read a plain string in the ANSI
// code page instead.
inline std::filesystem::path utf8Path(const std::string& text) {
#ifdef _WIN32
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
#else
  return std::filesystem::path(text);
#endif
}

// The whole content of a file, empty when it cannot be read.
inline std::string fileText(const std::string& path) {
  std::ifstream in(utf8Path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A file that a program started without waiting writes: its traces show up a moment later.
inline std::string waitForFile(const std::string& path) {
  for (int i = 0; i < 200 && !std::filesystem::exists(utf8Path(path)); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // let the writer finish
  return fileText(path);
}

}  // namespace plovane::test
