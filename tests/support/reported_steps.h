#pragma once

#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "recording_host.h"

namespace plovane::test {

// Where each error report the host showed comes from, in the order shown: the procedure of
// its label ("Form1.PushButton6_Click", "Main.SaveListview...") and the step number. A
// report in another form reads as its whole text and step -1.
inline std::vector<std::pair<std::string, int>> reportedSteps(const RecordingHost& host) {
  static const std::regex kLabel("\r\nin [^.]+\\.([A-Za-z0-9_.]+) at line ([0-9]+)\r\r");
  std::vector<std::pair<std::string, int>> steps;
  for (const std::string& report : host.errorReports) {
    std::smatch match;
    if (std::regex_search(report, match, kLabel)) {
      steps.emplace_back(match[1], std::stoi(match[2]));
    } else {
      steps.emplace_back(report, -1);
    }
  }
  return steps;
}

using Steps = std::vector<std::pair<std::string, int>>;

}  // namespace plovane::test
