#include "window/qt/display_check.h"

#ifdef __linux__
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#endif

namespace plovane {

#ifdef __linux__

namespace {

std::string environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// The value of a toolkit option such as "-platform xcb" (or "--platform xcb"), else the
// environment variable that stands for it.
std::string toolkitOption(int argc, char** argv, std::string_view option, const char* variable) {
  for (int i = 1; i + 1 < argc; ++i) {
    std::string_view argument = argv[i];
    if (argument.substr(0, 2) == "--") argument.remove_prefix(1);
    if (argument.size() == option.size() + 1 && argument.substr(1) == option) return argv[i + 1];
  }
  return environmentValue(variable);
}

// Whether the platform plugins asked for ("wayland;xcb", "vnc:size=800x600", or none for the
// toolkit's own choice) all show windows on an X or Wayland display. The others (offscreen,
// minimal, vnc, eglfs, linuxfb...) need none.
bool needsDisplay(std::string_view platforms) {
  while (!platforms.empty()) {
    const std::size_t end = platforms.find(';');
    const std::string_view entry = platforms.substr(0, end);
    const std::string_view name = entry.substr(0, entry.find(':'));
    if (!name.empty() && name != "xcb" && name.substr(0, 7) != "wayland") return false;
    if (end == std::string_view::npos) break;
    platforms.remove_prefix(end + 1);
  }
  return true;
}

// Whether an X display answers, asked through the X library that the toolkit has loaded
// already. Where it cannot be had, the toolkit is left to find out.
bool xDisplayAnswers(const std::string& display) {
  void* const library = dlopen("libxcb.so.1", RTLD_LAZY | RTLD_LOCAL);
  if (!library) return true;
  using Connect = void* (*)(const char*, int*);
  using HasError = int (*)(void*);
  using Disconnect = void (*)(void*);
  const auto connect = reinterpret_cast<Connect>(dlsym(library, "xcb_connect"));
  const auto hasError = reinterpret_cast<HasError>(dlsym(library, "xcb_connection_has_error"));
  const auto disconnect = reinterpret_cast<Disconnect>(dlsym(library, "xcb_disconnect"));
  bool answers = true;
  if (connect && hasError && disconnect) {
    void* const connection = connect(display.c_str(), nullptr);
    answers = hasError(connection) == 0;
    disconnect(connection);
  }
  dlclose(library);
  return answers;
}

[[noreturn]] void exitForWantOfDisplay(const std::string& what) {
  std::fprintf(stderr,
               "plovane: %s; \"plovane compare\" works without a window, and "
               "\"xvfb-run -a plovane\" gives the window a virtual display\n",
               what.c_str());
  std::exit(2);
}

}  // namespace

void exitWhenNoDisplay(int argc, char** argv) {
  if (!needsDisplay(toolkitOption(argc, argv, "platform", "QT_QPA_PLATFORM"))) return;
  const std::string display = toolkitOption(argc, argv, "display", "DISPLAY");
  const bool wayland = !environmentValue("WAYLAND_DISPLAY").empty();
  if (display.empty() && !wayland) {
    exitForWantOfDisplay(
        "there is no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)");
  }
  if (!wayland && !xDisplayAnswers(display)) {
    exitForWantOfDisplay("the display \"" + display + "\" cannot be opened");
  }
}

#else

void exitWhenNoDisplay(int, char**) {}

#endif

}  // namespace plovane
