#include "common/error_report.h"

#include "common/maker.h"

namespace plovane {

std::string composeErrorReport(std::string_view description, std::string_view label, int step) {
  std::string text;
  text.append(description);
  text.append("\r\n");
  text.append(label);
  text.append("at line ");
  text.append(std::to_string(step));
  text.append("\r\r");
  text.append("Please email screenshot of this message to ");
  text.append(maker::kSupportEmail);
  return text;
}

}  // namespace plovane
