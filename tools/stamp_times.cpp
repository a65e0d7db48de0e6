// plovane-stamp-times MANIFEST ROOT
//
// Sets the last-write time of every file below ROOT to the time that MANIFEST gives for it.
// The build and the install run it on the copied sample folders: git keeps no file times, and
// the rows of a sample comparison depend on which copy of a file is the newer one.
//
// MANIFEST holds one file a line: a UTC date and time, "YYYY-MM-DD HH:MM:SS" with an optional
// fraction of a second, then blanks, then the file's path below ROOT with "/" as separator.
// Empty lines and lines starting with "#" are skipped. A file below ROOT that the manifest
// does not list is an error, as is a listed file that is missing: either would let a copy
// keep the time of the moment it was copied, and the rows would differ between machines.

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace plovane {
namespace {

namespace fs = std::filesystem;
namespace chrono = std::chrono;

using UtcTime = chrono::sys_time<chrono::nanoseconds>;

std::optional<int> number(std::string_view text, std::size_t from, std::size_t count) {
  if (from + count > text.size()) return std::nullopt;
  int value = 0;
  for (std::size_t i = from; i < from + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// Reads "YYYY-MM-DD HH:MM:SS[.fraction]" from the start of text; length receives the number
// of characters read.
std::optional<UtcTime> parseUtc(std::string_view text, std::size_t& length) {
  const auto year = number(text, 0, 4), month = number(text, 5, 2), day = number(text, 8, 2);
  const auto hour = number(text, 11, 2), minute = number(text, 14, 2), second = number(text, 17, 2);
  if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
  if (text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' || text[16] != ':')
    return std::nullopt;
  const chrono::year_month_day date{chrono::year{*year}, chrono::month(*month), chrono::day(*day)};
  if (!date.ok() || *hour > 23 || *minute > 59 || *second > 59) return std::nullopt;

  length = 19;
  chrono::nanoseconds fraction{0};
  if (length < text.size() && text[length] == '.') {
    std::size_t end = length + 1;
    long long scale = 100'000'000;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') {
      if (scale == 0) return std::nullopt;  // finer than a nanosecond
      fraction += chrono::nanoseconds{(text[end] - '0') * scale};
      scale /= 10;
      ++end;
    }
    if (end == length + 1) return std::nullopt;
    length = end;
  }
  return chrono::sys_days{date} + chrono::hours{*hour} + chrono::minutes{*minute} +
         chrono::seconds{*second} + fraction;
}

std::string_view trimmed(std::string_view text) {
  constexpr std::string_view blanks = " \t\r";
  const auto first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The manifest's paths are UTF-8; a path built from plain char would read them in the
// system's code page on Windows.
fs::path utf8Path(std::string_view text) {
  return fs::path(std::u8string(reinterpret_cast<const char8_t*>(text.data()), text.size()));
}

std::string displayed(const fs::path& path) {
  const std::u8string text = path.generic_u8string();
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

bool readManifest(const fs::path& manifestPath, std::map<std::string, UtcTime>& times) {
  std::ifstream manifest(manifestPath, std::ios::binary);
  if (!manifest) {
    std::cerr << "cannot read " << displayed(manifestPath) << "\n";
    return false;
  }
  bool good = true;
  std::string line;
  for (int lineNumber = 1; std::getline(manifest, line); ++lineNumber) {
    const std::string_view text = trimmed(line);
    if (text.empty() || text.front() == '#') continue;
    std::size_t length = 0;
    const auto time = parseUtc(text, length);
    const std::string_view path =
        time && length < text.size() && (text[length] == ' ' || text[length] == '\t')
            ? trimmed(text.substr(length))
            : std::string_view{};
    if (path.empty()) {
      std::cerr << displayed(manifestPath) << ":" << lineNumber
                << ": expected \"YYYY-MM-DD HH:MM:SS[.fraction]  path\"\n";
      good = false;
    } else if (!times.emplace(std::string(path), *time).second) {
      std::cerr << displayed(manifestPath) << ":" << lineNumber << ": " << path
                << " is listed twice\n";
      good = false;
    }
  }
  return good;
}

int run(const fs::path& manifestPath, const fs::path& root) {
  std::map<std::string, UtcTime> times;
  if (!readManifest(manifestPath, times)) return 1;

  bool good = true;
  std::error_code error;
  for (fs::recursive_directory_iterator it(root, error), end; !error && it != end;
       it.increment(error)) {
    if (!it->is_regular_file(error)) continue;
    const std::string relative = displayed(it->path().lexically_relative(root));
    if (!times.contains(relative)) {
      std::cerr << displayed(it->path()) << " has no time in " << displayed(manifestPath) << "\n";
      good = false;
    }
  }
  if (error) {
    std::cerr << "cannot list " << displayed(root) << ": " << error.message() << "\n";
    return 1;
  }

  for (const auto& [relative, time] : times) {
    const fs::path file = root / utf8Path(relative);
    const auto fileTime =
        chrono::time_point_cast<fs::file_time_type::duration>(chrono::file_clock::from_sys(time));
    fs::last_write_time(file, fileTime, error);
    if (error) {
      std::cerr << "cannot set the time of " << displayed(file) << ": " << error.message() << "\n";
      good = false;
    }
  }
  return good ? 0 : 1;
}

}  // namespace
}  // namespace plovane

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: plovane-stamp-times MANIFEST ROOT\n";
    return 2;
  }
  std::cerr.setf(std::ios::unitbuf);
  const int result = plovane::run(argv[1], argv[2]);
  if (result != 0) std::cerr << "plovane-stamp-times: the sample times were not all set\n";
  return result;
}
