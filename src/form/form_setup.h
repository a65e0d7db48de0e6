#pragma once

#include <string>
#include <string_view>

namespace plovane {

class FormWindow;
class Host;
class RandomSource;
class ResultList;
class UrlLauncher;
namespace platform {
class FileSystem;
}

// The pointer file beside the program.
std::string pointerFilePath(std::string_view programFolder);

// The product name without its last word, repeated while longer than 40 characters; a name
// without a blank is the title as it is.
std::string applicationTitleOf(std::string_view productName);

// The set-up of the main window before it is first shown: appearance, pointer image,
// caption, icon and application title, the home page once in a hundred starts, the columns
// of the three lists, and the two folders restored from the settings. A failing step shows
// one error report and the set-up goes on.
void Form_Load(FormWindow& window, ResultList& listView1, ResultList& listView2,
               ResultList& listView3, Host& host, const platform::FileSystem& fs,
               std::string_view programFolder, RandomSource& random, UrlLauncher& launcher);

// The headers of the result list's three columns.
inline constexpr std::string_view kResultHeaders[3] = {"Newer", "", "Older"};

// The result list's columns as the set-up makes them, for a result list without a window.
void addResultColumns(ResultList& listView3);

}  // namespace plovane
