#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "compare/name_index.h"
#include "compare/time_rule.h"
#include "platform/list_allocator.h"
#include "scan/file_list.h"

namespace plovane {

class Host;
class ResultList;
namespace platform {
class FileSystem;
}

inline constexpr std::string_view kOnlyHereText = " is newer than";
inline constexpr std::string_view kOverwritesText = " will overwrite an older";

// The text after the last separator of the path, or the whole path when it holds none.
std::string_view FileNameOfPath(std::string_view path);

// How the file names of two lists meet, found with one index of b and one lookup per entry
// of a: for each entry of a the first entry of b bearing its name, and which entries of
// each list have a namesake in the other. The files found in one list only and the
// same-named pairs all follow from it, so a run that needs all three builds it once.
// Yields to the host once per entry of a.
class NamePairing {
 public:
  NamePairing(const FileList& a, const FileList& b, Host& host);

  // FilesNotInOtherList(a, b) and FilesNotInOtherList(b, a).
  FileList onlyInA(Host& host) const;
  FileList onlyInB(Host& host) const;

  const FileList& a() const noexcept { return a_; }
  const FileList& b() const noexcept { return b_; }
  // The entries of b that bear the name of entry i of a, in the order of b.
  std::uint32_t firstMatchOfA(std::size_t i) const { return firstMatchOfA_[i]; }
  std::uint32_t nextMatch(std::uint32_t j) const { return indexOfB_.next(j); }
  const std::vector<bool>& pairedA() const noexcept { return pairedA_; }
  const std::vector<bool>& pairedB() const noexcept { return pairedB_; }

 private:
  static FileList unpaired(const FileList& list, const std::vector<bool>& paired, Host& host);

  const FileList& a_;
  const FileList& b_;
  NameIndex indexOfB_;
  platform::ListVector<std::uint32_t> firstMatchOfA_;
  std::vector<bool> pairedA_;
  std::vector<bool> pairedB_;
};

// The entries of a whose file name is the file name of no entry of b, in the order of a,
// duplicates kept. Names are equal only when they are the same text, case included.
// Runs in linear expected time; yields to the host once per entry of a.
FileList FilesNotInOtherList(const FileList& a, const FileList& b, Host& host);

// Appends to listView3 a row for every pair of same-named files, one from a and one from b,
// whose last-write times differ: the newer path, " will overwrite an older", the older path.
// Rows come in the order of a, and for one entry of a in the order of b; a name found m
// times in a and n times in b gives up to m x n rows. A file whose time cannot be read is
// older than every file that has one. Each file's time is read once. The rule tells which
// times are equal: to the whole second unless it says otherwise.
void ListNewerOlderPairs(const FileList& a, const FileList& b, ResultList& listView3, Host& host,
                         const platform::FileSystem& fs, const TimeRule& rule = TimeRule::exact());
void ListNewerOlderPairs(const NamePairing& pairing, ResultList& listView3, Host& host,
                         const platform::FileSystem& fs, const TimeRule& rule = TimeRule::exact());

}  // namespace plovane
