#pragma once

#include <string>
#include <string_view>

namespace plovane {

class Host;
class ResultList;
namespace platform {
class FileSystem;
}

// What the set-up of the main window needs of the window itself. Each call may fail with an
// exception; the set-up reports it under the step that made the call and goes on.
class FormWindow {
 public:
  virtual ~FormWindow() = default;
  // The skin beside the program, when there is one.
  virtual void applyAppearance() = 0;
  // Loads the pointer file as the image the buttons show while the mouse is over them.
  virtual void loadCustomPointer(const std::string& path) = 0;
  virtual void setCaption(const std::string& caption) = 0;
  virtual void setProgramIcon() = 0;
  // The title of every message box that has none of its own.
  virtual void setApplicationTitle(const std::string& title) = 0;
};

// A uniform draw from [0, 1).
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  virtual double draw() = 0;
};

// Opens an address in the user's web browser without waiting for it.
class UrlLauncher {
 public:
  virtual ~UrlLauncher() = default;
  virtual void open(const std::string& url) = 0;
};

// The pointer file beside the program.
std::string pointerFilePath(std::string_view programFolder);

// The product name without its last word, repeated while longer than 40 characters; a name
// without a blank is the title as it is.
std::string ApplicationTitle(std::string_view productName);

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
void AddResultColumns(ResultList& listView3);

}  // namespace plovane
