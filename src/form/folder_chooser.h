#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "form/folder_browser.h"

namespace plovane {

class Host;
class ResultList;

inline constexpr std::string_view kBrowsePrompt = "Please select folder";

// A folder browser that answers a folder chosen beforehand, such as one named on the command
// line, so that it goes through the chooser's own steps.
class PresetFolderBrowser final : public FolderBrowser {
 public:
  explicit PresetFolderBrowser(std::string folder) : folder_(std::move(folder)) {}
  std::string browseForFolder(const std::string&, const std::string&) override { return folder_; }

 private:
  std::string folder_;
};

// A folder named on the command line as the folder browser would return it: absolute, with
// "." and ".." taken away and without a final separator (a root keeps its own). Relative
// names are taken from the working folder. The empty name stays empty.
std::string folderOfArgument(const std::string& argument);

// "1. Choose Folder 1": empties ListView1 unless the window is busy, asks for a folder and,
// unless cancelled, stores it with a final separator as the row of ListView1 and in the
// settings ("LastFolderDot" as returned, "ListView1" with the separator). Busy meanwhile.
void chooseFolder1(ResultList& listView1, Host& host, FolderBrowser& browser);

// "2. Choose Folder 2": the same for ListView2 and "ListView2", except that ListView2 is
// emptied whether the window is busy or not.
void chooseFolder2(ResultList& listView2, Host& host, FolderBrowser& browser);

}  // namespace plovane
